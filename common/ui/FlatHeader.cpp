#include "common/ui/FlatHeader.h"

#include <QPainter>

#include "common/ui/TextUtil.h"

namespace zanto::ui {

HeaderItemLayout LayoutHeaderItem(const QFontMetrics& metrics, const QString& title, const QRect& itemRect,
                                  bool first, Qt::Alignment format) {
    HeaderItemLayout layout;
    const QString shown = title.left(260);
    layout.text = FitText(metrics, shown, itemRect.width(), first ? 4 : 12);
    const bool shortened = layout.text != shown;
    const int inset = first ? 2 : 6;
    layout.textRect = itemRect.adjusted(inset, 0, -inset, 0);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (!shortened) {
        if (format & Qt::AlignHCenter) {
            horizontal = Qt::AlignHCenter;
        } else if (format & Qt::AlignRight) {
            horizontal = Qt::AlignRight;
        }
    }
    layout.alignment = horizontal;
    return layout;
}

FlatHeader::FlatHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    Initialise();
}

void FlatHeader::Initialise() {
    text_ = Qt::white;
    back_ = Qt::black;
    fill_ = Qt::black;
    viewport()->update();
}

void FlatHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->save();
    painter->fillRect(rect, fill_);
    const QString title = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
    const QVariant align = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    const Qt::Alignment format = align.isValid() ? Qt::Alignment(align.toInt()) : Qt::AlignLeft;
    const HeaderItemLayout layout = LayoutHeaderItem(painter->fontMetrics(), title, rect, visualIndex(logicalIndex) == 0, format);
    // The text sits on its back colour, as an opaque text background would put it.
    const QRect textBox = painter->fontMetrics().boundingRect(layout.textRect, layout.alignment | Qt::AlignVCenter | Qt::TextSingleLine, layout.text);
    painter->fillRect(textBox.intersected(rect), back_);
    painter->setPen(text_);
    painter->drawText(layout.textRect, layout.alignment | Qt::AlignVCenter | Qt::TextSingleLine, layout.text);
    painter->restore();
}

void FlatHeader::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), fill_);
    }
    QHeaderView::paintEvent(event);
}

}  // namespace zanto::ui
