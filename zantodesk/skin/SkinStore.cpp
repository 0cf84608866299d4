#include "zantodesk/skin/SkinStore.h"

#include "common/ui/SkinCallbacks.h"
#include "common/ui/TextUtil.h"
#include "resources/Pictures.h"
#include "zantodesk/skin/SkinRegions.h"

namespace zanto::skin {

// The accessors must fit the callback types the player-memory library stores.
static_assert(std::is_same_v<decltype(&GetSkinRegion), ui::SkinRgnProc>);
static_assert(std::is_same_v<decltype(&GetSkinBitmap), ui::SkinBitmapProc>);
static_assert(std::is_same_v<decltype(&GetSkinFont), ui::SkinFontProc>);

namespace {

QRgb FromRgbWord(uint32_t rgb) { return qRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

void SkinStore::Clear() {
    for (QRegion& r : regions_) {
        r = QRegion();
    }
    for (Bitmap& b : bitmaps_) {
        b = Bitmap();
    }
    for (Font& f : fonts_) {
        f = Font();
    }
    built_ = false;
}

void SkinStore::Build() { Build(&resources::LoadPicture, &resources::LoadPlainPicture); }

void SkinStore::Build(PictureLoader pictures, MaskLoader masks) {
    Clear();
    for (int n = 0; n < kRegionCount; ++n) {
        regions_[static_cast<size_t>(n)] = BuildSkinRegion(n);
    }
    for (size_t n = 0; n < kBitmapSlots.size(); ++n) {
        const BitmapSlot& slot = kBitmapSlots[n];
        Bitmap& bitmap = bitmaps_[n];
        bitmap.position[0] = slot.word0;
        bitmap.position[1] = slot.word1;
        if (slot.resource == 0) {
            continue;
        }
        // A missing picture leaves its slot empty.
        if (slot.mask) {
            bitmap.picture = masks != nullptr ? masks(slot.resource) : QPixmap();
        } else if (pictures == nullptr || !pictures(slot.resource, &bitmap.picture, &bitmap.palette)) {
            bitmap.picture = QPixmap();
            bitmap.palette = ui::SkinPalette();
        }
    }
    for (size_t n = 0; n < kFontSlots.size(); ++n) {
        const FontSlot& slot = kFontSlots[n];
        Font& font = fonts_[n];
        font.font = ui::MakeFont(QString::fromLatin1(slot.face), slot.height);
        font.box[0] = slot.box0;
        font.box[1] = slot.box1;
        font.text = FromRgbWord(kDisplayText);
        font.back = FromRgbWord(kDisplayBack);
    }
    built_ = true;
}

void SkinStore::GetRegion(int n, QRegion* region) const {
    if (region == nullptr) {
        return;
    }
    *region = n >= 0 && n < kRegionCount ? regions_[static_cast<size_t>(n)] : QRegion();
}

void SkinStore::GetBitmap(int n, const QPixmap** bitmap, const ui::SkinPalette** palette, uint32_t position[2]) const {
    if (n < 0 || n >= kBitmapCount) {
        return;
    }
    const Bitmap& b = bitmaps_[static_cast<size_t>(n)];
    if (bitmap != nullptr) {
        *bitmap = &b.picture;
    }
    if (palette != nullptr) {
        *palette = &b.palette;
    }
    if (position != nullptr) {
        position[0] = b.position[0];
        position[1] = b.position[1];
    }
}

void SkinStore::GetFont(int n, const QFont** font, QRgb* textColour, QRgb* backColour, uint32_t box[2]) const {
    if (n < 0 || n >= kFontCount) {
        return;
    }
    const Font& f = fonts_[static_cast<size_t>(n)];
    if (font != nullptr) {
        *font = &f.font;
    }
    if (textColour != nullptr) {
        *textColour = f.text;
    }
    if (backColour != nullptr) {
        *backColour = f.back;
    }
    if (box != nullptr) {
        box[0] = f.box[0];
        box[1] = f.box[1];
    }
}

SkinStore& TheSkinStore() {
    static SkinStore store;
    return store;
}

void GetSkinRegion(int n, QRegion* region) { TheSkinStore().GetRegion(n, region); }

void GetSkinBitmap(int n, const QPixmap** bitmap, const ui::SkinPalette** palette, uint32_t position[2]) {
    TheSkinStore().GetBitmap(n, bitmap, palette, position);
}

void GetSkinFont(int n, const QFont** font, QRgb* textColour, QRgb* backColour, uint32_t box[2]) {
    TheSkinStore().GetFont(n, font, textColour, backColour, box);
}

}  // namespace zanto::skin
