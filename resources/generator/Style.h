#pragma once
// The look of the built-in skin: dark brushed gunmetal bodies, pale green liquid-crystal panels,
// small bevelled keys whose labels light up green under the pointer, and dark glass boxes.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <functional>

namespace zanto::skingen {

namespace colour {
inline const QColor kMetalTop{0x6a, 0x71, 0x7a};
inline const QColor kMetalMid{0x48, 0x4e, 0x56};
inline const QColor kMetalBottom{0x2e, 0x32, 0x38};
inline const QColor kEdgeLight{0xb4, 0xbc, 0xc6};
inline const QColor kEdgeDark{0x0e, 0x10, 0x13};
inline const QColor kLcd{192, 220, 192};
inline const QColor kLcdInk{0x14, 0x24, 0x16};
inline const QColor kLcdGhost{0xb0, 0xca, 0xb0};
inline const QColor kLabel{0xe6, 0xea, 0xee};
inline const QColor kLabelHot{0x8c, 0xff, 0x7a};
inline const QColor kLabelPressed{0xb8, 0xff, 0xaa};
inline const QColor kLabelDisabled{0x74, 0x79, 0x80};
inline const QColor kGlassTop{0x10, 0x22, 0x1a};
inline const QColor kGlassBottom{0x06, 0x10, 0x0c};
inline const QColor kGreen{0, 255, 0};
inline const QColor kAmber{0xff, 0xb0, 0x20};
}  // namespace colour

enum class KeyState { kNormal, kPressed, kHot, kDisabled, kLatched };

// Draws the content of a key (glyph or label) into rect in colour.
using KeyContent = std::function<void(QPainter&, const QRectF& rect, const QColor& colour)>;

QFont LabelFont(int pixelSize, bool bold = true);
QFont LogoFont(int pixelSize);

// Brushed metal filling region, with bevelled edges along its outline.
// flat: one tone top to bottom, for pictures that are tiled.
void PaintMetal(QImage& image, const QRegion& region, int seed, bool flat = false);
// A recessed panel: dark edge above and left, light edge below and right, filled with fill.
void PaintInset(QPainter& p, const QRect& rect, const QColor& fill);
// Text cut into the metal.
void PaintEngraved(QPainter& p, const QRect& rect, const QString& text, const QFont& font, Qt::Alignment align);
// Text printed in light grey, for dark grooves.
void PaintPrinted(QPainter& p, const QRect& rect, const QString& text, const QFont& font, Qt::Alignment align);
// One frame of a key in state.
void PaintKey(QPainter& p, const QRect& rect, KeyState state, const KeyContent& content, bool round = false);
// A key picture: the frames for states stacked vertically.
QImage KeyStrip(QSize frame, std::initializer_list<KeyState> states, const KeyContent& content, bool round = false);
// Content that writes a label.
KeyContent Label(const QString& text, int pixelSize = 9);
// Dark glass filling rect.
void PaintGlass(QPainter& p, const QRect& rect);

}  // namespace zanto::skingen
