#include "resources/generator/Glyphs.h"

#include <QPainterPath>

namespace zanto::skingen::glyph {
namespace {

// Fills path (drawn in a 10 × 10 box) centred in rect, with a dark shadow below.
void FillCentred(QPainter& p, const QRectF& rect, const QPainterPath& path, const QColor& ink, qreal scale = 1.0) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF b = path.boundingRect();
    const QPointF at(std::round(rect.center().x() - b.width() * scale / 2 - b.left() * scale),
                     std::round(rect.center().y() - b.height() * scale / 2 - b.top() * scale));
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 140));
    p.drawPath(path.translated(0, 1 / scale));
    p.setBrush(ink);
    p.drawPath(path);
    p.restore();
}

QPainterPath Triangle(qreal x, qreal w, qreal h) {
    QPainterPath path;
    path.moveTo(x, 0);
    path.lineTo(x + w, h / 2);
    path.lineTo(x, h);
    path.closeSubpath();
    return path;
}

QPainterPath Mirrored(const QPainterPath& path) {
    QTransform t;
    t.scale(-1, 1);
    return t.map(path);
}

void Arrowhead(QPainterPath& path, QPointF tip, qreal dx, qreal size) {
    path.moveTo(tip);
    path.lineTo(tip.x() - dx * size, tip.y() - size);
    path.lineTo(tip.x() - dx * size, tip.y() + size);
    path.closeSubpath();
}

// A loop arrow around a 9 × 7 box.
QPainterPath Loop() {
    QPainterPath ring;
    ring.addRoundedRect(QRectF(0, 0, 10, 8), 3, 3);
    QPainterPath hole;
    hole.addRoundedRect(QRectF(1.6, 1.6, 6.8, 4.8), 2, 2);
    QPainterPath gap;
    gap.addRect(QRectF(3, -1, 2.5, 3));
    QPainterPath path = ring.subtracted(hole).subtracted(gap);
    Arrowhead(path, QPointF(6.8, 0.8), 1, 2.0);
    return path;
}

QPainterPath Shuffle() {
    QPainterPath path;
    QPainterPathStroker stroker;
    stroker.setWidth(1.5);
    QPainterPath lines;
    lines.moveTo(0, 1);
    lines.cubicTo(4, 1, 5, 7, 9, 7);
    lines.moveTo(0, 7);
    lines.cubicTo(4, 7, 5, 1, 9, 1);
    path = stroker.createStroke(lines);
    Arrowhead(path, QPointF(11, 1), 1, 2.0);
    Arrowhead(path, QPointF(11, 7), 1, 2.0);
    return path.simplified();
}

}  // namespace

KeyContent Play() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) { FillCentred(p, r, Triangle(0, 7, 8), ink); };
}

KeyContent Pause() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path;
        path.addRect(0, 0, 2.5, 8);
        path.addRect(4.5, 0, 2.5, 8);
        FillCentred(p, r, path, ink);
    };
}

KeyContent Stop() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path;
        path.addRect(0, 0, 7, 7);
        FillCentred(p, r, path, ink);
    };
}

KeyContent Next() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path = Triangle(0, 4.5, 8);
        path.addPath(Triangle(4.5, 4.5, 8));
        path.addRect(9, 0, 1.8, 8);
        FillCentred(p, r, path, ink);
    };
}

KeyContent Previous() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path = Triangle(0, 4.5, 8);
        path.addPath(Triangle(4.5, 4.5, 8));
        path.addRect(9, 0, 1.8, 8);
        FillCentred(p, r, Mirrored(path), ink);
    };
}

KeyContent Eject() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path;
        path.moveTo(4, 0);
        path.lineTo(8, 4.5);
        path.lineTo(0, 4.5);
        path.closeSubpath();
        path.addRect(0, 6, 8, 1.8);
        FillCentred(p, r, path, ink);
    };
}

KeyContent Close() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath lines;
        lines.moveTo(0, 0);
        lines.lineTo(5, 5);
        lines.moveTo(5, 0);
        lines.lineTo(0, 5);
        QPainterPathStroker s;
        s.setWidth(1.4);
        FillCentred(p, r, s.createStroke(lines), ink);
    };
}

KeyContent Minimize() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path;
        path.addRect(0, 0, 5, 1.6);
        FillCentred(p, r.translated(0, 2), path, ink);
    };
}

KeyContent Help() {
    return [](QPainter& p, const QRectF& r, const QColor& ink) {
        p.save();
        p.setFont(LabelFont(8));
        p.setPen(ink);
        p.drawText(r.translated(0, 0), Qt::AlignCenter, QStringLiteral("?"));
        p.restore();
    };
}

KeyContent Mode(int mode) {
    return [mode](QPainter& p, const QRectF& r, const QColor& ink) {
        QPainterPath path;
        switch (mode) {
        case 0: {  // once through: an arrow to a stop bar
            path.addRect(0, 3.2, 7, 1.6);
            Arrowhead(path, QPointF(10, 4), 1, 3);
            path.addRect(10.5, 0.5, 1.5, 7);
            break;
        }
        case 1: {  // repeat the current one: a loop with a dot
            path = Loop();
            path.addEllipse(QRectF(3.6, 2.6, 2.8, 2.8));
            break;
        }
        case 2: path = Loop(); break;
        case 3: path = Shuffle(); break;
        default: {  // shuffle forever: crossed arrows under a loop bar
            path = Shuffle();
            path.addRect(0, 9, 11, 1.2);
            break;
        }
        }
        FillCentred(p, r, path.simplified(), ink);
    };
}

}  // namespace zanto::skingen::glyph
