#include "common/ui/MxListCtrlEx.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "common/ui/FlatHeader.h"
#include "common/ui/MxEvent.h"
#include "common/ui/TextUtil.h"

namespace zanto::ui {

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kStateImageRole = Qt::UserRole + 2;
constexpr int kCutRole = Qt::UserRole + 3;
constexpr int kDropRole = Qt::UserRole + 4;

// An 8 × 8 checkerboard of single pixels, black and white.
QBrush CheckerBrush() {
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            pattern.setPixel(x, y, ((x + y) % 2) == 0 ? 0xFF000000u : 0xFFFFFFFFu);
        }
    }
    return QBrush(pattern);
}

// The icon with half of colour laid over its opaque pixels.
QPixmap Blend(const QPixmap& icon, QColor colour) {
    QPixmap out = icon;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    colour.setAlpha(128);
    p.fillRect(out.rect(), colour);
    return out;
}

}  // namespace

// Row height for the skin's font and the small icons; first-column editing that leaves the decision
// to the owner.
class MxListEditDelegate : public QStyledItemDelegate {
public:
    explicit MxListEditDelegate(MxListCtrlEx* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(MxListCtrlEx::kIconSize + 1, list_->fontMetrics().height() + 3));
        return size;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (index.column() != 0 || list_->IsSeparator(index.row())) {
            return nullptr;
        }
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        Q_UNUSED(option);
        return editor;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        QRect r = list_->GetItemRectEx(index.row(), MxListCtrlEx::kLabel);
        r.setRight(list_->ColumnLeft(0) + list_->header()->sectionSize(0) - 1);
        editor->setGeometry(r);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        // The owner renames the entry and sets the text when it accepts the new name.
        emit list_->LabelEdited(index.row(), static_cast<QLineEdit*>(editor)->text());
    }

private:
    MxListCtrlEx* list_;
};

MxListCtrlEx::MxListCtrlEx(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setColumnCount(0);
    setItemDelegate(new MxListEditDelegate(this));
    textColour_ = palette().color(QPalette::WindowText);
    textBack_ = palette().color(QPalette::Base);
    back_ = palette().color(QPalette::Base);
    InitExtras();
}

void MxListCtrlEx::InitExtras() {
    if (header_ == nullptr) {
        header_ = new FlatHeader(this);
        setHeader(header_);
        header_->setStretchLastSection(false);
        header_->setSectionResizeMode(QHeaderView::Interactive);
    }
    header_->Initialise();
    insertionBrush_ = CheckerBrush();
}

void MxListCtrlEx::SetOwnerDraw(bool on) {
    if (on == ownerDraw_) {
        return;
    }
    ownerDraw_ = on;
    viewport()->update();
}

void MxListCtrlEx::SetLabelCallback(LabelCallback callback) {
    labelCallback_ = std::move(callback);
    viewport()->update();
}

void MxListCtrlEx::SetImageList(const QList<QPixmap>& images, ImageListKind kind) {
    if (kind == kStateImages) {
        stateImages_ = images;
        stateImageWidth_ = images.isEmpty() ? 0 : images.front().width();
    } else {
        smallImages_ = images;
    }
    viewport()->update();
}

void MxListCtrlEx::SetTextColour(QColor colour) {
    textColour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Text, colour);
    setPalette(p);
}

void MxListCtrlEx::SetTextBackColour(QColor colour) {
    textBack_ = colour;
    viewport()->update();
}

