#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <vector>

#include "common/testing/QtApp.h"
#include "common/ui/BitmapButton.h"
#include "common/ui/BitmapSlider.h"
#include "common/ui/FlatHeader.h"
#include "common/ui/LatchButton.h"
#include "common/ui/MarginLabel.h"
#include "common/ui/TextUtil.h"
#include "common/ui/WindowShape.h"

using namespace zanto::ui;
using zanto::testkit::Render;

namespace {

// Every row a colour of its own, so a frame can be recognised by the rows it shows.
QPixmap RowCoded(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(y, 255 - y, (x * 5) & 0xFF));
        }
    }
    return QPixmap::fromImage(image);
}

// The frame index whose rows widget shows, or -1.
int ShownFrame(QWidget* widget, const QPixmap& picture, int frames) {
    const QImage shown = Render(widget);
    const QImage source = picture.toImage().convertToFormat(QImage::Format_RGB32);
    const int h = picture.height() / frames;
    for (int f = 0; f < frames; ++f) {
        if (shown.copy(0, 0, picture.width(), h) == source.copy(0, f * h, picture.width(), h)) {
            return f;
        }
    }
    return -1;
}

// Moves carry held as the buttons held down.
void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = {}) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : type == QEvent::MouseMove ? held : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

bool Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    for (int i = 0; i < 50 && !window->isActiveWindow(); ++i) {
        QApplication::processEvents();
    }
    return window->isActiveWindow();
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { zanto::testkit::QtApp(); }
};

}  // namespace

TEST_F(ControlsTest, BitmapButtonShowsTheFrameOfItsState) {
    const QPixmap picture = RowCoded(40, 120);
    QWidget window;
    window.resize(100, 100);
    auto* button = new BitmapButton(&window);
    button->setFocusPolicy(Qt::NoFocus);
    button->SetPictures(&picture, nullptr, true);
    button->MoveTo(10, 20);
    EXPECT_EQ(button->FrameSize(), QSize(40, 30));
    EXPECT_EQ(button->geometry(), QRect(10, 20, 40, 30));

    struct {
        const char* state;
        std::function<void()> set;
        int frame;
    } cases[] = {
        {"normal", [] {}, 0},
        {"pressed", [&] { button->setDown(true); }, 1},
        {"focused", [&] { button->setFocusPolicy(Qt::StrongFocus); Activate(&window); button->setFocus(); }, 2},
        {"disabled", [&] { button->setEnabled(false); }, 3},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(button->CurrentFrame(), c.frame) << c.state;
        EXPECT_EQ(ShownFrame(button, picture, 4), c.frame) << c.state;
        button->setDown(false);
    }
}

TEST_F(ControlsTest, BitmapButtonWithoutPictureDrawsNothingAndHasNoSize) {
    QWidget window;
    window.setStyleSheet(QStringLiteral("background: rgb(1, 2, 3)"));
    auto* button = new BitmapButton(&window);
    EXPECT_TRUE(button->FrameSize().isEmpty());
    button->MoveTo(0, 0);
    EXPECT_TRUE(button->size().isEmpty());
}

TEST_F(ControlsTest, HotFrameOnlyInTheActiveWindow) {
    const QPixmap picture = RowCoded(40, 120);
    QWidget owner;
    owner.resize(100, 60);
    auto* button = new BitmapButton(&owner);
    button->setFocusPolicy(Qt::NoFocus);
    button->SetPictures(&picture, nullptr, true);
    button->MoveTo(0, 0);
    QWidget other;
    other.resize(50, 50);
    owner.show();
    ASSERT_TRUE(Activate(&other));
    ASSERT_FALSE(owner.isActiveWindow());

    Mouse(button, QEvent::MouseMove, {5, 5});
    EXPECT_FALSE(button->IsHot());
    EXPECT_EQ(ShownFrame(button, picture, 4), 0);

    ASSERT_TRUE(Activate(&owner));
    Mouse(button, QEvent::MouseMove, {5, 5});
    EXPECT_TRUE(button->IsHot());
    EXPECT_EQ(ShownFrame(button, picture, 4), 2);

    // Leaving, or a press, ends the hot frame.
    Mouse(button, QEvent::MouseMove, {60, 5});
    EXPECT_FALSE(button->IsHot());
    Mouse(button, QEvent::MouseMove, {5, 5});
    ASSERT_TRUE(button->IsHot());
    Mouse(button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_FALSE(button->IsHot());
    EXPECT_EQ(ShownFrame(button, picture, 4), 1);
    Mouse(button, QEvent::MouseButtonRelease, {5, 5});

    // Moving with the button held lights nothing.
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &drag);
    EXPECT_FALSE(button->IsHot());
}

