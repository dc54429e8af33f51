#include "core/SharedState.h"

int16_t tabTextLengthFor(int widthPixels, int heightPixels)
{
    const QString text = QString::number(widthPixels) + QStringLiteral(" x ") + QString::number(heightPixels);
    if (text == QLatin1String("800 x 600"))
        return 14;
    if (text == QLatin1String("640 x 480"))
        return 10;
    return 20;
}

QString tabLabel(const QString &url, const QString &alias, int n)
{
    if (!alias.isEmpty())
        return alias.left(n);
    return url.right(n);
}
