#include <gtest/gtest.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>

#include "common/testing/QtApp.h"
#include "common/ui/MxEvent.h"
#include "common/ui/MxListCtrlEx.h"
#include "common/ui/TextUtil.h"

using namespace zanto::ui;
using zanto::testkit::Render;

namespace {

// The list's parent: records what the list sends it and answers icon clicks as told.
class Owner : public QWidget {
public:
    bool event(QEvent* e) override {
        if (MxEvent::Is(e, kMxListCtrlEx)) {
            auto* m = static_cast<MxEvent*>(e);
            clicks.push_back({m->wParam, m->lParam});
            m->result = answer;
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            keys.push_back(static_cast<QKeyEvent*>(e)->key());
            return true;
        }
        return QWidget::event(e);
    }
    std::vector<std::pair<uintptr_t, intptr_t>> clicks;
    std::vector<int> keys;
    intptr_t answer = 1;
};

QPixmap Solid(QColor c) {
    QPixmap p(16, 16);
    p.fill(c);
    return p;
}

const QColor kBack(192, 220, 192);

class MxListCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.resize(320, 220);
        list = new MxListCtrlEx(&owner);
        list->setGeometry(0, 0, 320, 220);
        list->setFont(MakeFont(QStringLiteral("MS Sans Serif"), -11));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->SetOwnerDraw(true);
        list->SetShowSelectionAlways(true);
        list->InsertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 150);
        list->InsertColumn(1, QStringLiteral("Size"), Qt::AlignRight, 60);
        list->InsertColumn(2, QStringLiteral("Date"), Qt::AlignLeft, 80);
        list->SetImageList({Solid(Qt::red), Solid(Qt::blue)}, MxListCtrlEx::kSmallImages);
        list->SetTextColour(Qt::black);
        list->SetTextBackColour(kBack);
        list->SetBackColour(kBack);
        const char* names[] = {"Harbour Lights.mp3", "Signal Fires.mp3", "Web files", "Copper Wire.mp3", "Northbound.mp3", "Ferryman.mp3"};
        for (int i = 0; i < 6; ++i) {
            list->InsertItem(i, QString::fromLatin1(names[i]), i % 2, i == 2 ? MxListCtrlEx::kSeparatorData : i + 1);
            list->SetItemText(i, 1, QStringLiteral("%1 KB").arg(i * 100));
        }
        owner.show();
        QApplication::processEvents();
    }

    void Press(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), list->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(list->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), list->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton, Qt::NoButton, mods);
        QCoreApplication::sendEvent(list->viewport(), &release);
    }

    // Leftmost and rightmost dark (text) pixels inside box of the rows area; (-1, -1) when none.
    std::pair<int, int> Ink(const QRect& box) {
        const QImage shown = Render(list->viewport());
        int left = -1;
        int right = -1;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                if (qGray(shown.pixel(x, y)) < 100) {
                    left = left < 0 ? x : std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return {left, right};
    }

    QApplication& app = zanto::testkit::QtApp();  // before any widget
    Owner owner;
    MxListCtrlEx* list = nullptr;
};

}  // namespace

