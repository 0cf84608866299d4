#include "resources/generator/Pictures.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <vector>

#include "resources/generator/Glyphs.h"
#include "resources/generator/Style.h"
#include "zantodesk/skin/SkinLayout.h"
#include "zantodesk/skin/SkinRegions.h"

namespace zanto::skingen {
namespace {

using KS = KeyState;

struct KeyPicture {
    int resource;
    QSize frame;
    KeyContent content;
    bool round = false;
};

constexpr int kDigitWidth = 9;
constexpr int kDigitHeight = 13;

std::vector<KeyPicture> Keys() {
    using namespace glyph;
    return {
        {145, {25, 17}, Mode(0)}, {153, {25, 17}, Mode(1)}, {152, {25, 17}, Mode(2)},
        {150, {25, 17}, Mode(3)}, {142, {25, 17}, Mode(4)},
        {144, {22, 17}, Next()}, {147, {22, 17}, Pause()}, {148, {22, 17}, Play()},
        {149, {22, 17}, Previous()}, {155, {22, 17}, Stop()}, {146, {24, 17}, Eject()},
        {206, {12, 11}, Close(), true}, {205, {10, 11}, Minimize(), true}, {210, {10, 11}, Help(), true},
        {169, {28, 14}, Label(QStringLiteral("LIST"), 8)}, {171, {28, 14}, Label(QStringLiteral("OPT"), 8)},
        {222, {28, 14}, Label(QStringLiteral("MEM"), 8)}, {167, {28, 14}, Label(QStringLiteral("CD"), 8)},
        {209, {36, 12}, nullptr},
        {158, {13, 12}, Close(), true}, {157, {13, 12}, Minimize(), true}, {208, {13, 12}, Help(), true},
        {207, {48, 14}, nullptr},
        {173, {62, 16}, Label(QStringLiteral("PLAYER"))}, {177, {62, 16}, Label(QStringLiteral("EJECT"))},
        {192, {66, 20}, Label(QStringLiteral("PLAY"), 10)}, {191, {66, 15}, Label(QStringLiteral("ADD"))},
        {189, {66, 15}, Label(QStringLiteral("REMOVE"))},
        {187, {40, 14}, Label(QStringLiteral("NEW"), 8)}, {188, {38, 14}, Label(QStringLiteral("OPEN"), 8)},
        {190, {36, 14}, Label(QStringLiteral("SAVE"), 8)}, {181, {44, 14}, Label(QStringLiteral("SAVE AS"), 8)},
        {201, {66, 16}, Label(QStringLiteral("DOWNLOAD"))}, {197, {66, 16}, Label(QStringLiteral("OPEN"))},
        {199, {66, 16}, Label(QStringLiteral("UPLOAD"))}, {193, {66, 16}, Label(QStringLiteral("REFRESH"))},
        {198, {66, 16}, Label(QStringLiteral("DELETE"))}, {200, {66, 16}, Label(QStringLiteral("INITIALIZE"))},
        {211, {48, 18}, Label(QStringLiteral("YES"), 10)}, {214, {48, 18}, Label(QStringLiteral("CANCEL"), 9)},
        {215, {48, 18}, Label(QStringLiteral("NO"), 10)}, {216, {48, 18}, Label(QStringLiteral("OK"), 10)},
        {217, {48, 18}, Label(QStringLiteral("RETRY"), 9)}, {218, {48, 18}, Label(QStringLiteral("ABORT"), 9)},
        {219, {48, 18}, Label(QStringLiteral("IGNORE"), 9)}, {220, {48, 18}, Label(QStringLiteral("OK"), 10)},
    };
}

// The brand plate used as the About key: the name in the logo face.
KeyContent Brand(int pixelSize) {
    return [pixelSize](QPainter& p, const QRectF& r, const QColor& ink) {
        p.save();
        p.setFont(LogoFont(pixelSize));
        p.setPen(QColor(0, 0, 0, 150));
        p.drawText(r.translated(0, 1), Qt::AlignCenter, QStringLiteral("ZANTO"));
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("ZANTO"));
        p.restore();
    };
}

const std::map<int, QSize>& OtherFrames() {
    static const std::map<int, QSize> frames = {
        {182, {60, 10}}, {185, {60, 10}},  // latching keys
        {151, {kDigitWidth, kDigitHeight}}, {143, {26, 9}}, {224, {7, 9}},
    };
    return frames;
}

// Seven-segment digits on the display: glyphs 0 to 9, then a dash for a digit without value.
QImage Digits() {
    QImage image(kDigitWidth * 11, kDigitHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour::kLcd);
    // Segments a b c d e f g as rectangles in a 9 × 13 cell.
    const QRect seg[7] = {{2, 0, 5, 2}, {7, 1, 2, 5}, {7, 7, 2, 5}, {2, 11, 5, 2}, {0, 7, 2, 5}, {0, 1, 2, 5}, {2, 5, 5, 2}};
    static const char* const kOn[11] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg", "g"};
    QPainter p(&image);
    for (int d = 0; d < 11; ++d) {
        for (int s = 0; s < 7; ++s) {
            const bool on = std::strchr(kOn[d], 'a' + s) != nullptr;
            QRect r = seg[s].translated(d * kDigitWidth, 0);
            r.setWidth(r.width() - (s == 1 || s == 2 ? 1 : 0));
            p.fillRect(r, on ? colour::kLcdInk : colour::kLcdGhost);
        }
    }
    return image;
}

// Channel picture: two rings for several channels, one for one channel, ghosts without an answer.
QImage Channels() {
    QImage image(26, 27, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour::kLcd);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int frame = 0; frame < 3; ++frame) {
        const int y = frame * 9;
        const bool left = frame != 2;
        const bool right = frame == 1;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(left ? colour::kLcdInk : colour::kLcdGhost, 1.4));
        p.drawEllipse(QPointF(9.5, y + 4.5), 3.3, 3.3);
        p.setPen(QPen(right ? colour::kLcdInk : colour::kLcdGhost, 1.4));
        p.drawEllipse(QPointF(15.5, y + 4.5), 3.3, 3.3);
    }
    return image;
}

