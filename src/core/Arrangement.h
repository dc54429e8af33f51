#pragma once
#include <QList>
#include <QRect>

// Where the windows of an arrangement go inside the frame's page area, as plain
// rectangles: the frame moves its windows there, and the arithmetic can be checked
// without any window.

// Overlapping windows, each `step` pixels right of and below the one before. Each is
// as large as the area less the offsets of the others, but never smaller than half the
// area: a page needs room, whatever the number of windows.
QList<QRect> cascadeRects(const QRect &area, int count, int step);

// One above another, each the area's full width; the last takes the pixels left over
// by the division, so together they fill the area exactly.
QList<QRect> tileRects(const QRect &area, int count);