void MxListCtrlEx::SetBackColour(QColor colour) {
    back_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void MxListCtrlEx::SetShowSelectionAlways(bool on) {
    showSelectionAlways_ = on;
    viewport()->update();
}

void MxListCtrlEx::SetLabelEditing(bool on) {
    setEditTriggers(on ? (QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked)
                       : QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < ItemCount(); ++row) {
        QTreeWidgetItem* item = Item(row);
        item->setFlags(on ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
    }
}

int MxListCtrlEx::InsertColumn(int column, const QString& title, Qt::Alignment alignment, int width) {
    const int count = columnCount();
    column = std::clamp(column, 0, count);
    QStringList titles;
    for (int c = 0; c < count; ++c) {
        titles << headerItem()->text(c);
    }
    QList<int> widths;
    for (int c = 0; c < count; ++c) {
        widths << header()->sectionSize(c);
    }
    titles.insert(column, title);
    widths.insert(column, width);
    columnAlignment_.insert(column, alignment & Qt::AlignHorizontal_Mask);
    setColumnCount(count + 1);
    setHeaderLabels(titles);
    for (int c = 0; c <= count; ++c) {
        headerItem()->setTextAlignment(c, columnAlignment_[c] | Qt::AlignVCenter);
        header()->resizeSection(c, widths[c]);
    }
    // Cell texts of the later columns move one place to the right.
    for (int row = 0; row < ItemCount(); ++row) {
        QTreeWidgetItem* item = Item(row);
        for (int c = count; c > column; --c) {
            item->setText(c, item->text(c - 1));
        }
        if (column > 0 || count == 0) {
            item->setText(column, QString());
        }
    }
    return column;
}

QTreeWidgetItem* MxListCtrlEx::Item(int row) const {
    return row >= 0 && row < topLevelItemCount() ? topLevelItem(row) : nullptr;
}

int MxListCtrlEx::InsertItem(int row, const QString& text, int image, qintptr data) {
    row = std::clamp(row, 0, ItemCount());
    auto* item = new QTreeWidgetItem();
    item->setText(0, text);
    item->setData(0, kImageRole, image);
    item->setData(0, kStateImageRole, 0);
    item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(data));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editTriggers() != QAbstractItemView::NoEditTriggers) {
        flags |= Qt::ItemIsEditable;
    }
    if (data == kSeparatorData) {
        flags &= ~(Qt::ItemIsSelectable | Qt::ItemIsEditable);
    }
    item->setFlags(flags);
    insertTopLevelItem(row, item);
    return row;
}

void MxListCtrlEx::DeleteItem(int row) {
    if (QTreeWidgetItem* item = Item(row)) {
        delete takeTopLevelItem(row);
        Q_UNUSED(item);
    }
}

void MxListCtrlEx::DeleteAllItems() {
    clear();
    insertionMark_ = -1;
}

void MxListCtrlEx::SetItemText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = Item(row); item != nullptr && column >= 0 && column < columnCount()) {
        item->setText(column, text);
    }
}

QString MxListCtrlEx::ItemText(int row, int column) const {
    const QTreeWidgetItem* item = Item(row);
    return item != nullptr ? item->text(column) : QString();
}

void MxListCtrlEx::SetItemData(int row, qintptr data) {
    QTreeWidgetItem* item = Item(row);
    if (item == nullptr) {
        return;
    }
    item->setData(0, kDataRole, QVariant::fromValue<qlonglong>(data));
    if (data == kSeparatorData) {
        item->setSelected(false);
        item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEditable));
    } else {
        item->setFlags(item->flags() | Qt::ItemIsSelectable);
    }
}

qintptr MxListCtrlEx::ItemData(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item != nullptr ? static_cast<qintptr>(item->data(0, kDataRole).toLongLong()) : 0;
}

void MxListCtrlEx::SetItemImage(int row, int image) {
    if (QTreeWidgetItem* item = Item(row)) {
        item->setData(0, kImageRole, image);
    }
}

int MxListCtrlEx::ItemImage(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item != nullptr ? item->data(0, kImageRole).toInt() : -1;
}

void MxListCtrlEx::SetItemStateImage(int row, int stateImage) {
    if (QTreeWidgetItem* item = Item(row)) {
        item->setData(0, kStateImageRole, stateImage);
    }
}

void MxListCtrlEx::SetItemCut(int row, bool cut) {
    if (QTreeWidgetItem* item = Item(row)) {
        item->setData(0, kCutRole, cut);
    }
}

void MxListCtrlEx::SetDropHighlight(int row, bool on) {
    if (QTreeWidgetItem* item = Item(row)) {
        item->setData(0, kDropRole, on);
    }
}

void MxListCtrlEx::SetItemSelected(int row, bool selected) {
    if (QTreeWidgetItem* item = Item(row)) {
        // Separator rows refuse the selection.
        item->setSelected(selected && !IsSeparator(row));
    }
}

bool MxListCtrlEx::IsItemSelected(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item != nullptr && item->isSelected();
}