QImage PlayMark() {
    QImage image(7, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour::kLcd);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int frame = 0; frame < 2; ++frame) {
        QPainterPath t;
        t.moveTo(1, frame * 9 + 1);
        t.lineTo(6.5, frame * 9 + 4.5);
        t.lineTo(1, frame * 9 + 8);
        t.closeSubpath();
        p.fillPath(t, frame == 1 ? colour::kLcdInk : colour::kLcdGhost);
    }
    return image;
}

QImage LatchKey(const QString& text) {
    return KeyStrip({60, 10}, {KS::kNormal, KS::kLatched, KS::kDisabled},
                    [text](QPainter& p, const QRectF& r, const QColor& ink) {
                        // An indicator lamp left of the label: lit green when latched.
                        const bool lit = ink == colour::kLabelPressed;
                        p.save();
                        p.setRenderHint(QPainter::Antialiasing, true);
                        p.setPen(QPen(QColor(0, 0, 0, 180), 1));
                        p.setBrush(lit ? QColor(0x60, 0xff, 0x50) : QColor(0x22, 0x3a, 0x22));
                        p.drawEllipse(QPointF(r.left() + 5, r.center().y()), 2.3, 2.3);
                        p.setFont(LabelFont(8));
                        p.setPen(ink);
                        p.drawText(r.adjusted(10, -1, 0, 0), Qt::AlignCenter, text);
                        p.restore();
                    });
}

