#pragma once
// A one-line text field with a coloured frame of adjustable band widths, drawn in its own colours.
#include <QLabel>
#include <QMargins>

namespace zanto::ui {

class MarginLabel : public QLabel {
    Q_OBJECT
public:
    explicit MarginLabel(QWidget* parent = nullptr);

    void SetFrameColour(QColor colour);
    void SetTextColour(QColor colour);
    void SetBackColour(QColor colour);
    void SetMargins(int left, int top, int right, int bottom);

    QColor FrameColour() const { return frame_; }
    QColor TextColour() const { return text_; }
    QColor BackColour() const { return back_; }
    QMargins Bands() const { return bands_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QMargins bands_{1, 1, 1, 1};
    QColor frame_{128, 128, 128};
    QColor text_{Qt::white};
    QColor back_{Qt::black};
};

}  // namespace zanto::ui
