#include "core/DataFolder.h"
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

QString dataFolderProblem(const QString &folder, QLockFile::LockError error)
{
    if (error == QLockFile::NoError || error == QLockFile::LockFailedError)
        return {};
    const QFileInfo fi(folder);
    QString why;
    if (!fi.exists())
        why = QStringLiteral("the folder does not exist and cannot be created");
    else if (!fi.isDir())
        why = QStringLiteral("it is a file, not a folder");
    else if (error == QLockFile::PermissionError || !fi.isWritable())
        why = QStringLiteral("Velloran may not write in it");
    else
        why = QStringLiteral("the lock file velloran.lock cannot be created in it");
    return QStringLiteral("Velloran cannot use its data folder %1: %2.").arg(QDir::toNativeSeparators(folder), why);
}