TEST_F(MxListCtrlExTest, SeparatorRowsAreGreyUnselectableAndUnnumbered) {
    list->SetLabelCallback([](QString& text, int row, qintptr) { text = QStringLiteral("%1. %2").arg(row + 1).arg(text); });
    EXPECT_EQ(list->DisplayedLabel(0), QStringLiteral("1. Harbour Lights.mp3"));
    EXPECT_EQ(list->DisplayedLabel(2), QStringLiteral("Web files"));

    list->SetItemSelected(2, true);
    EXPECT_FALSE(list->IsItemSelected(2));
    Press(list->GetItemRectEx(2, MxListCtrlEx::kLabel).center());
    EXPECT_FALSE(list->IsItemSelected(2));
    list->selectAll();
    EXPECT_FALSE(list->IsItemSelected(2));
    EXPECT_TRUE(list->IsItemSelected(3));
    // A row that becomes a separator loses its selection.
    list->SetItemData(3, MxListCtrlEx::kSeparatorData);
    EXPECT_FALSE(list->IsItemSelected(3));
    list->clearSelection();

    list->SetItemSelected(1, true);
    const QImage shown = Render(list->viewport());
    const int right = list->viewport()->width() - 1;
    const QRect separator = list->GetItemRectEx(2, MxListCtrlEx::kBounds);
    EXPECT_EQ(shown.pixel(1, separator.center().y()), qRgb(128, 128, 128)) << "grey from the left edge, no icon";
    EXPECT_EQ(shown.pixel(right, separator.top() + 1), qRgb(128, 128, 128));
    const QRect selected = list->GetItemRectEx(1, MxListCtrlEx::kBounds);
    EXPECT_EQ(shown.pixel(right, selected.top() + 1), qRgb(0, 0, 128)) << "highlight reaches the right edge";
    EXPECT_EQ(shown.pixel(right, list->GetItemRectEx(0, MxListCtrlEx::kBounds).top() + 1), kBack.rgb());
}

TEST_F(MxListCtrlExTest, LongTextsAreCutAndCutCellsAreLeftAligned) {
    list->SetItemText(0, 0, QStringLiteral("An extremely long name that cannot possibly fit the first column.mp3"));
    const QString shown = list->DisplayedLabel(0);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("...")));
    const QRect label = list->GetItemRectEx(0, MxListCtrlEx::kLabel);
    EXPECT_LE(list->fontMetrics().horizontalAdvance(shown) + 4, 150 - label.left());

    list->SetItemText(1, 1, QStringLiteral("123,456,789 KB"));
    const int sizeLeft = 150;
    const int sizeRight = 150 + 60 - 1;
    const QRect fits = list->GetItemRectEx(3, MxListCtrlEx::kBounds);
    const auto [fitLeft, fitRight] = Ink(QRect(sizeLeft, fits.top(), 60, fits.height()));
    EXPECT_GE(fitRight, sizeRight - 6 - 2) << "a size that fits is right-aligned";
    EXPECT_GT(fitLeft, sizeLeft + 10);
    const QRect cut = list->GetItemRectEx(1, MxListCtrlEx::kBounds);
    const auto [cutLeft, cutRight] = Ink(QRect(sizeLeft, cut.top(), 60, cut.height()));
    EXPECT_LE(cutLeft, sizeLeft + 6 + 2) << "a cut size is left-aligned";
    EXPECT_LE(cutRight, sizeRight - 6);
}

TEST_F(MxListCtrlExTest, IconClicksGoToTheParentTextClicksSelect) {
    list->SetIconClick(true);
    const QPoint icon = list->GetItemRectEx(1, MxListCtrlEx::kIcon).center();
    Press(icon);
    ASSERT_EQ(owner.clicks.size(), 1u);
    EXPECT_EQ(owner.clicks[0].first, uintptr_t{1} << 16);
    EXPECT_EQ(owner.clicks[0].second, reinterpret_cast<intptr_t>(list));
    EXPECT_FALSE(list->IsItemSelected(1)) << "a nonzero answer consumes the click";

    owner.answer = 0;
    Press(icon);
    EXPECT_EQ(owner.clicks.size(), 2u);
    EXPECT_TRUE(list->IsItemSelected(1)) << "an answer of 0 lets the click select";

    Press(list->GetItemRectEx(4, MxListCtrlEx::kLabel).center());
    EXPECT_EQ(owner.clicks.size(), 2u);
    EXPECT_TRUE(list->IsItemSelected(4));

    list->SetIconClick(false);
    Press(list->GetItemRectEx(5, MxListCtrlEx::kIcon).center());
    EXPECT_EQ(owner.clicks.size(), 2u);
    EXPECT_TRUE(list->IsItemSelected(5));
}

