#include "core/Arrangement.h"
#include <algorithm>

QList<QRect> cascadeRects(const QRect &area, int count, int step)
{
    QList<QRect> out;
    if (count <= 0)
        return out;
    const int width = std::max(area.width() / 2, area.width() - (count - 1) * step);
    const int height = std::max(area.height() / 2, area.height() - (count - 1) * step);
    for (int i = 0; i < count; ++i)
        out.append(QRect(area.left() + i * step, area.top() + i * step, width, height));
    return out;
}

QList<QRect> tileRects(const QRect &area, int count)
{
    QList<QRect> out;
    if (count <= 0)
        return out;
    const int h = area.height() / count;
    int y = 0;
    for (int i = 0; i < count; ++i) {
        const int height = (i == count - 1) ? area.height() - y : h;
        out.append(QRect(area.left(), area.top() + y, area.width(), height));
        y += height;
    }
    return out;
}
