#pragma once
// The four services the program lends the player-memory library: skin regions, pictures, fonts and
// the skinned message box. They cross the library boundary as plain function pointers; the library
// keeps one of each (the last one set wins).
#include <QRgb>
#include <cstdint>

#include "common/ui/SkinPalette.h"

class QFont;
class QPixmap;
class QRegion;
class QWidget;

namespace zanto::ui {

// Replaces *region with a copy of skin region id; the caller owns the copy.
using SkinRgnProc = void (*)(int id, QRegion* region);
// Stores references to skin picture id and its palette (owned by the skin, never to be freed) and
// copies its two position words (x, y of its top-left corner for pictures that are placed). Each
// out argument may be null and is then skipped.
using SkinBitmapProc = void (*)(int id, const QPixmap** bitmap, const SkinPalette** palette, uint32_t position[2]);
// Stores a reference to skin font id and copies its colours and its two box words: x in the low and
// width in the high 16 bits of the first, y and height likewise in the second. Null outs skipped.
using SkinFontProc = void (*)(int id, const QFont** font, QRgb* textColour, QRgb* backColour, uint32_t box[2]);
// Shows a skinned message box with the system's message-box type codes; answers the button code.
using MessageBoxProc = int (*)(const char* text, QWidget* owner, unsigned type);

// Message-box type codes and answers the windows use.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbAbortRetryIgnore = 0x2;
inline constexpr unsigned kMbYesNoCancel = 0x3;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbRetryCancel = 0x5;
inline constexpr unsigned kMbTypeMask = 0xF;
inline constexpr unsigned kMbDefButton1 = 0x000;
inline constexpr unsigned kMbDefButton2 = 0x100;
inline constexpr unsigned kMbDefButton3 = 0x200;
inline constexpr unsigned kMbDefMask = 0xF00;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The services lent to this module (each file that shows windows has its own set; the last one set
// wins). Unset services are null; ShowMessage copes with that, the skin users check before use.
struct SkinServices {
    SkinRgnProc region = nullptr;
    SkinBitmapProc bitmap = nullptr;
    SkinFontProc font = nullptr;
    MessageBoxProc messageBox = nullptr;
};
void SetSkinRgnProc(SkinRgnProc proc);
void SetSkinBitmapProc(SkinBitmapProc proc);
void SetSkinFontProc(SkinFontProc proc);
void SetMessageBoxProc(MessageBoxProc proc);
const SkinServices& LentSkinServices();

}  // namespace zanto::ui
