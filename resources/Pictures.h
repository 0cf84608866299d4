#pragma once
// The program's built-in pictures and icons, addressed by resource number.
#include <QPixmap>

#include "common/ui/SkinPalette.h"

namespace zanto::resources {

// Loads picture resource number with its palette (empty for true-colour pictures). Returns false
// and leaves both alone when there is no such picture.
bool LoadPicture(int number, QPixmap* picture, ui::SkinPalette* palette);
// The same without a palette, for hit masks.
QPixmap LoadPlainPicture(int number);
// Icon resource number; null when there is none.
QPixmap LoadIcon(int number);

}  // namespace zanto::resources
