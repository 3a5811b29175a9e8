// Drawing of the classic three-dimensional look: raised and sunken edges two pixels wide,
// one-pixel frames and raised blocks (thumbs), in the system colours of a palette. Rectangles
// are Qt rectangles (right() and bottom() are the last pixel inside).
#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

namespace wnd {

enum class Edge { Raised, Sunken };

/// One-pixel frame: top and left in topLeft, bottom and right in bottomRight.
void Frame3D(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);

/// A two-pixel edge around rect (outer and inner line). With adjust, rect shrinks to the inside.
void DrawEdge(QPainter& painter, QRect& rect, Edge edge, const QPalette& palette, bool adjust = true);

/// A raised block: outer highlight / dark shadow, inner light / shadow, face-coloured inside.
void DrawRaisedBlock(QPainter& painter, const QRect& rect, const QPalette& palette);

}  // namespace wnd
