#include "zantodesk/skin/SkinRegions.h"

#include "common/ui/WindowShape.h"

namespace zanto::skin {

using ui::EllipseShape;
using ui::PolygonShape;
using ui::RectShape;
using ui::RoundRectShape;

namespace {

QRegion Player() {
    QRegion r = EllipseShape(2, 0, 26, 24);
    r += RectShape(10, 0, 72, 9);
    r += RectShape(70, 1, 273, 5);
    r += RoundRectShape(274, 0, 339, 21, 20, 19);
    r += RectShape(10, 9, 339, 56);
    r += RoundRectShape(0, 39, 340, 99, 20, 19);
    r += PolygonShape({{72, 5}, {78, 5}, {87, 9}, {72, 9}});
    r += PolygonShape({{274, 0}, {262, 9}, {300, 9}, {300, 0}});
    return r;
}

// The large windows: a rounded body with a notch in the top edge bridged by a thin bar.
QRegion Notched(int height) {
    QRegion r = RoundRectShape(0, 0, 411, height, 20, 19);
    r -= PolygonShape({{76, 0}, {89, 9}, {311, 9}, {324, 0}});
    r += RectShape(77, 1, 323, 5);
    return r;
}

QRegion MemoryView() { return RectShape(0, 0, 410, 255) - RectShape(18, 162, 65, 187); }

}  // namespace

QRegion BuildSkinRegion(int n) {
    switch (n) {
    case 0: return Player();
    case 1:
    case 2: return Notched(226);
    case 3: return Notched(256);
    case 4:
    case 5: return MemoryView();
    default: return {};
    }
}

}  // namespace zanto::skin
