#include "platform/Icons.h"
#include <QCoreApplication>
#include <QHash>

namespace {
QHash<QString, QIcon> &icons()
{
    static QHash<QString, QIcon> cache;
    return cache;
}

// The drawn pixmaps must go while the application still exists.
void forgetIcons()
{
    icons().clear();
}
} // namespace

QIcon sharedIcon(const QString &path)
{
    auto &cache = icons();
    auto it = cache.constFind(path);
    if (it != cache.constEnd())
        return *it;
    if (cache.isEmpty())
        qAddPostRoutine(forgetIcons);
    return *cache.insert(path, QIcon(path));
}
