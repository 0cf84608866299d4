#include "common/ui/BitmapSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace zanto::ui {

BitmapSlider::BitmapSlider(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Slider"));
    setAttribute(Qt::WA_NoSystemBackground);
    page_ = (maximum_ - minimum_) / 10;
}

void BitmapSlider::SetPicture(const QPixmap* picture, const SkinPalette* palette, int trackWidth, bool borrowed) {
    picture_.Set(picture, palette, borrowed);
    trackWidth_ = picture_.HasPicture() ? std::clamp(trackWidth, 0, picture->width()) : 0;
    thumbWidth_ = picture_.HasPicture() ? (picture->width() - trackWidth_) / 2 : 0;
    height_ = picture_.HasPicture() ? picture->height() : 0;
    updateGeometry();
    update();
}

void BitmapSlider::SetOwnedPicture(const QPixmap& picture, const SkinPalette& palette, int trackWidth) {
    SetPicture(new QPixmap(picture), new SkinPalette(palette), trackWidth, false);
}

QSize BitmapSlider::Size() const { return {trackWidth_, height_}; }

void BitmapSlider::MoveTo(int x, int y) { setGeometry(QRect(QPoint(x, y), Size())); }

void BitmapSlider::SetRange(int minimum, int maximum, bool redraw) {
    minimum_ = minimum;
    maximum_ = maximum;
    if (redraw) {
        update();
    }
}

void BitmapSlider::SetPosition(int position) {
    position_ = position;
    update();
}

QRect BitmapSlider::ActiveTrack() const {
    const int left = thumbWidth_ / 2;
    return QRect(left, 0, std::max(0, trackWidth_ - thumbWidth_ / 2 - left), height_);
}

int BitmapSlider::ThumbLeft(int value) const {
    const QRect active = ActiveTrack();
    const int range = maximum_ - minimum_;
    // An empty range puts the thumb at the start instead of dividing by zero.
    const int offset = range == 0 ? 0 : static_cast<int>(static_cast<long long>(active.width()) * (value - minimum_) / range);
    return offset + active.left() - thumbWidth_ / 2;
}

int BitmapSlider::ValueAt(int x, bool clampPointer) const {
    const QRect active = ActiveTrack();
    if (active.width() <= 0) {
        return minimum_;
    }
    int offset = x - active.left();
    if (clampPointer) {
        offset = std::clamp(offset, 0, active.width());
    }
    return minimum_ + static_cast<int>(static_cast<long long>(offset) * (maximum_ - minimum_) / active.width());
}

void BitmapSlider::paintEvent(QPaintEvent*) {
    if (!picture_.HasPicture()) {
        return;
    }
    QPainter painter(this);
    const QPixmap& picture = *picture_.Picture();
    painter.drawPixmap(QPoint(0, 0), picture, QRect(0, 0, trackWidth_, height_));
    const int source = isEnabled() ? trackWidth_ : trackWidth_ + thumbWidth_;
    const int value = dragging_ ? dragValue_ : position_;
    painter.drawPixmap(QPoint(ThumbLeft(value), 0), picture, QRect(source, 0, thumbWidth_, height_));
}

void BitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !picture_.HasPicture()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const int thumbLeft = ThumbLeft(position_);
    const QRect thumb(thumbLeft, 0, thumbWidth_, height_);
    if (thumb.contains(p)) {
        dragging_ = true;
        dragValue_ = position_;
        grabMouse();
        event->accept();
        return;
    }
    if (!ActiveTrack().contains(p)) {
        QWidget::mousePressEvent(event);
        return;
    }
    int code;
    if (p.x() < thumbLeft) {
        position_ -= page_;
        code = kPageLeft;
        if (position_ < minimum_) {
            position_ = minimum_;
            code = kLeftEnd;
        }
    } else {
        position_ += page_;
        code = kPageRight;
        if (position_ > maximum_) {
            position_ = maximum_;
            code = kRightEnd;
        }
    }
    update();
    emit Scrolled(code, position_);
    event->accept();
}

void BitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    dragValue_ = ValueAt(event->position().toPoint().x(), true);
    repaint();
    emit Scrolled(kThumbTrack, dragValue_);
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    position_ = std::clamp(ValueAt(event->position().toPoint().x(), false), minimum_, maximum_);
    emit Scrolled(kThumbPosition, position_);
    emit Scrolled(kEndScroll, position_);
    releaseMouse();
    dragging_ = false;
    update();
}

}  // namespace zanto::ui
