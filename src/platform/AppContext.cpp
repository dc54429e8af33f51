#include "platform/AppContext.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>

static const QString kTitle = QStringLiteral("Velloran");

QString AppContext::settingsPath() const
{
    return QDir(dataFolder).filePath(QStringLiteral("velloran.ini"));
}

QString AppContext::dataFilePath() const
{
    return QDir(dataFolder).filePath(QStringLiteral("velloran.dat"));
}

QString AppContext::soundPath(const QString &name) const
{
    for (const QString &folder : soundFolders) {
        const QString p = QDir(folder).filePath(name);
        if (QFileInfo::exists(p))
            return p;
    }
    return soundFolders.isEmpty() ? name : QDir(soundFolders.first()).filePath(name);
}

void AppContext::endProgram(int code)
{
    if (ended)
        return;
    ended = true;
    endCode = code;
    if (process)
        process->end(code);
}

static QWidget *dialogParent()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w)
        w = QApplication::activeWindow();
    return w;
}

void AppContext::error(const QString &text)
{
    if (!ended && messages)
        messages->show(dialogParent(), text, MsgIcon::Critical, kTitle);
}

void AppContext::info(const QString &text)
{
    if (!ended && messages)
        messages->show(dialogParent(), text, MsgIcon::Information, kTitle);
}

void AppContext::plain(const QString &text)
{
    if (!ended && messages)
        messages->show(dialogParent(), text, MsgIcon::None, kTitle);
}

void AppContext::setScreenBusy(bool busy)
{
    if (busy) {
        if (!QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
}
