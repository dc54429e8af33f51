#pragma once
#include "platform/Services.h"
#include "platform/WindowRegistry.h"
#include "core/SharedState.h"
#include <QDateTime>
#include <QPointer>
#include <QStringList>


// Everything one run of the program shares: the shared state, the loaded-window list,
// the desktop services and where the files live. Each window receives it when it is
// created; nothing is static, so every test builds a fresh program.
class SiteSettings;

class AppContext
{
public:
    SharedState state;
    WindowRegistry windows;

    MessageBoxes *messages = nullptr;
    Dialogs *dialogs = nullptr;
    ProcessControl *process = nullptr;
    SoundService *sound = nullptr;
    Shell *shell = nullptr;
    ScreenService *screen = nullptr;
    TrayService *tray = nullptr;
    Menus *menus = nullptr;
    SiteProbe *probe = nullptr;
    BrowserFactory browserFactory;
    // How many downloads are saving now (none where nothing can download).
    std::function<int()> runningDownloads;
    // Asks each open page's leave-this-page guard; false when the person stays on one.
    std::function<bool()> pagesMayLeave;

    // Each Top 8 site's own options, kept beside the zoom and permission answers
    // (none where no such file is kept).
    SiteSettings *sites = nullptr;
    // Milliseconds on a clock that counts while the computer sleeps and never moves
    // with the wall clock; and the local wall time, for active hours.
    std::function<qint64()> clockMs = bootClockMs;
    std::function<QDateTime()> localTime = [] { return QDateTime::currentDateTime(); };
    // Pages falling due together start loading spread over at most this long.
    int spreadMaxMs = 10000;
    // A desktop notification of the program's own; `clicked` runs when it is clicked.
    std::function<void(const QString &summary, const QString &body, std::function<void()> clicked)> notify;
    // Sets the tray icon's tooltip (nothing where there is no icon).
    std::function<void(const QString &tip)> trayTip;
    static qint64 bootClockMs();

    QString dataFolder;         // holds velloran.ini and velloran.dat
    QStringList soundFolders;   // searched in order for the WAV cues
    int minuteMs = 60000;       // length of one minute of the refresh timer

    bool ended = false;
    int endCode = 0;

    QString settingsPath() const;
    QString dataFilePath() const;
    QString soundPath(const QString &name) const;

    // Ends the program: no further trapped step runs after this.
    void endProgram(int code = 0);
    // Asked before the person's own Exit: ending closes pages that may hold unsaved
    // work and cuts running downloads off, so they choose whether to go on; true when
    // nothing would be lost or they agree.
    bool mayEnd();

    // Message boxes with the program's title.
    void error(const QString &text);
    void info(const QString &text);
    void plain(const QString &text);

    // The screen-wide pointer: hourglass or default.
    void setScreenBusy(bool busy);

    // Takes every desktop service from one set (the real one, or the tests' fakes),
    // which names them as the context does.
    template<typename Set>
    void useServices(Set &set)
    {
        messages = &set.messages;
        dialogs = &set.dialogs;
        process = &set.process;
        sound = &set.sound;
        shell = &set.shell;
        screen = &set.screen;
        tray = &set.tray;
        menus = &set.menus;
        probe = &set.probe;
    }
};
