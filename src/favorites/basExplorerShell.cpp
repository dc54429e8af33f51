#include "favorites/basExplorerShell.h"
#include <QDir>
#include <QFileInfo>

QString GetSpecialFolderPath(int id)
{
    if (id != CSIDL_FAVORITES)
        return QString();
    // Desktops without a shell Favorites folder keep the shortcuts in ~/Favorites.
    const QString path = QDir(QDir::homePath()).filePath(QStringLiteral("Favorites"));
    return QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}
