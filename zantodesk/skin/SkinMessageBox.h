#pragma once
// The message box of every window of the program and of the player-memory library: a rounded dark
// glass box with green text and picture buttons, taking the system's message-box types and
// answering the system's button codes.
#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <array>

#include "common/ui/SkinCallbacks.h"
#include "common/ui/SkinPalette.h"

namespace zanto::ui {
class BitmapButton;
}

namespace zanto::skin {

// Sizes of a box for a text.
struct MessageBoxLayout {
    QSize text;    // the measured text rounded up to whole 33-pixel cells (at least 165 × 33)
    QSize window;  // text + (66, 73)
    int buttonY;   // top of the button row
};

inline constexpr int kMessageBoxWrapWidth = 297;  // the box's own width before it fits its text
inline constexpr int kMessageBoxTimer = 100;
inline constexpr int kMessageBoxTimerMs = 100;
inline constexpr int kMessageBoxBackground = 212;
inline constexpr unsigned kMessageTextFlags = Qt::TextWordWrap | Qt::TextExpandTabs;

MessageBoxLayout LayoutMessageBox(const QFontMetrics& metrics, const QString& text);
// Picture resources of the first, second and third button for type (0: no button).
std::array<int, 3> MessageBoxButtonPictures(unsigned type);
// The answer of button index (0 to 2) for type.
int MessageBoxAnswer(unsigned type, int button);
// The button that gets the focus: 0, 1 or 2.
int MessageBoxDefaultButton(unsigned type);

class SkinMessageDialog : public QDialog {
    Q_OBJECT
public:
    // Identifiers of the three buttons, first to third.
    static constexpr std::array<int, 3> kButtonIds = {1072, 1069, 1073};

    // text is shown as given (the caller strips it).
    SkinMessageDialog(const QString& text, QWidget* owner, unsigned type);
    ~SkinMessageDialog() override;

    unsigned Type() const { return type_; }
    const MessageBoxLayout& Layout() const { return layout_; }
    ui::BitmapButton* Button(int index) const { return buttons_[static_cast<size_t>(index)]; }
    // The first tick of timer 100: stop it and focus the default button.
    void FirstTick();
    bool TimerRunning() const { return timer_.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void reject() override;

private:
    QString text_;
    unsigned type_;
    QFont font_;
    MessageBoxLayout layout_;
    QPixmap background_;
    ui::SkinPalette palette_;
    std::array<ui::BitmapButton*, 3> buttons_{};
    QTimer timer_;
    bool placed_ = false;
};

// Shows text in the box owned by owner and returns the button code; a text that is empty once
// stripped of white space shows nothing and answers OK (1).
int SkinMessageBox(const QString& text, QWidget* owner, unsigned type);
// The same in the form the player-memory library calls (UTF-8 text).
int SkinMessageBoxProc(const char* text, QWidget* owner, unsigned type);

}  // namespace zanto::skin
