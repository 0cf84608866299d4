#pragma once
// The colour table that came with a picture. On a true-colour display nothing is realised; the
// table is kept so that windows can hand it on and compare it as the pictures' owners expect.
#include <QRgb>
#include <vector>

namespace zanto::ui {

struct SkinPalette {
    std::vector<QRgb> entries;  // red, green and blue of each colour-table entry; empty: no palette

    bool IsEmpty() const { return entries.empty(); }
};

}  // namespace zanto::ui