TEST_F(MxListCtrlExTest, HitTestKnowsThePlaceBelowTheLastRow) {
    const QRect last = list->GetItemRectEx(5, MxListCtrlEx::kBounds);
    const int h = last.height();
    const int right = list->viewport()->width() - 1;
    struct {
        QPoint at;
        MxListCtrlEx::Part part;
        int row;
    } cases[] = {
        {list->GetItemRectEx(0, MxListCtrlEx::kBounds).center(), MxListCtrlEx::kBounds, 0},
        {QPoint(right, list->GetItemRectEx(3, MxListCtrlEx::kBounds).center().y()), MxListCtrlEx::kBounds, 3},
        {QPoint(right, list->GetItemRectEx(3, MxListCtrlEx::kBounds).center().y()), MxListCtrlEx::kLabel, 3},
        {QPoint(10, last.bottom() + 1), MxListCtrlEx::kBounds, 6},
        {QPoint(10, last.bottom() + h), MxListCtrlEx::kBounds, 6},
        {QPoint(10, last.bottom() + h + 1), MxListCtrlEx::kBounds, -1},
        {list->GetItemRectEx(2, MxListCtrlEx::kIcon).center(), MxListCtrlEx::kIcon, 2},
        {list->GetItemRectEx(2, MxListCtrlEx::kLabel).center(), MxListCtrlEx::kIcon, -1},
        {list->GetItemRectEx(5, MxListCtrlEx::kIcon).center() + QPoint(0, h), MxListCtrlEx::kIcon, 6},
    };
    for (const auto& c : cases) EXPECT_EQ(list->HitTestEx(c.at, c.part), c.row) << c.at.x() << "," << c.at.y() << " part " << c.part;

    // Scrolled, the rows move and so does the place below the last one.
    list->DeleteAllItems();
    for (int i = 0; i < 40; ++i) list->InsertItem(i, QStringLiteral("Row %1").arg(i), 0, i + 1);
    list->scrollToBottom();
    QApplication::processEvents();
    const QRect bottom = list->GetItemRectEx(39, MxListCtrlEx::kBounds);
    EXPECT_TRUE(list->RowsRect().contains(bottom.center()));
    EXPECT_EQ(list->HitTestEx(bottom.center(), MxListCtrlEx::kBounds), 39);
    EXPECT_EQ(list->HitTestEx(bottom.center() + QPoint(0, bottom.height()), MxListCtrlEx::kBounds), 40);

    list->DeleteAllItems();
    EXPECT_EQ(list->HitTestEx(QPoint(10, 5), MxListCtrlEx::kBounds), -1);
}

TEST_F(MxListCtrlExTest, InsertionMarkMovesFromARowToBelowTheLast) {
    const QImage plain = Render(list->viewport());
    list->SetInsertionMark(3);
    const QRect above3 = list->InsertionBand();
    EXPECT_EQ(above3.top(), list->GetItemRectEx(3, MxListCtrlEx::kLabel).top());
    EXPECT_EQ(above3.height(), 2);

    list->SetInsertionMark(list->ItemCount());
    const QRect band = list->InsertionBand();
    const QRect lastLabel = list->GetItemRectEx(5, MxListCtrlEx::kLabel);
    EXPECT_EQ(band, QRect(lastLabel.left(), lastLabel.bottom() + 1, lastLabel.width(), 2));
    const QImage marked = Render(list->viewport());
    // Row 3 is drawn as before; the band below the last row is a checkerboard of black and white.
    EXPECT_EQ(marked.copy(list->GetItemRectEx(3, MxListCtrlEx::kBounds)), plain.copy(list->GetItemRectEx(3, MxListCtrlEx::kBounds)));
    for (int x = band.left(); x < band.left() + 16; ++x) {
        for (int y = band.top(); y <= band.bottom(); ++y) {
            const QRgb expected = ((x + y) % 2 == 0) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            EXPECT_EQ(marked.pixel(x, y), expected) << x << "," << y;
        }
    }
    list->SetInsertionMark(-1);
    EXPECT_TRUE(list->InsertionBand().isNull());
    EXPECT_EQ(Render(list->viewport()), plain);
}

