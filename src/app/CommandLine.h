#pragma once
#include <QString>
#include <QStringList>

// The command line: --help, --version and --autostart on|off answer and end the
// program; --wall starts it in wall mode; anything else unknown is an error.
namespace CommandLine {

constexpr int StartProgram = -1;

// Handles `args` (the program's name first). Returns StartProgram when Velloran is to
// start, else the exit status, having printed the answer or a one-line error. Qt's
// own options (-platform, -style …) are let through for the application object.
int run(const QStringList &args);
// Whether the last run() asked for wall mode from the start (an autostarted screen).
bool startsInWall();

// The freedesktop autostart entry that starts `program` with the session; empty for a
// path with a control character, which no entry can hold.
QString autostartEntryPath();
QByteArray autostartEntry(const QString &program);
// Writes or removes the entry; on failure says why in `error`.
bool setAutostart(bool on, const QString &program, QString *error);

} // namespace CommandLine
