#pragma once
// Giving a window and its controls their skin elements by number, through the skin services (the
// program's own accessors or the ones lent to the player-memory library).
#include "common/ui/SkinCallbacks.h"

class QWidget;

namespace zanto::ui {

class BitmapButton;
class BitmapSlider;
class LatchButton;

// Borrowed picture n, moved to its position and sized to one frame. False when n has no picture.
bool ApplySkinButton(BitmapButton* button, int n, SkinBitmapProc bitmaps);
bool ApplySkinLatch(LatchButton* button, int n, SkinBitmapProc bitmaps);
// Borrowed picture n with the track width from the high word of its first position word, moved to
// (low word, second word).
bool ApplySkinSlider(BitmapSlider* slider, int n, SkinBitmapProc bitmaps);
// Font n with its colours, and the widget placed in its box (x and width, y and height).
void ApplySkinFont(QWidget* widget, int n, SkinFontProc fonts);
// Region as the window's shape and the window sized to background picture n.
void ApplySkinShape(QWidget* window, int region, int background, SkinRgnProc regions, SkinBitmapProc bitmaps);

}  // namespace zanto::ui
