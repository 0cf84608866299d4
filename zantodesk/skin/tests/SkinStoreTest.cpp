#include <gtest/gtest.h>

#include <QWidget>
#include <set>
#include <vector>

#include "common/testing/QtApp.h"
#include "common/ui/BitmapButton.h"
#include "common/ui/BitmapSlider.h"
#include "common/ui/LatchButton.h"
#include "common/ui/SkinApply.h"
#include "common/ui/WindowShape.h"
#include "zantodesk/skin/SkinStore.h"

using namespace zanto;
using namespace zanto::skin;

namespace {

class SkinStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testkit::QtApp();
        if (!TheSkinStore().IsBuilt()) TheSkinStore().Build();
    }

    static const QPixmap* Picture(int n) {
        const QPixmap* p = nullptr;
        GetSkinBitmap(n, &p, nullptr, nullptr);
        return p;
    }
    static QPoint Position(int n) {
        uint32_t w[2] = {0, 0};
        GetSkinBitmap(n, nullptr, nullptr, w);
        return {static_cast<int>(w[0] & 0xFFFF), static_cast<int>(w[1] & 0xFFFF)};
    }
};

// The windows: background, hit mask, region, and their controls with frame counts.
struct Window {
    const char* name;
    int background;
    int mask;
    int region;
    QSize size;
    std::vector<std::pair<int, int>> controls;  // slot, frames (0 for a slider)
    QRect panel;                                // where text and lists are shown; never a drag area
};

std::vector<std::pair<int, int>> Keys(std::initializer_list<int> ids, int frames = 4) {
    std::vector<std::pair<int, int>> out;
    for (int s : ids) out.emplace_back(s, frames);
    return out;
}

std::vector<Window> Windows() {
    auto player = Keys({2, 7, 9, 10, 11, 12, 15, 16, 17, 18, 19, 20, 23, 24});
    player.emplace_back(13, 0);
    player.emplace_back(14, 0);
    auto playlist = Keys({40, 41, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54});
    playlist.emplace_back(42, 3);
    playlist.emplace_back(43, 3);
    return {
        {"player", 0, 1, 0, {340, 99}, player, QRect(56, 47, 47, 13)},
        {"cd", 26, 34, 1, {411, 226}, Keys({27, 28, 31, 32, 33, 35, 36, 37}), QRect(89, 44, 301, 160)},
        {"playlist", 38, 39, 2, {411, 226}, playlist, QRect(89, 50, 301, 154)},
        {"internal", 55, 56, 4, {410, 255}, Keys({57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68}), QRect(89, 44, 301, 190)},
        {"card", 69, 70, 5, {410, 255}, Keys({71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82}), QRect(89, 44, 301, 190)},
    };
}

QRect ControlRect(int slot, int frames) {
    uint32_t w[2];
    const QPixmap* p = nullptr;
    GetSkinBitmap(slot, &p, nullptr, w);
    if (frames == 0) {
        return QRect(static_cast<int>(w[0] & 0xFFFF), static_cast<int>(w[1]), static_cast<int>(w[0] >> 16), p->height());
    }
    return QRect(static_cast<int>(w[0] & 0xFFFF), static_cast<int>(w[1] & 0xFFFF), p->width(), p->height() / frames);
}

}  // namespace

TEST_F(SkinStoreTest, RegionsHaveTheirShapes) {
    struct {
        int region;
        QPoint at;
        bool inside;
    } cases[] = {
        {0, {5, 30}, false}, {0, {300, 5}, true}, {0, {14, 12}, true}, {0, {74, 7}, true}, {0, {100, 7}, false},
        {0, {0, 38}, false}, {0, {0, 60}, true}, {0, {339, 98}, false}, {0, {170, 98}, true},
        {1, {200, 3}, true}, {1, {200, 7}, false}, {1, {200, 9}, true}, {1, {30, 2}, true}, {1, {0, 0}, false},
        {3, {200, 7}, false}, {3, {200, 250}, true}, {3, {410, 255}, false},
        {4, {20, 170}, false}, {4, {10, 170}, true}, {4, {409, 254}, true}, {4, {410, 100}, false},
    };
    for (const auto& c : cases) {
        QRegion r;
        GetSkinRegion(c.region, &r);
        EXPECT_EQ(r.contains(c.at), c.inside) << "region " << c.region << " at " << c.at.x() << "," << c.at.y();
    }
    const QRect bounds[] = {{0, 0, 340, 99}, {0, 0, 411, 226}, {0, 0, 411, 226}, {0, 0, 411, 256}, {0, 0, 410, 255}, {0, 0, 410, 255}};
    for (int n = 0; n < kRegionCount; ++n) {
        QRegion r;
        GetSkinRegion(n, &r);
        EXPECT_EQ(r.boundingRect(), bounds[n]) << n;
    }
    QRegion cd, playlist, internal, card;
    GetSkinRegion(1, &cd);
    GetSkinRegion(2, &playlist);
    GetSkinRegion(4, &internal);
    GetSkinRegion(5, &card);
    EXPECT_EQ(cd, playlist);
    EXPECT_EQ(internal, card);
}

