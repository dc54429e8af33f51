#include "platform/AppContext.h"
#include <ctime>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

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

bool AppContext::mayEnd()
{
    if (ended)
        return true;
    if (pagesMayLeave && !pagesMayLeave())
        return false;
    const int running = runningDownloads ? runningDownloads() : 0;
    if (running <= 0 || !dialogs)
        return true;
    const QString text = running == 1
        ? QStringLiteral("A download is still running. Exit Velloran and cancel it?")
        : QStringLiteral("%1 downloads are still running. Exit Velloran and cancel them?").arg(running);
    auto *box = new QMessageBox(QMessageBox::Warning, kTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                                dialogParent());
    box->setObjectName(QStringLiteral("exitWithDownloads"));
    box->button(QMessageBox::Ok)->setText(QStringLiteral("E&xit"));
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("&Keep Downloading"));
    // The style's stock OK and Cancel pictures would contradict these words.
    for (QAbstractButton *b : box->buttons())
        b->setIcon(QIcon());
    box->setDefaultButton(QMessageBox::Cancel);
    return dialogs->exec(box) == QMessageBox::Ok;
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

qint64 AppContext::bootClockMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
