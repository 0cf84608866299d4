#pragma once
// Symbols drawn on keys.
#include "resources/generator/Style.h"

namespace zanto::skingen::glyph {

KeyContent Play();
KeyContent Pause();
KeyContent Stop();
KeyContent Previous();
KeyContent Next();
KeyContent Eject();
KeyContent Close();
KeyContent Minimize();
KeyContent Help();
// Play modes 0 to 4: once through, repeat one, repeat all, shuffle once, shuffle forever.
KeyContent Mode(int mode);

}  // namespace zanto::skingen::glyph