void MxListCtrlEx::SetFocusedItem(int row) {
    if (QTreeWidgetItem* item = Item(row)) {
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

void MxListCtrlEx::EditLabel(int row) {
    if (QTreeWidgetItem* item = Item(row); item != nullptr && !IsSeparator(row)) {
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        editItem(item, 0);
    }
}

int MxListCtrlEx::ColumnLeft(int column) const { return header()->sectionViewportPosition(column); }

QRect MxListCtrlEx::RowBase(int row) const {
    const QTreeWidgetItem* item = Item(row);
    if (item == nullptr || columnCount() == 0) {
        return {};
    }
    const QRect cell = visualItemRect(item);
    const int left = ColumnLeft(0);
    int right = left;
    for (int c = 0; c < columnCount(); ++c) {
        right = std::max(right, ColumnLeft(c) + header()->sectionSize(c));
    }
    return QRect(left, cell.top(), right - left, cell.height());
}

QRect MxListCtrlEx::GetItemRectEx(int row, Part part) const {
    const QRect base = RowBase(row);
    if (base.isNull()) {
        return {};
    }
    const int iconLeft = base.left() + stateImageWidth_;
    const int iconWidth = smallImages_.isEmpty() ? 0 : kIconSize;
    const int column0Right = ColumnLeft(0) + header()->sectionSize(0);
    QRect r;
    switch (part) {
    case kIcon:
        r = QRect(iconLeft, base.top() + (base.height() - kIconSize) / 2, iconWidth, kIconSize);
        break;
    case kLabel:
        r = QRect(iconLeft + iconWidth, base.top(), std::max(0, column0Right - iconLeft - iconWidth), base.height());
        break;
    case kBounds:
    default:
        r = base;
        break;
    }
    if (fullWidth_ && part != kIcon) {
        r.setRight(std::max(r.right(), viewport()->width() - 1));
    }
    return r;
}

int MxListCtrlEx::HitTestEx(QPoint point, Part part) const {
    const int count = ItemCount();
    if (count == 0) {
        return -1;
    }
    // Rows have one height, so only the row under the point (and the last row) can match.
    const QRect first = GetItemRectEx(0, part);
    const int height = std::max(1, first.height());
    const int guess = (point.y() - first.top()) / height;
    if (point.y() >= first.top() && guess < count && GetItemRectEx(guess, part).contains(point)) {
        return guess;
    }
    QRect below = GetItemRectEx(count - 1, part);
    below.translate(0, below.height());
    return below.contains(point) ? count : -1;
}

QRect MxListCtrlEx::RowsRect() const { return viewport()->rect(); }

QRect MxListCtrlEx::InsertionBand() const {
    const int count = ItemCount();
    if (insertionMark_ < 0 || count == 0) {
        return {};
    }
    if (insertionMark_ < count) {
        const QRect label = GetItemRectEx(insertionMark_, kLabel);
        return QRect(label.left(), label.top(), label.width(), 2);
    }
    const QRect label = GetItemRectEx(count - 1, kLabel);
    return QRect(label.left(), label.bottom() + 1, label.width(), 2);
}

void MxListCtrlEx::SetInsertionMark(int row) {
    if (row == insertionMark_) {
        return;
    }
    const QRect old = InsertionBand();
    if (insertionMark_ >= 0 && insertionMark_ < ItemCount()) {
        viewport()->update(GetItemRectEx(insertionMark_, kBounds).united(old));
    } else if (!old.isNull()) {
        viewport()->update(old);
    }
    insertionMark_ = row < 0 ? -1 : row;
    viewport()->update(InsertionBand());
}

bool MxListCtrlEx::IsHighlighted(int row) const {
    const QTreeWidgetItem* item = Item(row);
    if (item == nullptr) {
        return false;
    }
    const bool selected = item->isSelected() && (hasFocus() || showSelectionAlways_);
    return selected || item->data(0, kDropRole).toBool();
}

QString MxListCtrlEx::LabelText(int row) const {
    QString text = ItemText(row, 0);
    // Separator rows carry no number; the callbacks would leave them alone anyway.
    if (labelCallback_ && !IsSeparator(row)) {
        labelCallback_(text, row, ItemData(row));
    }
    return text;
}

QRect MxListCtrlEx::LabelBox(int row) const {
    // The label's own cell: after the state image and the icon, up to the end of the first column.
    const QRect label = GetItemRectEx(row, kLabel);
    const int column0Right = ColumnLeft(0) + header()->sectionSize(0) - 1;
    return QRect(label.left(), label.top(), std::max(0, column0Right - label.left() + 1), label.height());
}

QString MxListCtrlEx::DisplayedLabel(int row) const {
    return FitText(fontMetrics(), LabelText(row), LabelBox(row).width(), 4);
}

void MxListCtrlEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!ownerDraw_ || index.parent().isValid()) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    const int row = index.row();
    const QTreeWidgetItem* item = Item(row);
    if (item == nullptr) {
        return;
    }
    painter->save();
    painter->setFont(font());
    const bool separator = IsSeparator(row);
    const bool highlighted = !separator && IsHighlighted(row);

    QRect rowRect = GetItemRectEx(row, kBounds);
    const QRect label = GetItemRectEx(row, kLabel);
    if (!separator) {
        rowRect.setLeft(label.left());
    }
    QColor text = textColour_;
    if (highlighted) {
        text = Qt::white;
        painter->fillRect(rowRect, QColor::fromRgb(kHighlightBack));
    } else {
        painter->fillRect(rowRect, separator ? QColor::fromRgb(kSeparatorBack) : textBack_);
    }

    if (!separator) {
        const int state = item->data(0, kStateImageRole).toInt();
        if (state > 0 && state - 1 < stateImages_.size()) {
            painter->drawPixmap(GetItemRectEx(row, kBounds).topLeft(), stateImages_[state - 1]);
        }
        const int image = item->data(0, kImageRole).toInt();
        if (image >= 0 && image < smallImages_.size()) {
            QPixmap icon = smallImages_[image];
            if (item->data(0, kCutRole).toBool()) {
                icon = Blend(icon, textBack_);
            } else if (highlighted) {
                icon = Blend(icon, palette().color(QPalette::Highlight));
            }
            painter->drawPixmap(GetItemRectEx(row, kIcon).topLeft(), icon);
        }
    }

    painter->setPen(text);
    const QRect labelBox = LabelBox(row);
    const QString shown = FitText(painter->fontMetrics(), LabelText(row), labelBox.width(), 4);
    painter->drawText(labelBox.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, shown);

    if (!separator) {
        for (int c = 1; c < columnCount(); ++c) {
            const QString value = item->text(c);
            if (value.isEmpty()) {
                continue;
            }
            const QRect cell(ColumnLeft(c), rowRect.top(), header()->sectionSize(c), rowRect.height());
            const QString fitted = FitText(painter->fontMetrics(), value, cell.width(), 12);
            Qt::Alignment align = Qt::AlignLeft;
            if (fitted == value && c < columnAlignment_.size()) {
                if (columnAlignment_[c] & Qt::AlignRight) {
                    align = Qt::AlignRight;
                } else if (columnAlignment_[c] & Qt::AlignHCenter) {
                    align = Qt::AlignHCenter;
                }
            }
            painter->drawText(cell.adjusted(6, 0, -6, 0), align | Qt::AlignVCenter | Qt::TextSingleLine, fitted);
        }
    }

    if (hasFocus() && currentIndex().row() == row && currentIndex().isValid()) {
        QPen pen(highlighted ? QColor(Qt::white) : textColour_, 1, Qt::DotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rowRect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
    Q_UNUSED(option);
}

void MxListCtrlEx::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    const QRect band = InsertionBand();
    if (!band.isNull()) {
        QPainter painter(viewport());
        painter.setBrushOrigin(0, 0);
        painter.fillRect(band, insertionBrush_);
    }
}

void MxListCtrlEx::mousePressEvent(QMouseEvent* event) {
    if (iconClick_ && event->button() == Qt::LeftButton) {
        const int row = HitTestEx(event->position().toPoint(), kIcon);
        if (row >= 0 && row < ItemCount() && parentWidget() != nullptr) {
            MxEvent message(kMxListCtrlEx, static_cast<uintptr_t>(row) << 16, reinterpret_cast<intptr_t>(this));
            QCoreApplication::sendEvent(parentWidget(), &message);
            if (message.result != 0) {
                event->accept();
                return;
            }
        }
    }
    QTreeWidget::mousePressEvent(event);
}

void MxListCtrlEx::keyPressEvent(QKeyEvent* event) {
    const bool forward = event->key() == Qt::Key_Delete && parentWidget() != nullptr;
    if (forward) {
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(), event->count());
        QCoreApplication::sendEvent(parentWidget(), &copy);
    }
    QTreeWidget::keyPressEvent(event);
    if (forward) {
        // The owner has had it; letting it bubble up as well would deliver it twice.
        event->accept();
    }
}

void MxListCtrlEx::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update();
}

void MxListCtrlEx::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void MxListCtrlEx::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeWidget::selectionChanged(selected, deselected);
    // Highlights reach the right edge, beyond what the view repaints on its own.
    viewport()->update();
}

void MxListCtrlEx::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeWidget::currentChanged(current, previous);
    viewport()->update();
}

}  // namespace zanto::ui
