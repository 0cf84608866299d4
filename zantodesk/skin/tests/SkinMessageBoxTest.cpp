#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTimer>

#include "common/testing/QtApp.h"
#include "common/ui/BitmapButton.h"
#include "common/ui/TextUtil.h"
#include "resources/Pictures.h"
#include "zantodesk/skin/SkinMessageBox.h"

using namespace zanto;
using namespace zanto::skin;
using namespace zanto::ui;

namespace {

class SkinMessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { testkit::QtApp(); }

    static std::vector<int> VisibleButtons(const SkinMessageDialog& box) {
        std::vector<int> out;
        for (int i = 0; i < 3; ++i)
            if (!box.Button(i)->isHidden()) out.push_back(i);
        return out;
    }

    static bool Activate(QWidget* w) {
        w->show();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        for (int i = 0; i < 50 && !w->isActiveWindow(); ++i) QApplication::processEvents();
        return w->isActiveWindow();
    }
};

}  // namespace

TEST_F(SkinMessageBoxTest, SizeGrowsInWholeCellsFromTheSmallestBox) {
    const QFontMetrics m(MakeFont(QStringLiteral("MS Sans Serif"), -11));
    struct {
        QString text;
        QSize window;
    } cases[] = {
        {QStringLiteral("Download complete."), {231, 106}},
        {QStringLiteral("Two lines:\nthe second one."), {231, 106}},
        {QStringLiteral("1\n2\n3"), {231, 139}},
        {QStringLiteral("1\n2\n3\n4\n5\n6"), {231, 172}},
    };
    for (const auto& c : cases) {
        const MessageBoxLayout l = LayoutMessageBox(m, c.text);
        EXPECT_EQ(l.window, c.window) << c.text.toStdString();
        EXPECT_EQ(l.buttonY, l.text.height() + 51);
    }
    // A long text wraps at the box's own width; every size stays a whole number of cells.
    const MessageBoxLayout wide = LayoutMessageBox(m, QString(60, QLatin1Char(' ')).replace(QLatin1Char(' '), QStringLiteral("word ")));
    EXPECT_EQ(wide.text.width() % 33, 0);
    EXPECT_EQ(wide.text.height() % 33, 0);
    EXPECT_LE(wide.text.width(), 297);
    EXPECT_GT(wide.text.height(), 33);

    SkinMessageDialog box(QStringLiteral("Download complete."), nullptr, kMbOk);
    EXPECT_EQ(box.size(), QSize(231, 106));
    EXPECT_EQ(box.mask().boundingRect(), QRect(0, 0, 231, 106));
    EXPECT_FALSE(box.mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(SkinMessageBoxTest, EveryTypeShowsItsButtonsAndAnswersWithSystemCodes) {
    struct {
        unsigned type;
        std::array<int, 3> pictures;
        std::array<int, 3> answers;
    } cases[] = {
        {kMbOk, {216, 0, 0}, {kIdOk, 0, 0}},
        {kMbOkCancel, {216, 214, 0}, {kIdOk, kIdCancel, 0}},
        {kMbAbortRetryIgnore, {218, 217, 219}, {kIdAbort, kIdRetry, kIdIgnore}},
        {kMbYesNoCancel, {211, 215, 214}, {kIdYes, kIdNo, kIdCancel}},
        {kMbYesNo | kMbDefButton2, {211, 215, 0}, {kIdYes, kIdNo, 0}},
        {kMbRetryCancel, {217, 214, 0}, {kIdRetry, kIdCancel, 0}},
        {0x6, {216, 0, 0}, {kIdOk, 0, 0}},  // an unknown type can still be closed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageBoxButtonPictures(c.type), c.pictures) << c.type;
        for (int b = 0; b < 3; ++b) {
            if (c.pictures[b] == 0) continue;
            SkinMessageDialog box(QStringLiteral("Replace it?"), nullptr, c.type);
            std::vector<int> expected;
            for (int i = 0; i < 3; ++i)
                if (c.pictures[i] != 0) expected.push_back(i);
            EXPECT_EQ(VisibleButtons(box), expected) << c.type;
            // Each button shows its own picture, one frame high.
            QPixmap picture;
            ASSERT_TRUE(resources::LoadPicture(c.pictures[b], &picture, nullptr));
            EXPECT_EQ(box.Button(b)->FrameSize(), QSize(picture.width(), picture.height() / 4));
            EXPECT_EQ(box.Button(b)->property("controlId").toInt(), SkinMessageDialog::kButtonIds[b]);
            box.open();
            box.Button(b)->click();
            EXPECT_FALSE(box.isVisible());
            EXPECT_EQ(box.result(), c.answers[b]) << "type " << c.type << " button " << b;
        }
    }
}

TEST_F(SkinMessageBoxTest, ButtonsSitInOneCentredRow) {
    SkinMessageDialog box(QStringLiteral("The playlist has changed.\nSave it before closing?"), nullptr, kMbYesNoCancel);
    const QRect a = box.Button(0)->geometry();
    const QRect b = box.Button(1)->geometry();
    const QRect c = box.Button(2)->geometry();
    EXPECT_EQ(a.top(), box.Layout().buttonY);
    EXPECT_EQ(b.top(), a.top());
    EXPECT_EQ(c.top(), a.top());
    EXPECT_EQ(b.left() - a.right() - 1, 5);
    EXPECT_EQ(c.left() - b.right() - 1, 5);
    EXPECT_LE(std::abs(a.left() - (box.width() - 1 - c.right())), 1);
    EXPECT_LE(c.bottom(), box.height() - 1);
}

TEST_F(SkinMessageBoxTest, DefaultButtonGetsTheFocusAtTheFirstTick) {
    struct {
        unsigned type;
        int focused;
    } cases[] = {
        {kMbYesNo, 0}, {kMbYesNo | kMbDefButton2, 1}, {kMbYesNoCancel | kMbDefButton3, 2},
        {kMbAbortRetryIgnore | kMbDefButton2, 1}, {kMbOk | kMbDefButton3, 0},  // no third button: the first
    };
    for (const auto& c : cases) {
        SkinMessageDialog box(QStringLiteral("Question?"), nullptr, c.type);
        for (int i = 0; i < 3; ++i) box.Button(i)->setFocusPolicy(Qt::StrongFocus);
        ASSERT_TRUE(Activate(&box));
        EXPECT_TRUE(box.TimerRunning());
        box.FirstTick();
        EXPECT_FALSE(box.TimerRunning()) << "the timer runs only until its first tick";
        EXPECT_TRUE(box.Button(c.focused)->hasFocus()) << c.type;
        EXPECT_EQ(box.Button(c.focused)->CurrentFrame(), BitmapButton::kHot);
        box.close();
    }
}

TEST_F(SkinMessageBoxTest, BlankTextShowsNothingAndAnswersOk) {
    for (const char* text : {"", " ", " \t\r\n ", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(SkinMessageBoxProc(text, nullptr, kMbYesNo), kIdOk);
    }
    EXPECT_EQ(SkinMessageBox(QStringLiteral("   "), nullptr, kMbYesNoCancel), kIdOk);
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<SkinMessageDialog*>(w), nullptr);
}

TEST_F(SkinMessageBoxTest, ModalCallReturnsThePressedButtonOfStrippedText) {
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<SkinMessageDialog*>(w); box && box->isVisible()) {
                shown = box->findChild<QWidget*>() ? QStringLiteral("visible") : QString();
                box->Button(1)->click();
            }
        }
    });
    EXPECT_EQ(SkinMessageBoxProc("  Replace \"a.mp3\"?\n", nullptr, kMbYesNo | kMbDefButton2), kIdNo);
    EXPECT_EQ(shown, QStringLiteral("visible"));
}

