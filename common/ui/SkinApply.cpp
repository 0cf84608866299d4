#include "common/ui/SkinApply.h"

#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

#include "common/ui/BitmapButton.h"
#include "common/ui/BitmapSlider.h"
#include "common/ui/LatchButton.h"
#include "common/ui/WindowShape.h"

namespace zanto::ui {
namespace {

struct Element {
    const QPixmap* picture = nullptr;
    const SkinPalette* palette = nullptr;
    uint32_t words[2] = {0, 0};
};

Element Fetch(int n, SkinBitmapProc bitmaps) {
    Element e;
    if (bitmaps != nullptr) {
        bitmaps(n, &e.picture, &e.palette, e.words);
    }
    return e;
}

int Low(uint32_t w) { return static_cast<int>(w & 0xFFFF); }
int High(uint32_t w) { return static_cast<int>(w >> 16); }

}  // namespace

bool ApplySkinButton(BitmapButton* button, int n, SkinBitmapProc bitmaps) {
    const Element e = Fetch(n, bitmaps);
    button->SetPictures(e.picture, e.palette, true);
    button->MoveTo(Low(e.words[0]), Low(e.words[1]));
    return e.picture != nullptr && !e.picture->isNull();
}

bool ApplySkinLatch(LatchButton* button, int n, SkinBitmapProc bitmaps) {
    const Element e = Fetch(n, bitmaps);
    button->SetPictures(e.picture, e.palette, true);
    button->MoveTo(Low(e.words[0]), Low(e.words[1]));
    return e.picture != nullptr && !e.picture->isNull();
}

bool ApplySkinSlider(BitmapSlider* slider, int n, SkinBitmapProc bitmaps) {
    const Element e = Fetch(n, bitmaps);
    slider->SetPicture(e.picture, e.palette, High(e.words[0]), true);
    slider->MoveTo(Low(e.words[0]), static_cast<int>(e.words[1]));
    return e.picture != nullptr && !e.picture->isNull();
}

void ApplySkinFont(QWidget* widget, int n, SkinFontProc fonts) {
    if (fonts == nullptr) {
        return;
    }
    const QFont* font = nullptr;
    QRgb text = 0;
    QRgb back = 0;
    uint32_t box[2] = {0, 0};
    fonts(n, &font, &text, &back, box);
    if (font != nullptr) {
        widget->setFont(*font);
    }
    QPalette p = widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(role, QColor(text));
    }
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
        p.setColor(role, QColor(back));
    }
    widget->setPalette(p);
    widget->setGeometry(Low(box[0]), Low(box[1]), High(box[0]), High(box[1]));
}

void ApplySkinShape(QWidget* window, int region, int background, SkinRgnProc regions, SkinBitmapProc bitmaps) {
    QRegion shape;
    if (regions != nullptr) {
        regions(region, &shape);
    }
    const Element e = Fetch(background, bitmaps);
    const QSize size = e.picture != nullptr && !e.picture->isNull() ? e.picture->size() : window->size();
    ShapeWindow(window, shape, size);
}

}  // namespace zanto::ui
