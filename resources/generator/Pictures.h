#pragma once
// Every picture and icon resource of the program, drawn by code.
#include <QImage>
#include <QSize>
#include <map>

namespace zanto::skingen {

// Picture resources by number.
std::map<int, QImage> DrawBitmaps();
// Icon resources by number (16 × 16, and 32 × 32 for the program icon).
std::map<int, QImage> DrawIcons();
// The size of one frame of a key or strip picture; empty for whole pictures.
QSize FrameSizeOf(int resource);

}  // namespace zanto::skingen
