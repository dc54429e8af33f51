#include "app/CommandLine.h"
#include <QCommandLineParser>
#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdio>

namespace CommandLine {

namespace {

bool wallAtStart = false;

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

// Exec= of the desktop entry format: an argument with reserved characters is quoted,
// with a backslash before ", `, $ and \ inside the quotes; a % is doubled, as it would
// start a field code; then the value's own escaping doubles every backslash.
QString execValue(const QString &path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString out;
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); })) {
        out = path;
    } else {
        out = QStringLiteral("\"");
        for (QChar c : path) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                out += u'\\';
            out += c;
        }
        out += u'"';
    }
    return out.replace(u'%', QStringLiteral("%%")).replace(u'\\', QStringLiteral("\\\\"));
}

} // namespace

QString autostartEntryPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart/velloran.desktop"));
}

QByteArray autostartEntry(const QString &program)
{
    // No escape of the format carries a line break or another control character.
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velloran\n"
           "Comment=Keep your eight favourite sites open all day\n"
           "Exec=" + execValue(program).toUtf8() + "\n"
           "Icon=velloran\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool setAutostart(bool on, const QString &program, QString *error)
{
    const QString path = autostartEntryPath();
    if (!on) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        *error = QStringLiteral("cannot remove %1").arg(path);
        return false;
    }
    const QByteArray entry = autostartEntry(program);
    if (entry.isEmpty()) {
        *error = QStringLiteral("the program's path holds a control character, which an autostart entry cannot "
                                "hold; no entry was written");
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("cannot create the folder %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile f(path);
    // Flushed here because commit() ignores a failed flush and would leave a cut entry.
    if (!f.open(QIODevice::WriteOnly) || f.write(entry) != entry.size() || !f.flush() || !f.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

namespace {

// Qt's own options, taken by the application object once it exists; known here so
// that a mistyped option can be told apart before there is any desktop.
void addQtOptions(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "session", "display", "name", "style",
                             "stylesheet", "geometry", "title", "qmljsdebugger"}) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
}

int runAutostart(const QString &given)
{
    const QString value = given.toLower();
    if (value != QLatin1String("on") && value != QLatin1String("off")) {
        print(stderr, QStringLiteral("velloran: --autostart takes on or off, not '%1'.\n").arg(given));
        return 2;
    }
    QString error;
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!setAutostart(value == QLatin1String("on"), program, &error)) {
        print(stderr, QStringLiteral("velloran: %1.\n").arg(error));
        return 1;
    }
    print(stdout, value == QLatin1String("on")
                      ? QStringLiteral("Velloran will start with the session (%1).\n").arg(autostartEntryPath())
                      : QStringLiteral("Velloran will no longer start with the session.\n"));
    return 0;
}

} // namespace

int run(const QStringList &args)
{
    wallAtStart = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows your favourite web sites at once, kept fresh, in one window."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption autostart(QStringLiteral("autostart"),
                                       QStringLiteral("Start Velloran with the desktop session (on), or no longer (off)."),
                                       QStringLiteral("on|off"));
    parser.addOption(autostart);
    const QCommandLineOption wall(QStringLiteral("wall"),
                                  QStringLiteral("Start in wall mode: the open pages in turn over the whole screen."));
    parser.addOption(wall);
    addQtOptions(parser);

    // Whatever follows --webEngineArgs belongs to the web engine.
    QStringList ours = args;
    if (const qsizetype engine = ours.indexOf(QStringLiteral("--webEngineArgs")); engine > 0)
        ours = ours.mid(0, engine);

    if (!parser.parse(ours)) {
        print(stderr, QStringLiteral("velloran: %1 Try 'velloran --help'.\n").arg(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("velloran"));
        print(stdout, text);
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                      QCoreApplication::applicationVersion()));
        return 0;
    }
    if (parser.isSet(autostart))
        return runAutostart(parser.value(autostart));
    wallAtStart = parser.isSet(wall);
    return StartProgram;
}

bool startsInWall()
{
    return wallAtStart;
}

} // namespace CommandLine