TEST_F(MxListCtrlExTest, DeleteKeyAlsoReachesTheOwner) {
    list->setFocus();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &del);
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(list, &a);
    EXPECT_EQ(owner.keys, std::vector<int>{Qt::Key_Delete});
}

TEST_F(MxListCtrlExTest, RenamingReportsTheNewTextToTheOwner) {
    QSignalSpy edited(list, &MxListCtrlEx::LabelEdited);
    list->EditLabel(2);  // a separator cannot be renamed
    EXPECT_EQ(list->viewport()->findChild<QLineEdit*>(), nullptr);
    list->EditLabel(0);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Harbour Lights.mp3"));
    editor->setText(QStringLiteral("Harbour Lights (live).mp3"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &enter);
    QApplication::processEvents();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toInt(), 0);
    EXPECT_EQ(edited.at(0).at(1).toString(), QStringLiteral("Harbour Lights (live).mp3"));
    EXPECT_EQ(list->ItemText(0, 0), QStringLiteral("Harbour Lights.mp3")) << "the owner decides";
}

TEST_F(MxListCtrlExTest, InsertingAColumnMovesLaterCellsRight) {
    list->SetItemText(4, 2, QStringLiteral("1999-06-12"));
    list->InsertColumn(1, QStringLiteral("Property"), Qt::AlignHCenter, 70);
    EXPECT_EQ(list->ColumnCount(), 4);
    EXPECT_EQ(list->ItemText(4, 0), QStringLiteral("Northbound.mp3"));
    EXPECT_EQ(list->ItemText(4, 1), QString());
    EXPECT_EQ(list->ItemText(4, 2), QStringLiteral("400 KB"));
    EXPECT_EQ(list->ItemText(4, 3), QStringLiteral("1999-06-12"));
    EXPECT_EQ(list->header()->sectionSize(1), 70);
    EXPECT_EQ(list->header()->sectionSize(2), 60);
}

TEST_F(MxListCtrlExTest, StateImagesComeFirstThenIconThenLabel) {
    const int left = list->GetItemRectEx(0, MxListCtrlEx::kBounds).left();
    EXPECT_EQ(list->GetItemRectEx(0, MxListCtrlEx::kIcon).left(), left);
    list->SetImageList({Solid(Qt::green)}, MxListCtrlEx::kStateImages);
    EXPECT_EQ(list->StateImageWidth(), 16);
    list->SetItemStateImage(0, 1);
    const QRect icon = list->GetItemRectEx(0, MxListCtrlEx::kIcon);
    const QRect label = list->GetItemRectEx(0, MxListCtrlEx::kLabel);
    EXPECT_EQ(icon.left(), left + 16);
    EXPECT_EQ(label.left(), icon.right() + 1);
    const QImage shown = Render(list->viewport());
    EXPECT_EQ(shown.pixel(left + 8, icon.center().y()), qRgb(0, 255, 0)) << "state image";
    EXPECT_EQ(shown.pixel(icon.center()), qRgb(255, 0, 0)) << "small icon 0";
    // The label keeps the whole rest of the first column.
    list->SetItemText(0, 0, QString(80, QLatin1Char('W')));
    const QString fitted = list->DisplayedLabel(0);
    const int room = 150 - label.left();
    EXPECT_LE(list->fontMetrics().horizontalAdvance(fitted) + 4, room);
    ASSERT_TRUE(fitted.endsWith(QStringLiteral("...")));
    EXPECT_GT(list->fontMetrics().horizontalAdvance(fitted.chopped(3) + QStringLiteral("W...")) + 4, room);
}
