#pragma once
// A horizontal slider drawn from one picture: the track on the left (track width pixels wide),
// then two thumb images side by side, enabled and disabled. It reports to its owner with the
// scroll codes below and the position, as a horizontal scroll bar does.
#include <QWidget>

#include "common/ui/PictureHolder.h"

namespace zanto::ui {

class BitmapSlider : public QWidget {
    Q_OBJECT
public:
    // Notification codes of Scrolled().
    enum Code {
        kPageLeft = 2,
        kPageRight = 3,
        kThumbPosition = 4,
        kThumbTrack = 5,
        kLeftEnd = 6,
        kRightEnd = 7,
        kEndScroll = 8,
    };

    explicit BitmapSlider(QWidget* parent = nullptr);

    void SetPicture(const QPixmap* picture, const SkinPalette* palette, int trackWidth, bool borrowed);
    void SetOwnedPicture(const QPixmap& picture, const SkinPalette& palette, int trackWidth);
    // Track width × picture height; empty without a picture.
    QSize Size() const;
    void MoveTo(int x, int y);
    void SetRange(int minimum, int maximum, bool redraw);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    int Page() const { return page_; }
    int Position() const { return position_; }
    void SetPosition(int position);
    bool IsDragging() const { return dragging_; }

    int TrackWidth() const { return trackWidth_; }
    int ThumbWidth() const { return thumbWidth_; }
    // From thumb width / 2 to track width − thumb width / 2, full height.
    QRect ActiveTrack() const;
    // Left edge of the thumb for a value.
    int ThumbLeft(int value) const;

    QSize sizeHint() const override { return Size(); }

signals:
    // code is one of Code; position is the value the code reports.
    void Scrolled(int code, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int ValueAt(int x, bool clampPointer) const;

    PictureHolder picture_;
    int trackWidth_ = 0;
    int thumbWidth_ = 0;
    int height_ = 0;
    int minimum_ = 0;
    int maximum_ = 100;
    int page_ = 10;
    int position_ = 0;
    bool dragging_ = false;
    int dragValue_ = 0;  // where the thumb is drawn while dragging; the position stays put
};

}  // namespace zanto::ui
