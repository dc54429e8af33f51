#include "app/CommandLine.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "engine/PageColours.h"
#include "engine/WebEngineBrowser.h"
#include "engine/Rendering.h"
#include "engine/DesktopNotifier.h"
#include "engine/WebSession.h"
#include "platform/AppContext.h"
#include "platform/Icons.h"
#include "platform/RealServices.h"
#include "core/DataFolder.h"
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>
#include <memory>
#include <vector>

namespace {

// The desktop facilities of a real run, handed to the program context.
struct DesktopServices
{
    QtMessageBoxes messages;
    QtDialogs dialogs;
    QtProcessControl process;
    QtSound sound;
    DesktopShell shell;
    QtScreen screen;
    QtTray tray;
    QtMenus menus;
    NetworkProbe probe;
};

// Where the files live, and the length of a minute (shortened for tests).
void placeFiles(AppContext &ctx)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    ctx.dataFolder = resolveDataFolder(programFolder);
    ctx.soundFolders = {programFolder, QDir(programFolder).absoluteFilePath(QStringLiteral("../share/velloran"))};
    bool ok = false;
    const int minuteMs = qEnvironmentVariableIntValue("VELLORAN_MINUTE_MS", &ok);
    if (ok && minuteMs > 0)
        ctx.minuteMs = minuteMs;
}

// Pages go before their profile, so the engine shuts down cleanly and keeps cookies.
void closeWindows(QWidget *host)
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != host && !w->parentWidget())
            windows.append(w);
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
    delete host;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Velloran"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.7"));
    // The command line is answered before any desktop is needed, as in a terminal.
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    if (const int code = CommandLine::run(rawArgs); code != CommandLine::StartProgram)
        return code;

    // The engine reads its switches from the arguments; QApplication keeps pointers
    // into them, so they live as long as it does.
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i)
        args << QByteArray(argv[i]);
    // Drawn in software, no OpenGL context is shared (nor loaded at all).
    if (Rendering::apply(args) == Rendering::Mode::Gpu)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    std::vector<char *> appArgv;
    for (QByteArray &a : args)
        appArgv.push_back(a.data());
    appArgv.push_back(nullptr);
    int appArgc = int(args.size());
    QApplication app(appArgc, appArgv.data());
    Rendering::started();
    QApplication::setDesktopFileName(QStringLiteral("velloran"));
    QApplication::setWindowIcon(sharedIcon(QStringLiteral(":/icons/velloran.svg")));
    // The program lives on in the tray with no window shown; only its host ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    Q_INIT_RESOURCE(velloran);

    DesktopServices services;
    auto ctx = std::make_unique<AppContext>();
    ctx->useServices(services);
    placeFiles(*ctx);

    PageColours::followDesktop();
    auto *web = new WebSession(ctx->dataFolder, &services.shell);
    PageColours::started();
    ctx->browserFactory = [web](QWidget *parent) -> BrowserControl * {
        return new WebEngineBrowser(*web, parent);
    };
    ctx->runningDownloads = [web] { return web->runningDownloads(); };
    ctx->sites = &web->sites();
    ctx->notify = [web](const QString &summary, const QString &body, std::function<void()> clicked) {
        web->notifier()->announce(summary, body, std::move(clicked));
    };
    services.probe.acceptedCertificate = [web](const QString &site, const QByteArray &digest) {
        return web->acceptedCertificates.contains(site + QLatin1Char('|') + QString::fromLatin1(digest));
    };

    auto *host = new frmRightClick(*ctx);
    // Web notifications show through the tray icon while it sits in an X11 tray.
    web->trayIcon = [host = QPointer<frmRightClick>(host)]() -> QSystemTrayIcon * {
        clsTaskBar *bar = host ? host->taskBar() : nullptr;
        return bar && bar->inTray() && !bar->statusNotifier() ? bar->icon() : nullptr;
    };
    ctx->trayTip = [host = QPointer<frmRightClick>(host)](const QString &tip) {
        if (host && host->taskBar())
            host->taskBar()->ChangeTip(tip, 1);
    };
    host->Form_Load();
    int code = ctx->endCode;
    if (!ctx->ended)
        code = app.exec();

    closeWindows(host);
    ctx.reset();
    delete web;
    return code;
}