TEST_F(SkinMessageBoxTest, EscapeAnswersLikeTheCancelButtonWhereThereIsOne) {
    struct {
        unsigned type;
        bool closes;
        int answer;
    } cases[] = {{kMbOk, true, kIdOk}, {kMbOkCancel, true, kIdCancel}, {kMbYesNoCancel, true, kIdCancel},
                 {kMbYesNo, false, 0}, {kMbAbortRetryIgnore, false, 0}};
    for (const auto& c : cases) {
        SkinMessageDialog box(QStringLiteral("Really?"), nullptr, c.type);
        box.open();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &esc);
        EXPECT_EQ(!box.isVisible(), c.closes) << c.type;
        if (c.closes) {
            EXPECT_EQ(box.result(), c.answer);
        }
        box.close();
    }
}

TEST_F(SkinMessageBoxTest, PaintsTiledGlassAndGreenTextInsideTheMargins) {
    SkinMessageDialog box(QStringLiteral("Download complete.\nAll 12 files are on the player."), nullptr, kMbOk);
    const QImage shown = testkit::Render(&box);
    QPixmap tiles;
    ASSERT_TRUE(resources::LoadPicture(kMessageBoxBackground, &tiles, nullptr));
    const QImage t = tiles.toImage().convertToFormat(QImage::Format_RGB32);
    const int w = box.width();
    const int h = box.height();
    EXPECT_EQ(shown.copy(0, 0, 33, 33), t.copy(0, 0, 33, 33));
    EXPECT_EQ(shown.copy(33, 0, 33, 33), t.copy(33, 0, 33, 33));
    EXPECT_EQ(shown.copy(w - 33, 0, 33, 33), t.copy(66, 0, 33, 33));
    EXPECT_EQ(shown.copy((w - 33) / 2, 0, 33, 33), t.copy(99, 0, 33, 33));
    EXPECT_EQ(shown.copy(0, 33, 33, 33), t.copy(0, 33, 33, 33));
    EXPECT_EQ(shown.copy(0, h - 40, 33, 40), t.copy(0, 66, 33, 40));
    EXPECT_EQ(shown.copy(w - 33, h - 40, 33, 40), t.copy(66, 66, 33, 40));
    int green = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = shown.pixel(x, y);
            if (qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60) {
                ++green;
                EXPECT_TRUE(QRect(QPoint(33, 33), QPoint(w - 34, h - 41)).contains(QPoint(x, y))) << x << "," << y;
            }
        }
    }
    EXPECT_GT(green, 50);
}
