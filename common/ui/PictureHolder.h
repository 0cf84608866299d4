#pragma once
// The picture and palette a skinned control draws from. Borrowed pictures belong to the skin store
// and are only let go of; pictures handed over with borrowed = false belong to the holder and are
// deleted when replaced or when the holder goes away.
#include <QPixmap>
#include <memory>

#include "common/ui/SkinPalette.h"

namespace zanto::ui {

class PictureHolder {
public:
    PictureHolder() = default;
    PictureHolder(const PictureHolder&) = delete;
    PictureHolder& operator=(const PictureHolder&) = delete;
    ~PictureHolder() { Release(); }

    // Takes picture and palette (either may be null); with borrowed = false the holder owns both.
    void Set(const QPixmap* picture, const SkinPalette* palette, bool borrowed) {
        Release();
        picture_ = picture;
        palette_ = palette;
        borrowed_ = borrowed;
    }
    // Takes copies of picture and palette that the holder owns.
    void SetOwned(const QPixmap& picture, const SkinPalette& palette) {
        Set(new QPixmap(picture), new SkinPalette(palette), false);
    }

    const QPixmap* Picture() const { return picture_; }
    const SkinPalette* Palette() const { return palette_; }
    bool Borrowed() const { return borrowed_; }
    bool HasPicture() const { return picture_ != nullptr && !picture_->isNull(); }

private:
    void Release() {
        if (!borrowed_) {
            delete picture_;
            delete palette_;
        }
        picture_ = nullptr;
        palette_ = nullptr;
        borrowed_ = true;
    }

    const QPixmap* picture_ = nullptr;
    const SkinPalette* palette_ = nullptr;
    bool borrowed_ = true;
};

}  // namespace zanto::ui
