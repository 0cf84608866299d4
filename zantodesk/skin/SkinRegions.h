#pragma once
// The window shapes of the built-in skin.
#include <QRegion>

namespace zanto::skin {

// Region n (0 to 5) built from its shapes; empty for other numbers.
QRegion BuildSkinRegion(int n);

}  // namespace zanto::skin