TEST_F(SkinStoreTest, RegionCopiesAreIndependent) {
    QRegion first;
    QRegion second;
    GetSkinRegion(0, &first);
    GetSkinRegion(0, &second);
    QWidget window;
    window.resize(340, 99);
    window.setMask(first);
    first -= QRegion(0, 0, 200, 99);
    QRegion third(1, 1, 1, 1);  // whatever the holder had is replaced
    GetSkinRegion(0, &third);
    EXPECT_EQ(second, third);
    EXPECT_TRUE(third.contains(QPoint(100, 50)));
    EXPECT_FALSE(first.contains(QPoint(100, 50)));
    EXPECT_TRUE(window.mask().contains(QPoint(100, 50)));
}

TEST_F(SkinStoreTest, BitmapAccessorSharesPicturesAndSkipsNullOuts) {
    GetSkinBitmap(0, nullptr, nullptr, nullptr);
    GetSkinFont(0, nullptr, nullptr, nullptr, nullptr);
    GetSkinRegion(0, nullptr);

    const QPixmap* a = nullptr;
    const QPixmap* b = nullptr;
    const ui::SkinPalette* pa = nullptr;
    const ui::SkinPalette* pb = nullptr;
    GetSkinBitmap(9, &a, &pa, nullptr);
    GetSkinBitmap(9, &b, &pb, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(pa, pb);
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->isNull());

    struct {
        int slot;
        uint32_t word0;
        uint32_t word1;
    } cases[] = {
        {0, 0, 0}, {2, 121, 77}, {13, 133u | (148u << 16), 67}, {14, 176u | (106u << 16), 80},
        {21, 56u | (85u << 16), 47u | (47u << 16)}, {27, 381, 8}, {53, 25, 10}, {82, 350, 8},
    };
    for (const auto& c : cases) {
        uint32_t w[2] = {0xDEAD, 0xBEEF};
        GetSkinBitmap(c.slot, nullptr, nullptr, w);
        EXPECT_EQ(w[0], c.word0) << c.slot;
        EXPECT_EQ(w[1], c.word1) << c.slot;
    }
    // Numbers outside the store leave the outs alone instead of reading past it.
    const QPixmap* untouched = a;
    GetSkinBitmap(83, &untouched, nullptr, nullptr);
    GetSkinBitmap(-1, &untouched, nullptr, nullptr);
    EXPECT_EQ(untouched, a);
}

TEST_F(SkinStoreTest, EveryPictureHasTheLayoutItsWindowExpects) {
    for (int n = 0; n < kBitmapCount; ++n) {
        const QPixmap* p = Picture(n);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->isNull(), n == 29 || n == 30) << n;
    }
    for (const Window& w : Windows()) {
        EXPECT_EQ(Picture(w.background)->size(), w.size) << w.name;
        EXPECT_EQ(Picture(w.mask)->size(), w.size) << w.name;
        const ui::SkinPalette* palette = nullptr;
        GetSkinBitmap(w.mask, nullptr, &palette, nullptr);
        EXPECT_TRUE(palette->IsEmpty()) << "hit masks have no palette";
        for (const auto& [slot, frames] : w.controls) {
            const QPixmap* p = Picture(slot);
            if (frames > 0) {
                EXPECT_EQ(p->height() % frames, 0) << w.name << " slot " << slot;
            }
        }
    }
    // Slider thumbs, digit strip, channel picture and play mark.
    uint32_t words[2];
    GetSkinBitmap(13, nullptr, nullptr, words);
    EXPECT_EQ((Picture(13)->width() - static_cast<int>(words[0] >> 16)) % 2, 0);
    EXPECT_GT(Picture(13)->width(), static_cast<int>(words[0] >> 16));
    GetSkinBitmap(14, nullptr, nullptr, words);
    EXPECT_EQ((Picture(14)->width() - static_cast<int>(words[0] >> 16)) % 2, 0);
    EXPECT_EQ(Picture(21)->width() % 11, 0);
    EXPECT_EQ(Picture(22)->height() % 3, 0);
    EXPECT_EQ(Picture(25)->height() % 2, 0);
    // The mode button's five pictures are interchangeable.
    for (int n = 3; n <= 6; ++n) EXPECT_EQ(Picture(n)->size(), Picture(2)->size());
    EXPECT_EQ(Picture(8)->size(), Picture(9)->size());
}

