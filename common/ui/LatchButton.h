#pragma once
// A picture button that stays down once clicked: three frames stacked vertically, normal, latched
// and disabled. A press latches it and tells the owner through clicked(); the owner releases it.
#include <QAbstractButton>

#include "common/ui/PictureHolder.h"

namespace zanto::ui {

class LatchButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Frame { kNormal = 0, kLatched = 1, kDisabled = 2 };
    static constexpr int kFrames = 3;

    explicit LatchButton(QWidget* parent = nullptr);

    void SetPictures(const QPixmap* picture, const SkinPalette* palette, bool borrowed);
    void SetOwnedPictures(const QPixmap& picture, const SkinPalette& palette);
    QSize FrameSize() const;
    void MoveTo(int x, int y);

    void SetLatched(bool latched);
    bool IsLatched() const { return latched_; }
    int CurrentFrame() const;
    QSize sizeHint() const override { return FrameSize(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PictureHolder pictures_;
    bool latched_ = false;
};

}  // namespace zanto::ui
