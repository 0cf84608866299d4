#include "common/ui/LatchButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace zanto::ui {

LatchButton::LatchButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void LatchButton::SetPictures(const QPixmap* picture, const SkinPalette* palette, bool borrowed) {
    pictures_.Set(picture, palette, borrowed);
    updateGeometry();
    update();
}

void LatchButton::SetOwnedPictures(const QPixmap& picture, const SkinPalette& palette) {
    pictures_.SetOwned(picture, palette);
    updateGeometry();
    update();
}

QSize LatchButton::FrameSize() const {
    if (!pictures_.HasPicture()) {
        return {};
    }
    return {pictures_.Picture()->width(), pictures_.Picture()->height() / kFrames};
}

void LatchButton::MoveTo(int x, int y) { setGeometry(QRect(QPoint(x, y), FrameSize())); }

void LatchButton::SetLatched(bool latched) {
    latched_ = latched;
    update();
}

int LatchButton::CurrentFrame() const {
    if (!isEnabled()) {
        return kDisabled;
    }
    return latched_ ? kLatched : kNormal;
}

void LatchButton::paintEvent(QPaintEvent*) {
    if (!pictures_.HasPicture()) {
        return;
    }
    const QSize frame = FrameSize();
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), *pictures_.Picture(), QRect(QPoint(0, CurrentFrame() * frame.height()), frame));
}

void LatchButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    // The press itself is the command; there is no release step to wait for.
    SetLatched(true);
    emit clicked(true);
    event->accept();
}

void LatchButton::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace zanto::ui
