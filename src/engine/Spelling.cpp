#include "engine/Spelling.h"
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QWebEngineProfile>

namespace Spelling {

namespace {
const char kPath[] = "QTWEBENGINE_DICTIONARIES_PATH";

QStringList dictionaries(const QString &dir)
{
    QStringList names;
    for (const QFileInfo &f : QDir(dir).entryInfoList({QStringLiteral("*.bdic")}, QDir::Files))
        names << f.completeBaseName();
    return names;
}
} // namespace

QString folder(const QString &programFolder)
{
    for (const QString &rel : {QStringLiteral("qtwebengine_dictionaries"),
                               QStringLiteral("../share/velloran/qtwebengine_dictionaries")}) {
        const QString dir = QDir(programFolder).absoluteFilePath(rel);
        if (!dictionaries(dir).isEmpty())
            return QDir::cleanPath(dir);
    }
    return {};
}

QString choose(const QStringList &languages, const QStringList &available)
{
    for (const QString &wanted : languages) {
        // The "C" locale of a bare session reads as the engine's own default, en-US.
        const QString lang = wanted == QLatin1String("C") || wanted.isEmpty() ? QStringLiteral("en-US") : wanted;
        for (const QString &a : available)
            if (a.compare(lang, Qt::CaseInsensitive) == 0)
                return a;
        const QString base = lang.section(QLatin1Char('-'), 0, 0);
        for (const QString &a : available)
            if (a.section(QLatin1Char('-'), 0, 0).compare(base, Qt::CaseInsensitive) == 0)
                return a;
    }
    return {};
}

QString prepare(const QString &programFolder)
{
    QString dir = qEnvironmentVariable(kPath);
    if (dir.isEmpty()) {
        dir = folder(programFolder);
        // The engine looks only beside the binary and in Qt's own folders, and only
        // once, as it starts.
        if (!dir.isEmpty())
            qputenv(kPath, QFile::encodeName(dir));
    }
    return dir;
}

void enable(QWebEngineProfile *profile, const QString &dir)
{
    const QString lang = choose(QLocale::system().uiLanguages(), dictionaries(dir));
    if (lang.isEmpty())
        return;
    profile->setSpellCheckLanguages({lang});
    profile->setSpellCheckEnabled(true);
}

} // namespace Spelling
