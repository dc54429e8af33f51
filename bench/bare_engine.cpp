// The yardstick: the least a Qt program can do to keep eight pages on screen.
// One QTabWidget with a QWebEngineView per URL on a named profile set up the
// way Velloran sets up its own, and nothing else.
//
//   bare_engine [--data DIR] [--reload-ms N] URL...
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    // Same attribute Velloran sets before its QApplication.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bare_engine"));

    QCommandLineParser cli;
    cli.addHelpOption();
    QCommandLineOption dataOpt(QStringLiteral("data"), QStringLiteral("Profile folder."), QStringLiteral("dir"));
    QCommandLineOption reloadOpt(QStringLiteral("reload-ms"), QStringLiteral("Reload every page every N ms."),
                                 QStringLiteral("ms"));
    cli.addOption(dataOpt);
    cli.addOption(reloadOpt);
    cli.addPositionalArgument(QStringLiteral("url"), QStringLiteral("Pages to show, one tab each."));
    cli.process(app);

    const QString data = cli.isSet(dataOpt) ? cli.value(dataOpt) : QDir::temp().filePath(QStringLiteral("bare_engine"));
    auto *profile = new QWebEngineProfile(QStringLiteral("bare"), &app);
    profile->setPersistentStoragePath(QDir(data).filePath(QStringLiteral("web")));
    profile->setCachePath(QDir(data).filePath(QStringLiteral("web/cache")));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);

    auto *tabs = new QTabWidget;
    tabs->setWindowTitle(QStringLiteral("bare_engine"));
    QList<QWebEngineView *> views;
    for (const QString &arg : cli.positionalArguments()) {
        auto *view = new QWebEngineView;
        view->setPage(new QWebEnginePage(profile, view));
        view->setUrl(QUrl::fromUserInput(arg));
        tabs->addTab(view, QUrl(arg).host());
        views.append(view);
    }
    tabs->showMaximized();
    // F5 reloads the page in front, as in any browser; the benchmark times it.
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F5), tabs), &QShortcut::activated, [tabs] {
        if (auto *v = qobject_cast<QWebEngineView *>(tabs->currentWidget()))
            v->reload();
    });
    // Where each tab is on screen, once laid out, for the benchmark to click.
    QTimer::singleShot(1000, tabs, [tabs] {
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect r = tabs->tabBar()->tabRect(i);
            const QPoint c = tabs->tabBar()->mapToGlobal(r.center());
            std::printf("TAB %d %d %d\n", i + 1, c.x(), c.y());
        }
        std::fflush(stdout);
    });

    QTimer reload;
    const int reloadMs = cli.value(reloadOpt).toInt();
    if (reloadMs > 0) {
        QObject::connect(&reload, &QTimer::timeout, [&views] {
            for (QWebEngineView *v : views)
                v->reload();
        });
        reload.start(reloadMs);
    }

    const int code = app.exec();
    // Pages before their profile, as the engine expects.
    delete tabs;
    delete profile;
    return code;
}