TEST_F(SkinStoreTest, ControlsFitTheirWindowAndDoNotOverlap) {
    for (const Window& w : Windows()) {
        QRegion shape;
        GetSkinRegion(w.region, &shape);
        std::vector<QRect> placed;
        for (const auto& [slot, frames] : w.controls) {
            const QRect r = ControlRect(slot, frames);
            EXPECT_TRUE(QRect(QPoint(0, 0), w.size).contains(r)) << w.name << " slot " << slot;
            // Each control sits on the window's body, at least at its middle.
            EXPECT_TRUE(shape.contains(r.center())) << w.name << " slot " << slot;
            for (const QRect& other : placed) EXPECT_FALSE(r.intersects(other)) << w.name << " slot " << slot;
            placed.push_back(r);
        }
    }
}

TEST_F(SkinStoreTest, HitMasksLetTheBodyDragButNotTheControls) {
    for (const Window& w : Windows()) {
        const QImage mask = Picture(w.mask)->toImage();
        QRegion shape;
        GetSkinRegion(w.region, &shape);
        int drag = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                if (ui::IsDragPixel(mask, {x, y})) {
                    ++drag;
                    ASSERT_TRUE(shape.contains(QPoint(x, y))) << w.name << " drags outside its shape at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(drag, mask.width() * 4) << w.name;
        for (const auto& [slot, frames] : w.controls) {
            const QRect r = ControlRect(slot, frames);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    ASSERT_FALSE(ui::IsDragPixel(mask, {x, y})) << w.name << " slot " << slot << " at " << x << "," << y;
        }
        for (QPoint p : {w.panel.topLeft(), w.panel.center(), w.panel.bottomRight()})
            EXPECT_FALSE(ui::IsDragPixel(mask, p)) << w.name;
    }
    // The player is dragged by its left end and by its jewel.
    const QImage player = Picture(1)->toImage();
    EXPECT_TRUE(ui::IsDragPixel(player, {4, 70}));
    EXPECT_TRUE(ui::IsDragPixel(player, {14, 12}));
}

TEST_F(SkinStoreTest, FontsHaveTheirHeightsBoxesAndColours) {
    struct {
        int n;
        int pixels;
        uint32_t box0;
        uint32_t box1;
    } cases[] = {
        {0, 11, 45u | (227u << 16), 28}, {1, 8, 127, 45}, {3, 8, 212, 45}, {4, 11, 89u | (301u << 16), 44u | (15u << 16)},
        {8, 11, 89u | (301u << 16), 50u | (154u << 16)}, {10, 11, 240u | (150u << 16), 221u | (13u << 16)},
        {14, 11, 89u | (301u << 16), 44u | (177u << 16)},
    };
    for (const auto& c : cases) {
        const QFont* font = nullptr;
        QRgb text = 1;
        QRgb back = 1;
        uint32_t box[2] = {0, 0};
        GetSkinFont(c.n, &font, &text, &back, box);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->pixelSize(), c.pixels) << c.n;
        EXPECT_EQ(font->weight(), QFont::Normal);
        EXPECT_EQ(text, qRgb(0, 0, 0));
        EXPECT_EQ(back, qRgb(192, 220, 192));
        EXPECT_EQ(box[0], c.box0) << c.n;
        EXPECT_EQ(box[1], c.box1) << c.n;
        const QFont* again = nullptr;
        GetSkinFont(c.n, &again, nullptr, nullptr, nullptr);
        EXPECT_EQ(font, again);
    }
}

namespace {
bool WithoutSeekSlider(int resource, QPixmap* picture, ui::SkinPalette* palette) {
    if (resource == 154) return false;
    *picture = QPixmap(4, 8);
    picture->fill(Qt::red);
    palette->entries = {qRgb(255, 0, 0)};
    return true;
}
QPixmap NoMasks(int) { return {}; }
}  // namespace