TEST_F(ControlsTest, OwnedPicturesAreKeptByTheButtonBorrowedOnesAreNot) {
    auto* picture = new QPixmap(RowCoded(10, 40));
    auto* palette = new SkinPalette{{qRgb(1, 2, 3)}};
    {
        BitmapButton button;
        button.SetPictures(picture, palette, false);  // the button deletes both
        EXPECT_EQ(button.Picture(), picture);
        EXPECT_EQ(button.FrameSize(), QSize(10, 10));
        const QPixmap borrowed = RowCoded(20, 80);
        button.SetPictures(&borrowed, nullptr, true);  // replacing deletes the owned pair
        EXPECT_EQ(button.FrameSize(), QSize(20, 20));
    }
    // A borrowed picture outlives every button that showed it.
    const QPixmap shared = RowCoded(8, 32);
    {
        BitmapButton a;
        BitmapButton b;
        a.SetPictures(&shared, nullptr, true);
        b.SetPictures(&shared, nullptr, true);
    }
    EXPECT_FALSE(shared.isNull());
    EXPECT_EQ(shared.width(), 8);
}

TEST_F(ControlsTest, LatchButtonLatchesOnPressAndShowsItsFrames) {
    const QPixmap picture = RowCoded(60, 30);
    LatchButton latch;
    latch.SetPictures(&picture, nullptr, true);
    latch.MoveTo(0, 0);
    latch.show();
    EXPECT_EQ(latch.FrameSize(), QSize(60, 10));
    EXPECT_EQ(ShownFrame(&latch, picture, 3), 0);
    QSignalSpy clicked(&latch, &QAbstractButton::clicked);
    Mouse(&latch, QEvent::MouseButtonPress, {3, 3});
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(latch.IsLatched());
    EXPECT_EQ(ShownFrame(&latch, picture, 3), 1);
    Mouse(&latch, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_TRUE(latch.IsLatched());
    EXPECT_EQ(clicked.count(), 1);
    latch.SetLatched(false);
    EXPECT_EQ(ShownFrame(&latch, picture, 3), 0);
    latch.setEnabled(false);
    EXPECT_EQ(ShownFrame(&latch, picture, 3), 2);
}

namespace {

struct SliderFixture {
    SliderFixture() : picture(RowCoded(160, 8)) {
        slider.SetPicture(&picture, nullptr, 148, true);
        slider.MoveTo(0, 0);
        slider.show();
    }
    std::vector<std::pair<int, int>> Take() {
        std::vector<std::pair<int, int>> out;
        for (const auto& args : spy) out.emplace_back(args.at(0).toInt(), args.at(1).toInt());
        spy.clear();
        return out;
    }
    QPixmap picture;
    BitmapSlider slider;
    QSignalSpy spy{&slider, &BitmapSlider::Scrolled};
};

}  // namespace

TEST_F(ControlsTest, SliderGeometryFollowsItsPicture) {
    SliderFixture f;
    EXPECT_EQ(f.slider.ThumbWidth(), 6);
    EXPECT_EQ(f.slider.Size(), QSize(148, 8));
    EXPECT_EQ(f.slider.ActiveTrack(), QRect(3, 0, 142, 8));
    EXPECT_EQ(f.slider.Page(), 10);
    struct {
        int position;
        int thumbLeft;
    } cases[] = {{0, 0}, {50, 71}, {100, 142}, {5, 7}};
    for (const auto& c : cases) EXPECT_EQ(f.slider.ThumbLeft(c.position), c.thumbLeft) << c.position;

    // The thumb is drawn from the enabled image at its place; disabled from the second image.
    f.slider.SetPosition(50);
    const QImage source = f.picture.toImage().convertToFormat(QImage::Format_RGB32);
    QImage shown = Render(&f.slider);
    EXPECT_EQ(shown.copy(71, 0, 6, 8), source.copy(148, 0, 6, 8));
    EXPECT_EQ(shown.copy(0, 0, 71, 8), source.copy(0, 0, 71, 8));
    f.slider.setEnabled(false);
    shown = Render(&f.slider);
    EXPECT_EQ(shown.copy(71, 0, 6, 8), source.copy(154, 0, 6, 8));
}

TEST_F(ControlsTest, SliderPageClicksStepByTenAndStopAtTheEnds) {
    struct {
        int position;
        int x;
        int expected;
        int code;
    } cases[] = {
        {5, 4, 0, BitmapSlider::kLeftEnd},
        {50, 20, 40, BitmapSlider::kPageLeft},
        {50, 120, 60, BitmapSlider::kPageRight},
        {95, 144, 100, BitmapSlider::kRightEnd},
        {10, 4, 0, BitmapSlider::kPageLeft},  // lands exactly on the minimum
    };
    for (const auto& c : cases) {
        SliderFixture f;
        f.slider.SetPosition(c.position);
        Mouse(&f.slider, QEvent::MouseButtonPress, {c.x, 4});
        Mouse(&f.slider, QEvent::MouseButtonRelease, {c.x, 4});
        EXPECT_EQ(f.slider.Position(), c.expected) << c.position << " at " << c.x;
        EXPECT_EQ(f.Take(), (std::vector<std::pair<int, int>>{{c.code, c.expected}})) << c.position << " at " << c.x;
    }
    // Outside the active track (the thumb's half-width at either end) nothing happens.
    SliderFixture f;
    f.slider.SetPosition(50);
    Mouse(&f.slider, QEvent::MouseButtonPress, {1, 4});
    EXPECT_EQ(f.slider.Position(), 50);
    EXPECT_TRUE(f.Take().empty());
}

TEST_F(ControlsTest, SliderDragReportsTrackingThenPositionAndEnd) {
    SliderFixture f;
    f.slider.SetPosition(50);
    Mouse(&f.slider, QEvent::MouseButtonPress, {73, 4});  // on the thumb (71..76)
    EXPECT_TRUE(f.slider.IsDragging());
    EXPECT_TRUE(f.Take().empty());
    Mouse(&f.slider, QEvent::MouseMove, {100, 4}, Qt::NoButton, Qt::LeftButton);
    Mouse(&f.slider, QEvent::MouseMove, {400, 4}, Qt::NoButton, Qt::LeftButton);  // far past the right end
    Mouse(&f.slider, QEvent::MouseMove, {-50, 4}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.slider.Position(), 50) << "the position stays while dragging";
    EXPECT_EQ(f.Take(), (std::vector<std::pair<int, int>>{{BitmapSlider::kThumbTrack, 68},
                                                          {BitmapSlider::kThumbTrack, 100},
                                                          {BitmapSlider::kThumbTrack, 0}}));
    Mouse(&f.slider, QEvent::MouseMove, {400, 4}, Qt::NoButton, Qt::LeftButton);
    f.Take();
    Mouse(&f.slider, QEvent::MouseButtonRelease, {400, 4});
    EXPECT_FALSE(f.slider.IsDragging());
    EXPECT_EQ(f.slider.Position(), 100);
    EXPECT_EQ(f.Take(), (std::vector<std::pair<int, int>>{{BitmapSlider::kThumbPosition, 100}, {BitmapSlider::kEndScroll, 100}}));
}

TEST_F(ControlsTest, SliderWithEmptyRangeOrNoPictureIsHarmless) {
    SliderFixture f;
    f.slider.SetRange(0, 0, true);
    f.slider.SetPosition(0);
    EXPECT_EQ(f.slider.ThumbLeft(0), 0);
    Mouse(&f.slider, QEvent::MouseButtonPress, {1, 4});
    Mouse(&f.slider, QEvent::MouseButtonRelease, {1, 4});
    Render(&f.slider);

    BitmapSlider bare;
    EXPECT_TRUE(bare.Size().isEmpty());
    bare.resize(20, 5);
    bare.show();
    Mouse(&bare, QEvent::MouseButtonPress, {3, 3});
    EXPECT_EQ(bare.Position(), 0);
}

TEST_F(ControlsTest, HeaderTitlesKeepTheirAlignmentOnlyWhenNotShortened) {
    const QFontMetrics m(MakeFont(QStringLiteral("MS Sans Serif"), -11));
    const QString title = QStringLiteral("Property");
    const int w = m.horizontalAdvance(title);
    struct {
        int width;
        bool first;
        Qt::Alignment format;
        bool shortened;
        Qt::Alignment drawn;
        int inset;
    } cases[] = {
        {w + 12, false, Qt::AlignHCenter, false, Qt::AlignHCenter, 6},
        {w + 12, false, Qt::AlignRight, false, Qt::AlignRight, 6},
        {w + 11, false, Qt::AlignHCenter, true, Qt::AlignLeft, 6},
        {w + 4, true, Qt::AlignHCenter, false, Qt::AlignHCenter, 2},  // the first item reserves less
        {w + 3, true, Qt::AlignRight, true, Qt::AlignLeft, 2},
    };
    for (const auto& c : cases) {
        const QRect item(100, 0, c.width, 18);
        const HeaderItemLayout l = LayoutHeaderItem(m, title, item, c.first, c.format);
        EXPECT_EQ(l.text != title, c.shortened) << c.width;
        EXPECT_EQ(l.text.endsWith(QStringLiteral("...")), c.shortened);
        EXPECT_EQ(l.alignment, c.drawn) << c.width;
        EXPECT_EQ(l.textRect, item.adjusted(c.inset, 0, -c.inset, 0));
    }
}

TEST_F(ControlsTest, MarginLabelPaintsBandsBackAndAlignedText) {
    MarginLabel label;
    label.resize(120, 20);
    label.SetMargins(2, 3, 4, 5);
    label.SetFrameColour(QColor(200, 0, 0));
    label.SetBackColour(QColor(0, 0, 90));
    label.SetTextColour(QColor(255, 255, 255));
    label.setText(QStringLiteral("Free"));
    QImage shown = Render(&label);
    const QRgb frame = qRgb(200, 0, 0);
    const QRgb back = qRgb(0, 0, 90);
    struct {
        QPoint at;
        QRgb colour;
    } pixels[] = {{{0, 10}, frame}, {{1, 10}, frame}, {{2, 10}, back}, {{60, 2}, frame}, {{60, 3}, back},
                  {{115, 10}, back}, {{116, 10}, frame}, {{119, 10}, frame}, {{60, 14}, back}, {{60, 15}, frame}, {{60, 19}, frame}};
    for (const auto& p : pixels) EXPECT_EQ(shown.pixel(p.at), p.colour) << p.at.x() << "," << p.at.y();

    auto textSpan = [](const QImage& img) {
        int left = img.width();
        int right = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qRed(img.pixel(x, y)) > 128 && qGreen(img.pixel(x, y)) > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return std::pair(left, right);
    };
    auto [l, r] = textSpan(shown);
    EXPECT_GE(l, 8);
    EXPECT_LT(l, 14);
    label.setAlignment(Qt::AlignRight);
    std::tie(l, r) = textSpan(Render(&label));
    EXPECT_LE(r, 120 - 4 - 6);
    EXPECT_GT(r, 120 - 4 - 6 - 6);
}

TEST_F(ControlsTest, ShapesArePixelExact) {
    // A rounded rectangle loses its corners symmetrically and keeps its edges' middles.
    const QRegion r = RoundRectShape(0, 0, 40, 30, 20, 19);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 40, 30));
    for (QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 29), QPoint(39, 29)}) EXPECT_FALSE(r.contains(p));
    for (QPoint p : {QPoint(20, 0), QPoint(0, 15), QPoint(39, 15), QPoint(20, 29)}) EXPECT_TRUE(r.contains(p));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(r.contains(QPoint(x, y)), r.contains(QPoint(39 - x, y))) << x << "," << y;
            EXPECT_EQ(r.contains(QPoint(x, y)), r.contains(QPoint(x, 29 - y))) << x << "," << y;
        }
    }
    EXPECT_TRUE(RectShape(5, 5, 5, 9).isEmpty());
    EXPECT_EQ(RectShape(1, 2, 4, 6).boundingRect(), QRect(1, 2, 3, 4));
    const QRegion box = BoxShape(QSize(231, 106));
    EXPECT_EQ(box.boundingRect(), QRect(0, 0, 231, 106));
    EXPECT_FALSE(box.contains(QPoint(3, 3)));
    EXPECT_TRUE(box.contains(QPoint(20, 3)));

    QWidget window;
    window.setMask(QRegion(0, 0, 5, 5));
    ShapeWindow(&window, r, QSize(40, 30));
    EXPECT_EQ(window.size(), QSize(40, 30));
    EXPECT_EQ(window.mask(), r);

    QImage mask(4, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, qRgb(0, 0, 0));
    mask.setPixel(1, 0, qRgb(255, 255, 255));
    mask.setPixel(2, 0, qRgb(1, 0, 0));
    mask.setPixel(3, 0, qRgb(0, 0, 0));
    EXPECT_TRUE(IsDragPixel(mask, {0, 0}));
    EXPECT_FALSE(IsDragPixel(mask, {1, 0}));
    EXPECT_FALSE(IsDragPixel(mask, {2, 0}));
    EXPECT_FALSE(IsDragPixel(mask, {4, 0}));
    EXPECT_FALSE(IsDragPixel(mask, {-1, 0}));
    EXPECT_FALSE(IsDragPixel(QImage(), {0, 0}));
}
