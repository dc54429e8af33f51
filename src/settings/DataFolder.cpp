#include "settings/DataFolder.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString resolveDataFolder(const QString &programFolder)
{
    const QString env = qEnvironmentVariable("VELLORAN_HOME");
    if (!env.isEmpty()) {
        QDir().mkpath(env);
        return QDir(env).absolutePath();
    }
    const QDir prog(programFolder);
    const bool holdsFiles = prog.exists(QStringLiteral("velloran.dat")) || prog.exists(QStringLiteral("velloran.ini"));
    // An installed copy never writes into the system's folders, even when run as root.
    const QString abs = prog.absolutePath();
    const bool systemFolder = abs.startsWith(QLatin1String("/usr/")) || abs.startsWith(QLatin1String("/opt/"));
    // Nor into a bin/ folder that sits beside share/velloran: that is an installed
    // layout too (~/.local, a staging root), however writable the folder may be.
    const bool installedLayout = prog.dirName() == QLatin1String("bin")
                                 && QFileInfo(prog.filePath(QStringLiteral("../share/velloran"))).isDir();
    if (!systemFolder && !installedLayout && (holdsFiles || QFileInfo(programFolder).isWritable()))
        return prog.absolutePath();
    const QString config = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                               .filePath(QStringLiteral("velloran"));
    QDir().mkpath(config);
    return config;
}
