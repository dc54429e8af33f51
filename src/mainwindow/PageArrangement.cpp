#include "mainwindow/PageArrangement.h"
#include "core/Arrangement.h"
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

QList<QMdiSubWindow *> arrangeableWindows(const QMdiArea &area)
{
    QList<QMdiSubWindow *> out;
    for (QMdiSubWindow *w : area.subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized())
            out.append(w);
    return out;
}

void cascadeWindows(QMdiArea &area)
{
    QList<QMdiSubWindow *> visible = arrangeableWindows(area);
    if (visible.isEmpty())
        return;
    // The page in front takes the last place, on top, and stays the active one: making
    // another active would run its activation (a reload with On Active).
    if (QMdiSubWindow *front = area.currentSubWindow(); visible.removeOne(front))
        visible.append(front);
    QMdiSubWindow *first = visible.first();
    const int step = std::max(20, first->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, first) + 6);
    const QList<QRect> rects = cascadeRects(area.viewport()->rect(), int(visible.size()), step);
    for (qsizetype i = 0; i < visible.size(); ++i) {
        QMdiSubWindow *w = visible[i];
        if (w->isMaximized())
            w->showNormal();
        w->setGeometry(rects[i]);
        w->raise();
    }
    area.setActiveSubWindow(visible.last());
}

void tileWindows(QMdiArea &area)
{
    const QList<QMdiSubWindow *> visible = arrangeableWindows(area);
    const QList<QRect> rects = tileRects(area.viewport()->rect(), int(visible.size()));
    for (qsizetype i = 0; i < visible.size(); ++i) {
        if (visible[i]->isMaximized())
            visible[i]->showNormal();
        visible[i]->setGeometry(rects[i]);
    }
}
