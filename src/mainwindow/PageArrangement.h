#pragma once
#include <QList>

class QMdiArea;
class QMdiSubWindow;

// The frame's own arrangements of its framed pages, on the rectangles of
// core/Arrangement.h. Hidden and minimized windows keep their places.

// The child windows an arrangement moves: shown and not minimized, in creation order.
QList<QMdiSubWindow *> arrangeableWindows(const QMdiArea &area);
// Overlapping, each offset by a title bar from the one before, the last on top and
// active; the active one, if arranged, goes last. The area's own cascade shrinks
// windows to their smallest size; pages need room.
void cascadeWindows(QMdiArea &area);
// One above another, each the area's full width.
void tileWindows(QMdiArea &area);
