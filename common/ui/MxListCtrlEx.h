#pragma once
// The report list of the skinned windows. It draws its rows itself in the skin's colours with
// whole-row highlight, grey separator rows (item data −1, never selectable), a label callback that
// may rewrite the first column (to number rows), a checkered insertion band while something is
// dragged over it, hit testing that knows the place just below the last row, and icon clicks
// reported to the parent as the "MxListCtrlEx" message (an MxEvent with the row in the high 16 bits
// of wParam and the list in lParam; a nonzero result consumes the click).
#include <QBrush>
#include <QPixmap>
#include <QTreeWidget>
#include <functional>

namespace zanto::ui {

class FlatHeader;

class MxListCtrlEx : public QTreeWidget {
    Q_OBJECT
public:
    enum Part { kBounds = 0, kIcon = 1, kLabel = 2 };
    enum ImageListKind { kSmallImages, kStateImages };
    static constexpr qintptr kSeparatorData = -1;
    static constexpr int kIconSize = 16;
    static constexpr QRgb kHighlightBack = 0xFF000080;  // navy
    static constexpr QRgb kSeparatorBack = 0xFF808080;  // grey

    // May rewrite the first-column text of a row before it is drawn.
    using LabelCallback = std::function<void(QString& text, int row, qintptr itemData)>;

    explicit MxListCtrlEx(QWidget* parent = nullptr);

    // Gives the list its flat header and its insertion brush; safe to call again.
    void InitExtras();
    FlatHeader* Header() const { return header_; }

    void SetOwnerDraw(bool on);
    bool IsOwnerDraw() const { return ownerDraw_; }
    void SetLabelCallback(LabelCallback callback);
    void SetImageList(const QList<QPixmap>& images, ImageListKind kind);
    int StateImageWidth() const { return stateImageWidth_; }
    void SetTextColour(QColor colour);
    void SetTextBackColour(QColor colour);
    void SetBackColour(QColor colour);
    QColor TextColour() const { return textColour_; }
    QColor TextBackColour() const { return textBack_; }
    QColor BackColour() const { return back_; }
    void SetIconClick(bool on) { iconClick_ = on; }
    bool IconClick() const { return iconClick_; }
    // Selected rows stay highlighted while the list does not have the focus.
    void SetShowSelectionAlways(bool on);
    // Lets the user rename the first column in place (F2 or a click on a selected row).
    void SetLabelEditing(bool on);

    // Columns and rows.
    int InsertColumn(int column, const QString& title, Qt::Alignment alignment, int width);
    int ColumnCount() const { return columnCount(); }
    int InsertItem(int row, const QString& text, int image = -1, qintptr data = 0);
    int ItemCount() const { return topLevelItemCount(); }
    void DeleteItem(int row);
    void DeleteAllItems();
    void SetItemText(int row, int column, const QString& text);
    QString ItemText(int row, int column) const;
    void SetItemData(int row, qintptr data);
    qintptr ItemData(int row) const;
    void SetItemImage(int row, int image);
    int ItemImage(int row) const;
    void SetItemStateImage(int row, int stateImage);  // 0: none
    void SetItemCut(int row, bool cut);
    void SetDropHighlight(int row, bool on);
    void SetItemSelected(int row, bool selected);
    bool IsItemSelected(int row) const;
    void SetFocusedItem(int row);
    void EditLabel(int row);

    // Rectangles in the rows area (viewport) coordinates; whole row and label reach the right edge.
    QRect GetItemRectEx(int row, Part part) const;
    // The row whose part contains point, the row count for the place just below the last row (one
    // row high), else −1.
    int HitTestEx(QPoint point, Part part) const;
    // The client area without the header.
    QRect RowsRect() const;

    // Shows the insertion band above row, or below the last row when row is the row count; −1
    // removes it.
    void SetInsertionMark(int row);
    int InsertionMark() const { return insertionMark_; }
    // Where the band is drawn now; empty when there is none.
    QRect InsertionBand() const;
    const QBrush& InsertionBrush() const { return insertionBrush_; }

    // The first-column text as it is drawn: after the label callback and shortening.
    QString DisplayedLabel(int row) const;

signals:
    // The user finished renaming row; the owner decides whether to take the new text.
    void LabelEdited(int row, const QString& text);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class MxListEditDelegate;
    QTreeWidgetItem* Item(int row) const;
    bool IsSeparator(int row) const { return ItemData(row) == kSeparatorData; }
    bool IsHighlighted(int row) const;
    QString LabelText(int row) const;
    int ColumnLeft(int column) const;
    QRect RowBase(int row) const;
    QRect LabelBox(int row) const;  // the platform row: column 0 to the end of the last column

    FlatHeader* header_ = nullptr;
    QList<QPixmap> smallImages_;
    QList<QPixmap> stateImages_;
    int stateImageWidth_ = 0;
    bool ownerDraw_ = false;
    bool iconClick_ = false;
    bool fullWidth_ = true;
    bool showSelectionAlways_ = false;
    LabelCallback labelCallback_;
    QColor textColour_;
    QColor textBack_;
    QColor back_;
    int insertionMark_ = -1;
    QBrush insertionBrush_;
    QList<Qt::Alignment> columnAlignment_;
};

}  // namespace zanto::ui
