#pragma once
// A column header drawn flat in its own colours (white text on black by default). A title that does
// not fit is shortened with "..." and then always drawn left-aligned.
#include <QHeaderView>

namespace zanto::ui {

// Where and how one header item's title is drawn.
struct HeaderItemLayout {
    QString text;             // possibly shortened with "..."
    QRect textRect;           // the item rectangle less the side insets
    Qt::Alignment alignment;  // horizontal alignment, vertically centred
};

// Lays out the title of an item (first = the leftmost item, which has narrower insets).
HeaderItemLayout LayoutHeaderItem(const QFontMetrics& metrics, const QString& title, const QRect& itemRect,
                                  bool first, Qt::Alignment format);

class FlatHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit FlatHeader(QWidget* parent = nullptr);

    // Sets the default colours (white text, black back and fill).
    void Initialise();
    void SetTextColour(QColor c) { text_ = c; viewport()->update(); }
    void SetBackColour(QColor c) { back_ = c; viewport()->update(); }
    void SetFillColour(QColor c) { fill_ = c; viewport()->update(); }
    QColor TextColour() const { return text_; }
    QColor BackColour() const { return back_; }
    QColor FillColour() const { return fill_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor text_{Qt::white};
    QColor back_{Qt::black};
    QColor fill_{Qt::black};
};

}  // namespace zanto::ui
