#pragma once
// The process-wide set of window shapes, pictures, fonts and colours every skinned window draws
// from. It is filled once at start-up and read only afterwards; what it hands out by reference
// stays its own until the program ends.
#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <array>
#include <cstdint>

#include "common/ui/SkinPalette.h"
#include "zantodesk/skin/SkinLayout.h"

namespace zanto::skin {

class SkinStore {
public:
    // Where pictures come from: resource number → picture and palette (false: no such picture),
    // and resource number → hit mask. The built-in pictures by default.
    using PictureLoader = bool (*)(int resource, QPixmap* picture, ui::SkinPalette* palette);
    using MaskLoader = QPixmap (*)(int resource);

    SkinStore() = default;
    SkinStore(const SkinStore&) = delete;
    SkinStore& operator=(const SkinStore&) = delete;

    // Releases everything and builds the regions, pictures and fonts again.
    void Build();
    void Build(PictureLoader pictures, MaskLoader masks);
    void Clear();
    bool IsBuilt() const { return built_; }

    // The three accessors. n is not checked beyond keeping out of range numbers harmless.
    void GetRegion(int n, QRegion* region) const;
    void GetBitmap(int n, const QPixmap** bitmap, const ui::SkinPalette** palette, uint32_t position[2]) const;
    void GetFont(int n, const QFont** font, QRgb* textColour, QRgb* backColour, uint32_t box[2]) const;

private:
    struct Bitmap {
        QPixmap picture;
        ui::SkinPalette palette;
        uint32_t position[2] = {0, 0};
    };
    struct Font {
        QFont font;
        uint32_t box[2] = {0, 0};
        QRgb text = 0;
        QRgb back = 0;
    };

    std::array<QRegion, kRegionCount> regions_;
    std::array<Bitmap, kBitmapCount> bitmaps_;
    std::array<Font, kFontCount> fonts_;
    bool built_ = false;
};

// The program's one store.
SkinStore& TheSkinStore();

// The accessors as plain functions over the program's store; the player-memory library receives
// these as its skin callbacks.
void GetSkinRegion(int n, QRegion* region);
void GetSkinBitmap(int n, const QPixmap** bitmap, const ui::SkinPalette** palette, uint32_t position[2]);
void GetSkinFont(int n, const QFont** font, QRgb* textColour, QRgb* backColour, uint32_t box[2]);

}  // namespace zanto::skin
