#include "common/ui/BitmapButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zanto::ui {

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
}

void BitmapButton::SetPictures(const QPixmap* picture, const SkinPalette* palette, bool borrowed) {
    pictures_.Set(picture, palette, borrowed);
    updateGeometry();
    update();
}

void BitmapButton::SetOwnedPictures(const QPixmap& picture, const SkinPalette& palette) {
    pictures_.SetOwned(picture, palette);
    updateGeometry();
    update();
}

QSize BitmapButton::FrameSize() const {
    if (!pictures_.HasPicture()) {
        return {};
    }
    const QPixmap& p = *pictures_.Picture();
    return {p.width(), p.height() / kFrames};
}

void BitmapButton::MoveTo(int x, int y) { setGeometry(QRect(QPoint(x, y), FrameSize())); }

int BitmapButton::CurrentFrame() const {
    if (!isEnabled()) {
        return kDisabled;
    }
    if (isDown()) {
        return kPressed;
    }
    if (hot_ || hasFocus()) {
        return kHot;
    }
    return kNormal;
}

void BitmapButton::paintEvent(QPaintEvent*) {
    if (!pictures_.HasPicture()) {
        return;
    }
    const QSize frame = FrameSize();
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), *pictures_.Picture(),
                       QRect(QPoint(0, CurrentFrame() * frame.height()), frame));
}

void BitmapButton::TrackPointer(const QPoint& pos, Qt::MouseButtons buttons) {
    if (!isEnabled() || (buttons & Qt::LeftButton)) {
        return;
    }
    // Only the active window's buttons light up, so a window in the background stays quiet.
    if (!window()->isActiveWindow()) {
        return;
    }
    const bool inside = rect().contains(pos);
    if (inside && !hot_) {
        hot_ = true;
        update();
    } else if (!inside && hot_) {
        ClearHot();
    }
}

void BitmapButton::ClearHot() {
    if (hot_) {
        hot_ = false;
        update();
    }
}

void BitmapButton::mouseMoveEvent(QMouseEvent* event) {
    TrackPointer(event->position().toPoint(), event->buttons());
    QAbstractButton::mouseMoveEvent(event);
}

void BitmapButton::enterEvent(QEnterEvent* event) {
    TrackPointer(event->position().toPoint(), Qt::NoButton);
    QAbstractButton::enterEvent(event);
}

void BitmapButton::leaveEvent(QEvent* event) {
    ClearHot();
    QAbstractButton::leaveEvent(event);
}

void BitmapButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ClearHot();
    }
    QAbstractButton::mousePressEvent(event);
}

void BitmapButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hot_ = false;
    }
    if (event->type() == QEvent::ActivationChange && !window()->isActiveWindow()) {
        ClearHot();
    }
    QAbstractButton::changeEvent(event);
}

}  // namespace zanto::ui