// Slider: the groove (trackWidth wide), then the enabled and the disabled thumb.
QImage Slider(int trackWidth, int thumbWidth, int height) {
    QImage image(trackWidth + 2 * thumbWidth, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // Only the groove is drawn; around it the window's body shows through.
    const int grooveTop = height / 2 - 2;
    PaintInset(p, QRect(thumbWidth / 2 - 1, grooveTop, trackWidth - thumbWidth + 2, 4), QColor(0x10, 0x30, 0x14));
    for (int i = 0; i < 2; ++i) {
        const QRect thumb(trackWidth + i * thumbWidth, 0, thumbWidth, height);
        PaintKey(p, thumb, i == 0 ? KS::kNormal : KS::kDisabled,
                 [i](QPainter& q, const QRectF& r, const QColor&) {
                     q.fillRect(QRectF(r.center().x() - 0.5, r.top() + 1, 1, r.height() - 2),
                                i == 0 ? QColor(0x8c, 0xff, 0x7a) : QColor(0x30, 0x34, 0x38));
                 });
    }
    return image;
}

QRect FrameRect(int slot, QSize frame) {
    const auto& s = skin::kBitmapSlots[static_cast<size_t>(slot)];
    return QRect(static_cast<int>(s.word0 & 0xFFFF), static_cast<int>(s.word1 & 0xFFFF), frame.width(), frame.height());
}

// The controls of a window (slot range) as rectangles; sliders and digits included.
std::vector<QRect> ControlRects(int first, int last) {
    std::vector<QRect> rects;
    for (int slot = first; slot <= last; ++slot) {
        const auto& s = skin::kBitmapSlots[static_cast<size_t>(slot)];
        if (s.resource == 0 || s.mask || (s.word0 == 0 && s.word1 == 0)) {
            continue;
        }
        if (slot == 13 || slot == 14) {
            const int height = slot == 13 ? 7 : 10;
            rects.push_back(QRect(static_cast<int>(s.word0 & 0xFFFF), static_cast<int>(s.word1), static_cast<int>(s.word0 >> 16), height));
        } else if (slot == 21) {
            // The whole time display, colon included: a click there switches the time shown.
            rects.push_back(QRect(56, 47, 85 + 2 * kDigitWidth - 56, kDigitHeight));
        } else if (slot == 22 || slot == 25) {
            continue;  // display pictures: part of the display
        } else {
            rects.push_back(FrameRect(slot, FrameSizeOf(s.resource)));
        }
    }
    return rects;
}

// Black where the window may be dragged: the body less its controls and text panels.
QImage HitMask(QSize size, const QRegion& body, const std::vector<QRect>& keepOut) {
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter p(&mask);
    p.setClipRegion(body);
    p.fillRect(mask.rect(), Qt::black);
    p.setClipping(false);
    for (const QRect& r : keepOut) {
        p.fillRect(r, Qt::white);
    }
    return mask;
}

// A small bolt head, for the look of a case held by screws.
void Screw(QPainter& p, QPointF at) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient g(at - QPointF(0.8, 0.8), 3);
    g.setColorAt(0, QColor(0xc8, 0xcf, 0xd6));
    g.setColorAt(1, QColor(0x3a, 0x3f, 0x45));
    p.setPen(QPen(colour::kEdgeDark, 0.8));
    p.setBrush(g);
    p.drawEllipse(at, 2.4, 2.4);
    p.setPen(QPen(QColor(0x22, 0x25, 0x29), 0.9));
    p.drawLine(at + QPointF(-1.4, 1.4), at + QPointF(1.4, -1.4));
    p.restore();
}

