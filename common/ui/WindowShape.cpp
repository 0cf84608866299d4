#include "common/ui/WindowShape.h"

#include <QPolygon>
#include <QWidget>
#include <QWindow>
#include <cmath>

namespace zanto::ui {

QRegion RectShape(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) {
        return {};
    }
    return QRegion(left, top, right - left, bottom - top);
}

QRegion EllipseShape(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) {
        return {};
    }
    return QRegion(left, top, right - left, bottom - top, QRegion::Ellipse);
}

QRegion RoundRectShape(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    if (right <= left || bottom <= top) {
        return {};
    }
    const double rx = std::min(cornerWidth, right - left) / 2.0;
    const double ry = std::min(cornerHeight, bottom - top) / 2.0;
    QRegion region;
    // Row by row, so the corners come out pixel-exact and symmetric.
    for (int y = top; y < bottom; ++y) {
        const double centre = y + 0.5;
        double dy = 0;
        if (centre < top + ry) {
            dy = top + ry - centre;
        } else if (centre > bottom - ry) {
            dy = centre - (bottom - ry);
        }
        int inset = 0;
        if (dy > 0 && ry > 0) {
            const double f = std::max(0.0, 1.0 - (dy / ry) * (dy / ry));
            inset = static_cast<int>(std::lround(rx - rx * std::sqrt(f)));
        }
        if (right - inset > left + inset) {
            region += QRect(left + inset, y, right - left - 2 * inset, 1);
        }
    }
    return region;
}

QRegion PolygonShape(std::initializer_list<QPoint> points) {
    return QRegion(QPolygon(QList<QPoint>(points)), Qt::WindingFill);
}

void ShapeWindow(QWidget* window, const QRegion& region, QSize size) {
    window->clearMask();
    window->resize(size);
    window->setMask(region);
}

QRegion BoxShape(QSize size) { return RoundRectShape(0, 0, size.width(), size.height(), 40, 40); }

bool IsDragPixel(const QImage& mask, QPoint point) {
    if (!mask.valid(point)) {
        return false;
    }
    const QRgb pixel = mask.pixel(point);
    return qAlpha(pixel) != 0 && qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0;
}

void StartWindowDrag(QWidget* widget) {
    QWidget* top = widget->window();
    if (QWindow* handle = top->windowHandle()) {
        handle->startSystemMove();
    }
}

}  // namespace zanto::ui

namespace zanto::ui {

bool DragFromHitMask(QWidget* window, const QImage& mask, QPoint point) {
    if (!IsDragPixel(mask, point)) {
        return false;
    }
    StartWindowDrag(window);
    return true;
}

}  // namespace zanto::ui