TEST_F(SkinStoreTest, MissingPicturesLeaveTheirSlotsEmpty) {
    SkinStore store;
    store.Build(&WithoutSeekSlider, &NoMasks);
    const QPixmap* p = nullptr;
    const ui::SkinPalette* palette = nullptr;
    store.GetBitmap(13, &p, &palette, nullptr);
    EXPECT_TRUE(p->isNull());
    EXPECT_TRUE(palette->IsEmpty());
    store.GetBitmap(14, &p, &palette, nullptr);
    EXPECT_FALSE(p->isNull());
    EXPECT_EQ(palette->entries.size(), 1u);
    store.GetBitmap(1, &p, nullptr, nullptr);
    EXPECT_TRUE(p->isNull());
    // The rest of the store is whole: regions and fonts do not depend on pictures.
    QRegion r;
    store.GetRegion(0, &r);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 340, 99));
    // Building again starts from nothing.
    store.Clear();
    EXPECT_FALSE(store.IsBuilt());
    store.GetRegion(0, &r);
    EXPECT_TRUE(r.isEmpty());
}

TEST_F(SkinStoreTest, ControlsTakeTheirSkinElementsByNumber) {
    QWidget window;
    auto* play = new ui::BitmapButton(&window);
    auto* all = new ui::LatchButton(&window);
    auto* seek = new ui::BitmapSlider(&window);
    auto* list = new QWidget(&window);
    ui::ApplySkinShape(&window, kPlayerRegion, 0, &GetSkinRegion, &GetSkinBitmap);
    EXPECT_EQ(window.size(), QSize(340, 99));
    EXPECT_FALSE(window.mask().contains(QPoint(5, 30)));
    EXPECT_TRUE(window.mask().contains(QPoint(300, 5)));

    EXPECT_TRUE(ui::ApplySkinButton(play, 9, &GetSkinBitmap));
    EXPECT_EQ(play->geometry(), QRect(QPoint(52, 77), play->FrameSize()));
    EXPECT_EQ(play->Picture(), Picture(9)) << "the store's own picture, borrowed";
    EXPECT_TRUE(ui::ApplySkinLatch(all, 42, &GetSkinBitmap));
    EXPECT_EQ(all->geometry(), QRect(QPoint(21, 65), all->FrameSize()));
    EXPECT_TRUE(ui::ApplySkinSlider(seek, 13, &GetSkinBitmap));
    EXPECT_EQ(seek->geometry(), QRect(133, 67, 148, Picture(13)->height()));
    EXPECT_EQ(seek->TrackWidth(), 148);
    EXPECT_FALSE(ui::ApplySkinButton(play, 29, &GetSkinBitmap)) << "an empty slot";
    EXPECT_TRUE(play->FrameSize().isEmpty());

    ui::ApplySkinFont(list, 11, &GetSkinFont);
    EXPECT_EQ(list->geometry(), QRect(89, 44, 301, 177));
    EXPECT_EQ(list->font().pixelSize(), 11);
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(192, 220, 192));
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(0, 0, 0));
}

TEST_F(SkinStoreTest, PalettesHoldThePictureColoursAndMasksHaveNone) {
    int withPalette = 0;
    for (int n = 0; n < kBitmapCount; ++n) {
        const auto& slot = kBitmapSlots[static_cast<size_t>(n)];
        const QPixmap* picture = nullptr;
        const ui::SkinPalette* palette = nullptr;
        GetSkinBitmap(n, &picture, &palette, nullptr);
        if (slot.mask || slot.resource == 0) {
            EXPECT_TRUE(palette->IsEmpty()) << n;
            continue;
        }
        if (palette->IsEmpty()) continue;
        ++withPalette;
        EXPECT_LE(palette->entries.size(), 256u);
        const std::set<QRgb> entries(palette->entries.begin(), palette->entries.end());
        const QImage image = picture->toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) == 255) {
                    ASSERT_TRUE(entries.count(qRgb(qRed(p), qGreen(p), qBlue(p)))) << n;
                }
            }
        }
    }
    // The digit strip has few colours, so it comes with its table.
    const ui::SkinPalette* digits = nullptr;
    GetSkinBitmap(21, nullptr, &digits, nullptr);
    EXPECT_FALSE(digits->IsEmpty());
    EXPECT_GT(withPalette, 5);
}
