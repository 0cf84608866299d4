#include "common/ui/MarginLabel.h"

#include <QPainter>

namespace zanto::ui {

MarginLabel::MarginLabel(QWidget* parent) : QLabel(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void MarginLabel::SetFrameColour(QColor colour) {
    frame_ = colour;
    update();
}

void MarginLabel::SetTextColour(QColor colour) {
    text_ = colour;
    update();
}

void MarginLabel::SetBackColour(QColor colour) {
    back_ = colour;
    update();
}

void MarginLabel::SetMargins(int left, int top, int right, int bottom) {
    bands_ = QMargins(left, top, right, bottom);
    update();
}

void MarginLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect all = rect();
    painter.fillRect(QRect(0, 0, bands_.left(), all.height()), frame_);
    painter.fillRect(QRect(0, 0, all.width(), bands_.top()), frame_);
    painter.fillRect(QRect(0, all.height() - bands_.bottom(), all.width(), bands_.bottom()), frame_);
    painter.fillRect(QRect(all.width() - bands_.right(), 0, bands_.right(), all.height()), frame_);
    const QRect inner = all.marginsRemoved(bands_);
    painter.fillRect(inner, back_);
    painter.setPen(text_);
    const Qt::Alignment horizontal = (alignment() & Qt::AlignRight) ? Qt::AlignRight : Qt::AlignLeft;
    painter.drawText(inner.adjusted(6, 0, -6, 0), horizontal | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

}  // namespace zanto::ui
