#pragma once
// A push button drawn from a picture of four frames stacked vertically: normal, pressed, hot
// (pointer over it or keyboard focus) and disabled. Hot tracking happens only while the button's
// window is the active one.
#include <QAbstractButton>

#include "common/ui/PictureHolder.h"

namespace zanto::ui {

class BitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Frame { kNormal = 0, kPressed = 1, kHot = 2, kDisabled = 3 };
    static constexpr int kFrames = 4;

    explicit BitmapButton(QWidget* parent = nullptr);

    // Releases the previous pair and takes the new one; borrowed pictures stay their owner's.
    void SetPictures(const QPixmap* picture, const SkinPalette* palette, bool borrowed);
    void SetOwnedPictures(const QPixmap& picture, const SkinPalette& palette);
    const QPixmap* Picture() const { return pictures_.Picture(); }
    const SkinPalette* Palette() const { return pictures_.Palette(); }

    // Width and height of one frame; empty without a picture.
    QSize FrameSize() const;
    // Moves the button to (x, y) of its parent and sizes it to one frame.
    void MoveTo(int x, int y);

    bool IsHot() const { return hot_; }
    // The frame the button shows now.
    int CurrentFrame() const;

    QSize sizeHint() const override { return FrameSize(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void TrackPointer(const QPoint& pos, Qt::MouseButtons buttons);
    void ClearHot();

    PictureHolder pictures_;
    bool hot_ = false;
};

}  // namespace zanto::ui
