#include "resources/generator/Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRandomGenerator>

namespace zanto::skingen {

QFont LabelFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QFont LogoFont(int pixelSize) {
    QFont f;
    f.setFamilies({QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::DemiBold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize >= 10 ? 1 : 0);
    return f;
}

void PaintMetal(QImage& image, const QRegion& region, int seed, bool flat) {
    const QRect box = region.boundingRect();
    {
        QPainter p(&image);
        p.setClipRegion(region);
        QLinearGradient g(0, box.top(), 0, box.bottom());
        g.setColorAt(0.0, flat ? colour::kMetalMid : colour::kMetalTop);
        g.setColorAt(0.45, colour::kMetalMid);
        g.setColorAt(1.0, flat ? colour::kMetalMid : colour::kMetalBottom);
        p.fillRect(box, g);
        // Brushing: faint horizontal streaks of varying length and brightness.
        QRandomGenerator random(static_cast<quint32>(seed));
        for (int y = box.top(); y <= box.bottom(); ++y) {
            int x = box.left() - random.bounded(40);
            while (x < box.right()) {
                const int length = 8 + random.bounded(60);
                const int alpha = 6 + random.bounded(14);
                p.fillRect(QRect(x, y, length, 1), random.bounded(2) ? QColor(255, 255, 255, alpha) : QColor(0, 0, 0, alpha));
                x += length + random.bounded(10);
            }
        }
    }
    // Bevel: pixels of the region whose neighbour above or left lies outside it catch the light.
    const QRegion lightEdge = region - region.translated(1, 0) + (region - region.translated(0, 1));
    const QRegion darkEdge = region - region.translated(-1, 0) + (region - region.translated(0, -1));
    QPainter p(&image);
    p.setClipRegion(lightEdge);
    p.fillRect(box, colour::kEdgeLight);
    p.setClipRegion(darkEdge);
    p.fillRect(box, colour::kEdgeDark);
}

void PaintInset(QPainter& p, const QRect& rect, const QColor& fill) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect, colour::kEdgeLight);
    p.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), colour::kEdgeDark);
    p.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), colour::kEdgeDark);
    p.fillRect(rect.adjusted(1, 1, -1, -1), QColor(0x1c, 0x1f, 0x23));
    p.fillRect(rect.adjusted(2, 2, -2, -2), fill);
    p.restore();
}

void PaintEngraved(QPainter& p, const QRect& rect, const QString& text, const QFont& font, Qt::Alignment align) {
    p.save();
    p.setFont(font);
    p.setPen(QColor(0xa0, 0xa8, 0xb2, 150));
    p.drawText(rect.translated(0, 1), align, text);
    p.setPen(QColor(0x16, 0x18, 0x1c));
    p.drawText(rect, align, text);
    p.restore();
}

void PaintPrinted(QPainter& p, const QRect& rect, const QString& text, const QFont& font, Qt::Alignment align) {
    p.save();
    p.setFont(font);
    p.setPen(QColor(0x9a, 0xa3, 0xad));
    p.drawText(rect, align, text);
    p.restore();
}

void PaintKey(QPainter& p, const QRect& rect, KeyState state, const KeyContent& content, bool round) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF outer = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = round ? std::min(rect.width(), rect.height()) / 2.0 : 2.5;
    QPainterPath path;
    path.addRoundedRect(outer, radius, radius);
    const bool down = state == KeyState::kPressed || state == KeyState::kLatched;
    QLinearGradient g(0, rect.top(), 0, rect.bottom());
    if (state == KeyState::kDisabled) {
        g.setColorAt(0, QColor(0x4e, 0x53, 0x59));
        g.setColorAt(1, QColor(0x40, 0x44, 0x4a));
    } else if (down) {
        g.setColorAt(0, QColor(0x26, 0x2a, 0x2f));
        g.setColorAt(1, QColor(0x45, 0x4b, 0x53));
    } else {
        g.setColorAt(0, QColor(0x7c, 0x84, 0x8e));
        g.setColorAt(0.5, QColor(0x55, 0x5b, 0x63));
        g.setColorAt(1, QColor(0x3c, 0x41, 0x48));
    }
    p.setPen(QPen(colour::kEdgeDark, 1));
    p.setBrush(g);
    p.drawPath(path);
    if (!down && state != KeyState::kDisabled) {
        // A thin catch-light along the top edge.
        p.setPen(QPen(QColor(255, 255, 255, 90), 1));
        p.drawLine(QPointF(rect.left() + radius, rect.top() + 1.5), QPointF(rect.right() - radius + 1, rect.top() + 1.5));
    }
    if (state == KeyState::kHot) {
        p.setPen(QPen(QColor(0x8c, 0xff, 0x7a, 110), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    QColor ink = colour::kLabel;
    switch (state) {
    case KeyState::kHot: ink = colour::kLabelHot; break;
    case KeyState::kPressed:
    case KeyState::kLatched: ink = colour::kLabelPressed; break;
    case KeyState::kDisabled: ink = colour::kLabelDisabled; break;
    case KeyState::kNormal: break;
    }
    QRectF inner = QRectF(rect).adjusted(2, 1, -2, -1);
    if (down) {
        inner.translate(1, 1);
    }
    if (content) {
        content(p, inner, ink);
    }
    p.restore();
}

QImage KeyStrip(QSize frame, std::initializer_list<KeyState> states, const KeyContent& content, bool round) {
    QImage image(frame.width(), frame.height() * static_cast<int>(states.size()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    int y = 0;
    for (KeyState s : states) {
        PaintKey(p, QRect(QPoint(0, y), frame), s, content, round);
        y += frame.height();
    }
    return image;
}

KeyContent Label(const QString& text, int pixelSize) {
    return [text, pixelSize](QPainter& p, const QRectF& rect, const QColor& ink) {
        p.save();
        p.setFont(LabelFont(pixelSize));
        p.setPen(QColor(0, 0, 0, 150));
        p.drawText(rect.translated(0, 1), Qt::AlignCenter, text);
        p.setPen(ink);
        p.drawText(rect, Qt::AlignCenter, text);
        p.restore();
    };
}

void PaintGlass(QPainter& p, const QRect& rect) {
    QLinearGradient g(0, rect.top(), 0, rect.bottom());
    g.setColorAt(0, colour::kGlassTop);
    g.setColorAt(1, colour::kGlassBottom);
    p.fillRect(rect, g);
    // A faint sheen across the upper part.
    QLinearGradient sheen(0, rect.top(), 0, rect.top() + rect.height() / 2);
    sheen.setColorAt(0, QColor(255, 255, 255, 22));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(rect.left(), rect.top(), rect.width(), rect.height() / 2), sheen);
}

}  // namespace zanto::skingen