QImage PlayerBackground() {
    const QRegion body = skin::BuildSkinRegion(skin::kPlayerRegion);
    QImage image(340, 99, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    PaintMetal(image, body, 141);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    // The jewel at the top-left corner.
    QRadialGradient jewel(QPointF(11, 9), 12);
    jewel.setColorAt(0, QColor(0x9c, 0xff, 0x8a));
    jewel.setColorAt(0.45, QColor(0x2a, 0x9a, 0x30));
    jewel.setColorAt(1, QColor(0x08, 0x2a, 0x0c));
    p.setPen(QPen(colour::kEdgeDark, 1));
    p.setBrush(jewel);
    p.drawEllipse(QRectF(5.5, 3.5, 17, 17));
    p.setRenderHint(QPainter::Antialiasing, false);
    // The display.
    PaintInset(p, QRect(38, 23, 242, 41), colour::kLcd);
    // The colon between minutes and seconds.
    p.fillRect(QRect(78, 50, 2, 2), colour::kLcdInk);
    p.fillRect(QRect(78, 55, 2, 2), colour::kLcdInk);
    // Grooves around the transport keys and the side keys.
    PaintInset(p, QRect(26, 75, 149, 21), QColor(0x25, 0x29, 0x2e));
    PaintInset(p, QRect(295, 25, 32, 49), QColor(0x25, 0x29, 0x2e));
    PaintEngraved(p, QRect(12, 64, 120, 11), QStringLiteral("KP50  DIGITAL AUDIO"), LabelFont(8), Qt::AlignLeft | Qt::AlignVCenter);
    Screw(p, QPointF(8, 90));
    Screw(p, QPointF(332, 90));
    Screw(p, QPointF(332, 49));
    return image;
}

// The large windows: body, brand, title and the text panel.
QImage LargeBackground(int region, QSize size, const QString& title, const QRect& panel, int seed) {
    const QRegion body = skin::BuildSkinRegion(region);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    PaintMetal(image, body, seed);
    QPainter p(&image);
    PaintInset(p, panel, colour::kLcd);
    PaintEngraved(p, QRect(95, 12, 210, 16), title, LogoFont(12), Qt::AlignCenter);
    // The left column of keys sits in a groove.
    PaintInset(p, QRect(10, 36, 76, panel.bottom() - 36 - 14), QColor(0x25, 0x29, 0x2e));
    Screw(p, QPointF(8, size.height() - 9));
    Screw(p, QPointF(size.width() - 9, size.height() - 9));
    return image;
}

QImage CdBackground() {
    QImage image = LargeBackground(skin::kCdRegion, {411, 226}, QStringLiteral("CD TRACKS"), QRect(86, 41, 307, 166), 180);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    // A disc in the left groove.
    const QPointF c(48, 62);
    QRadialGradient g(c, 22);
    g.setColorAt(0, QColor(0xe8, 0xec, 0xf0));
    g.setColorAt(0.5, QColor(0x9a, 0xb8, 0xd0));
    g.setColorAt(0.8, QColor(0xc8, 0xa8, 0xd8));
    g.setColorAt(1, QColor(0x70, 0x78, 0x88));
    p.setPen(QPen(colour::kEdgeDark, 1));
    p.setBrush(g);
    p.drawEllipse(c, 21, 21);
    p.setBrush(QColor(0x30, 0x34, 0x3a));
    p.drawEllipse(c, 4, 4);
    return image;
}

QImage PlaylistBackground() {
    QImage image = LargeBackground(skin::kPlaylistRegion, {411, 226}, QString(), QRect(86, 47, 307, 160), 183);
    QPainter p(&image);
    PaintEngraved(p, QRect(262, 19, 80, 16), QStringLiteral("PLAYLIST"), LogoFont(12), Qt::AlignCenter);
    PaintPrinted(p, QRect(14, 50, 70, 12), QStringLiteral("MARK"), LabelFont(8), Qt::AlignCenter);
    return image;
}

QImage MemoryBackground(bool card) {
    // The view fills the frame, so it carries the frame's shape in its picture.
    QImage image = LargeBackground(skin::kMemoryFrameRegion, {410, 255},
                                   card ? QStringLiteral("MEMORY CARD") : QStringLiteral("INTERNAL MEMORY"),
                                   QRect(86, 41, 307, 197), card ? 194 : 202);
    QPainter p(&image);
    // The frame's status lamp shows through the opening below the keys.
    PaintInset(p, QRect(16, 160, 51, 29), QColor(0x0c, 0x14, 0x10));
    PaintPrinted(p, QRect(12, 148, 60, 11), card ? QStringLiteral("CARD") : QStringLiteral("FLASH"), LabelFont(8), Qt::AlignCenter);
    return image;
}

// The message box background: a 4 × 3 grid of cells (the bottom row 40 high) for tiling.
QImage MessageTiles() {
    QImage image(132, 106, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // Each edge cell carries a part of a 99 × 106 framed glass box; the fourth top cell an ornament.
    // Middle cells repeat in both directions, so nothing in them changes from top to bottom.
    QImage box(99, 106, QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::transparent);
    PaintMetal(box, QRegion(0, 0, 99, 106), 212, true);
    {
        QPainter g(&box);
        const QRect glass(7, 7, 85, 85 - 40 + 33 - 7 + 1);
        const QColor deep(0x08, 0x16, 0x10);
        g.fillRect(glass, deep);
        QLinearGradient sheen(0, 7, 0, 33);
        sheen.setColorAt(0, QColor(0x1c, 0x34, 0x28));
        sheen.setColorAt(1, deep);
        g.fillRect(QRect(7, 7, 85, 26), sheen);
        g.setPen(colour::kEdgeDark);
        g.drawLine(6, 6, 92, 6);
        g.drawLine(6, 6, 6, glass.bottom() + 1);
        g.drawLine(92, 6, 92, glass.bottom() + 1);
        g.setPen(QColor(0x9a, 0xa3, 0xad));
        g.drawLine(6, glass.bottom() + 1, 92, glass.bottom() + 1);
    }
    p.drawImage(0, 0, box);
    // Ornament cell: an amber lamp with an exclamation mark on the top rail.
    p.drawImage(QRect(99, 0, 33, 33), box, QRect(33, 0, 33, 33));
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient lamp(QPointF(114.5, 3.5), 6);
    lamp.setColorAt(0, QColor(0xff, 0xe8, 0x90));
    lamp.setColorAt(0.6, colour::kAmber);
    lamp.setColorAt(1, QColor(0x80, 0x40, 0x00));
    p.setPen(QPen(colour::kEdgeDark, 1));
    p.setBrush(lamp);
    p.drawRoundedRect(QRectF(106.5, 0.5, 19, 6), 3, 3);
    return image;
}

QImage AboutBackground() {
    QImage image(316, 184, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    PaintMetal(image, QRegion(0, 0, 316, 184), 221);
    QPainter p(&image);
    PaintGlass(p, QRect(8, 28, 300, 116));
    p.setPen(colour::kEdgeDark);
    p.drawRect(QRect(7, 27, 301, 117));
    PaintEngraved(p, QRect(0, 4, 316, 22), QStringLiteral("ZANTO  KP50"), LogoFont(16), Qt::AlignCenter);
    return image;
}

QImage CreditsBackdrop() {
    QImage image(282, 110, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    PaintGlass(p, image.rect());
    p.setPen(QColor(0x20, 0x60, 0x30, 90));
    for (int y = 0; y < 110; y += 4) {
        p.drawLine(0, y, 281, y);
    }
    return image;
}

// Transfer dialogs: glass with a symbol on the right.
QImage DialogBackground(int kind) {
    QImage image(300, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    PaintMetal(image, QRegion(0, 0, 300, 120), 131 + kind);
    QPainter p(&image);
    PaintGlass(p, QRect(8, 8, 284, 104));
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF chip(238, 38, 40, 28);
    p.setPen(QPen(QColor(0x60, 0xd0, 0x60), 1.2));
    p.setBrush(QColor(0x10, 0x30, 0x18));
    p.drawRoundedRect(chip, 2, 2);
    for (int i = 0; i < 6; ++i) {
        p.drawLine(QPointF(242 + i * 6.5, 66), QPointF(242 + i * 6.5, 70));
        p.drawLine(QPointF(242 + i * 6.5, 34), QPointF(242 + i * 6.5, 38));
    }
    QPainterPath arrow;
    if (kind == 0) {  // download: into the chip
        arrow.moveTo(258, 12); arrow.lineTo(258, 28);
        arrow.moveTo(252, 22); arrow.lineTo(258, 28); arrow.lineTo(264, 22);
    } else if (kind == 1) {  // upload: out of the chip
        arrow.moveTo(258, 28); arrow.lineTo(258, 12);
        arrow.moveTo(252, 18); arrow.lineTo(258, 12); arrow.lineTo(264, 18);
    } else {  // initialize: a sweep across the chip
        arrow.addEllipse(QPointF(258, 52), 7, 7);
    }
    p.setPen(QPen(colour::kGreen, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    return image;
}

QImage Icon(int size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    return image;
}

void Note(QPainter& p, QColor ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(2.5, 10.5, 5, 4));
    p.drawEllipse(QRectF(9.5, 9, 5, 4));
    p.drawRect(QRectF(6.5, 2.5, 1.3, 10));
    p.drawRect(QRectF(13.5, 1, 1.3, 10));
    p.drawPolygon(QPolygonF({QPointF(6.5, 2.5), QPointF(14.8, 1), QPointF(14.8, 3.5), QPointF(6.5, 5)}));
}

void Chip(QPainter& p, QColor fill) {
    p.setPen(QPen(QColor(0x20, 0x24, 0x28), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 3.5, 13, 10), 1.5, 1.5);
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(3.5 + i * 3, 1.5), QPointF(3.5 + i * 3, 3.5));
        p.drawLine(QPointF(3.5 + i * 3, 13.5), QPointF(3.5 + i * 3, 15));
    }
}

void Lamp(QPainter& p, bool marked, bool current) {
    QRadialGradient g(QPointF(7, 6), 7);
    g.setColorAt(0, marked ? QColor(0xc0, 0xff, 0xb0) : QColor(0x70, 0x78, 0x80));
    g.setColorAt(1, marked ? QColor(0x10, 0x90, 0x20) : QColor(0x30, 0x34, 0x38));
    p.setPen(QPen(QColor(0x10, 0x12, 0x14), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 3.5, 9, 9));
    if (current) {
        QPainterPath t;
        t.moveTo(11, 4);
        t.lineTo(16, 8);
        t.lineTo(11, 12);
        t.closeSubpath();
        p.fillPath(t, QColor(0xff, 0xb0, 0x20));
        p.setPen(QPen(QColor(0x40, 0x20, 0x00), 0.8));
        p.drawPath(t);
    }
}

}  // namespace

QSize FrameSizeOf(int resource) {
    for (const KeyPicture& k : Keys()) {
        if (k.resource == resource) {
            return k.frame;
        }
    }
    const auto& others = OtherFrames();
    if (auto it = others.find(resource); it != others.end()) {
        return it->second;
    }
    if (resource == 154) {
        return {160, 7};
    }
    if (resource == 156) {
        return {122, 10};
    }
    return {};
}

std::map<int, QImage> DrawBitmaps() {
    std::map<int, QImage> out;
    for (const KeyPicture& k : Keys()) {
        KeyContent content = k.content;
        if (k.resource == 209) {
            content = Brand(8);
        } else if (k.resource == 207) {
            content = Brand(10);
        }
        out[k.resource] = KeyStrip(k.frame, {KS::kNormal, KS::kPressed, KS::kHot, KS::kDisabled}, content, k.round);
    }
    out[182] = LatchKey(QStringLiteral("ALL"));
    out[185] = LatchKey(QStringLiteral("CLEAR"));
    out[151] = Digits();
    out[143] = Channels();
    out[224] = PlayMark();
    out[154] = Slider(148, 6, 7);
    out[156] = Slider(106, 8, 10);
    out[141] = PlayerBackground();
    out[180] = CdBackground();
    out[183] = PlaylistBackground();
    out[202] = MemoryBackground(false);
    out[194] = MemoryBackground(true);
    out[212] = MessageTiles();
    out[221] = AboutBackground();
    out[225] = CreditsBackdrop();
    out[131] = DialogBackground(0);
    out[136] = DialogBackground(1);
    out[137] = DialogBackground(2);

    out[172] = HitMask({340, 99}, skin::BuildSkinRegion(skin::kPlayerRegion), ControlRects(2, 25));
    auto withPanel = [](std::vector<QRect> rects, QRect panel) {
        rects.push_back(panel);
        return rects;
    };
    out[174] = HitMask({411, 226}, skin::BuildSkinRegion(skin::kCdRegion), withPanel(ControlRects(27, 37), QRect(86, 41, 307, 166)));
    out[184] = HitMask({411, 226}, skin::BuildSkinRegion(skin::kPlaylistRegion), withPanel(ControlRects(40, 54), QRect(86, 47, 307, 160)));
    out[195] = HitMask({410, 255}, skin::BuildSkinRegion(skin::kInternalViewRegion), withPanel(ControlRects(57, 68), QRect(86, 41, 307, 197)));
    out[196] = HitMask({410, 255}, skin::BuildSkinRegion(skin::kCardViewRegion), withPanel(ControlRects(71, 82), QRect(86, 41, 307, 197)));
    return out;
}

std::map<int, QImage> DrawIcons() {
    std::map<int, QImage> out;
    out[128] = Icon(32, [](QPainter& p) {
        QPainterPath body;
        body.addRoundedRect(QRectF(3.5, 1.5, 25, 29), 5, 5);
        QLinearGradient g(0, 0, 0, 32);
        g.setColorAt(0, colour::kMetalTop);
        g.setColorAt(1, colour::kMetalBottom);
        p.setPen(QPen(colour::kEdgeDark, 1));
        p.setBrush(g);
        p.drawPath(body);
        p.setBrush(colour::kLcd);
        p.drawRect(QRectF(7.5, 5.5, 17, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x60, 0xe0, 0x50));
        p.drawEllipse(QPointF(16, 22), 4.5, 4.5);
    });
    // Player-memory rows: a song, a data file, an unfinished transfer, a waiting file, a web file.
    out[140] = Icon(16, [](QPainter& p) { Note(p, QColor(0x18, 0x70, 0x28)); });
    out[142] = Icon(16, [](QPainter& p) {
        p.setPen(QPen(QColor(0x30, 0x34, 0x3a), 1));
        p.setBrush(QColor(0xf4, 0xf6, 0xf8));
        p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(10, 1.5), QPointF(13.5, 5), QPointF(13.5, 14.5), QPointF(3.5, 14.5)}));
        for (int y = 6; y <= 12; y += 2) {
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
        }
    });
    out[136] = Icon(16, [](QPainter& p) {
        Note(p, QColor(0x70, 0x74, 0x78));
        p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 2));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
    });
    out[141] = Icon(16, [](QPainter& p) {
        Chip(p, QColor(0x38, 0x3e, 0x46));
        p.setPen(QPen(QColor(0x40, 0xe0, 0x40), 2));
        p.drawLine(QPointF(8, 4), QPointF(8, 11));
        p.drawLine(QPointF(5, 8), QPointF(8, 11));
        p.drawLine(QPointF(11, 8), QPointF(8, 11));
    });
    out[143] = Icon(16, [](QPainter& p) {
        p.setPen(QPen(QColor(0x20, 0x50, 0x90), 1.2));
        p.setBrush(QColor(0xa8, 0xd0, 0xf0));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    });
    // Playlist rows: not marked, not marked and current, marked, marked and current.
    out[203] = Icon(16, [](QPainter& p) { Lamp(p, false, false); });
    out[205] = Icon(16, [](QPainter& p) { Lamp(p, false, true); });
    out[204] = Icon(16, [](QPainter& p) { Lamp(p, true, false); });
    out[206] = Icon(16, [](QPainter& p) { Lamp(p, true, true); });
    return out;
}

}  // namespace zanto::skingen
