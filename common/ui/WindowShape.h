#pragma once
// Building window shapes and moving windows that have no title bar.
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <initializer_list>

class QWidget;

namespace zanto::ui {

// Shapes given by their left, top, right and bottom edges; right and bottom lie outside.
QRegion RectShape(int left, int top, int right, int bottom);
QRegion EllipseShape(int left, int top, int right, int bottom);
// A rectangle whose corners are quarters of an ellipse of cornerWidth × cornerHeight.
QRegion RoundRectShape(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
// A polygon filled with the winding rule.
QRegion PolygonShape(std::initializer_list<QPoint> points);

// Removes any shape, sizes the window to size and gives it region as its shape.
void ShapeWindow(QWidget* window, const QRegion& region, QSize size);
// The shape of boxes without a skin region: their rectangle with 40 × 40 corner ellipses.
QRegion BoxShape(QSize size);

// True when point is a drag area of a hit mask: a black pixel.
bool IsDragPixel(const QImage& mask, QPoint point);
// Lets the system move widget's top-level window with the pointer, as a caption drag would.
void StartWindowDrag(QWidget* widget);
// For a left-button press at point of window: when point is a drag area of mask, starts moving the
// window and returns true (the press is used up); otherwise returns false.
bool DragFromHitMask(QWidget* window, const QImage& mask, QPoint point);

}  // namespace zanto::ui
