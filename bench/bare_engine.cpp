// The yardstick: the least a Qt program can do to keep eight pages on screen.
// One QTabWidget with a QWebEngineView per URL on a named profile set up the
// way Velloran sets up its own, and nothing else. Each option adds one thing
// Velloran does, so its cost can be measured on its own.
//
//   bare_engine [--data DIR] [--reload-ms N] [--spellcheck DIR] [--edit-watcher]
//               [--toolbars ICONS] [--drop-hidden-ms N] URL...
#include "engine/PageScripts.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <cstdio>
#include <cstring>

namespace {

struct Options
{
    bool editWatcher = false;
    QString icons;      // with a toolbar above each page, its icons from here
    int dropHiddenMs = 0;
};

// One tab: a box holding the page's view (and its toolbar), the view made anew
// when the tab is shown after its view was dropped.
struct Slot
{
    QWidget *box = nullptr;
    QWebEngineView *view = nullptr;
    QUrl url;
    QTimer *drop = nullptr;
};

QWebEngineView *makeView(QWebEngineProfile *profile, const Options &opt, const QUrl &url)
{
    auto *view = new QWebEngineView;
    auto *page = new QWebEnginePage(profile, view);
    if (opt.editWatcher) // the same script, injected the same way, as Velloran's pages get
        page->scripts().insert(PageScripts::editWatcherScript());
    view->setPage(page);
    view->setUrl(url);
    return view;
}

// About the toolbar each of Velloran's page windows carries: nine buttons with its
// own SVG icons.
QToolBar *makeToolbar(const QString &icons)
{
    auto *bar = new QToolBar;
    const char *names[] = {"openexternal", "refresh", "back", "forward", "stop", "home",
                           "print", "fullscreen", "tray", "favorites", "history"};
    for (const char *name : names) {
        QAction *a = bar->addAction(QIcon(QDir(icons).filePath(QString::fromLatin1(name) + QStringLiteral(".svg"))),
                                    QString::fromLatin1(name));
        a->setToolTip(QString::fromLatin1(name));
        if (!std::strcmp(name, "print") || !std::strcmp(name, "favorites"))
            bar->addSeparator();
    }
    return bar;
}

} // namespace

int main(int argc, char *argv[])
{
    // As Velloran: an OpenGL context is shared only when pages are drawn with OpenGL.
    if (qgetenv("QT_QUICK_BACKEND") != "software")
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine reads its dictionaries' folder once, as it starts.
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--spellcheck"))
            qputenv("QTWEBENGINE_DICTIONARIES_PATH", argv[i + 1]);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bare_engine"));

    QCommandLineParser cli;
    cli.addHelpOption();
    QCommandLineOption dataOpt(QStringLiteral("data"), QStringLiteral("Profile folder."), QStringLiteral("dir"));
    QCommandLineOption reloadOpt(QStringLiteral("reload-ms"), QStringLiteral("Reload every page every N ms."),
                                 QStringLiteral("ms"));
    QCommandLineOption spellOpt(QStringLiteral("spellcheck"),
                                QStringLiteral("Check spelling in en-US with the dictionaries in DIR."),
                                QStringLiteral("dir"));
    QCommandLineOption watcherOpt(QStringLiteral("edit-watcher"),
                                  QStringLiteral("Inject Velloran's edit watcher into every page."));
    QCommandLineOption toolbarOpt(QStringLiteral("toolbars"),
                                  QStringLiteral("A toolbar above each page, with the icons in DIR."),
                                  QStringLiteral("dir"));
    QCommandLineOption dropOpt(QStringLiteral("drop-hidden-ms"),
                               QStringLiteral("Delete a tab's view once hidden N ms; showing the tab makes a new one."),
                               QStringLiteral("ms"));
    for (auto *o : {&dataOpt, &reloadOpt, &spellOpt, &watcherOpt, &toolbarOpt, &dropOpt})
        cli.addOption(*o);
    cli.addPositionalArgument(QStringLiteral("url"), QStringLiteral("Pages to show, one tab each."));
    cli.process(app);

    Options opt;
    opt.editWatcher = cli.isSet(watcherOpt);
    opt.icons = cli.value(toolbarOpt);
    opt.dropHiddenMs = cli.value(dropOpt).toInt();

    const QString data = cli.isSet(dataOpt) ? cli.value(dataOpt) : QDir::temp().filePath(QStringLiteral("bare_engine"));
    auto *profile = new QWebEngineProfile(QStringLiteral("bare"), &app);
    profile->setPersistentStoragePath(QDir(data).filePath(QStringLiteral("web")));
    profile->setCachePath(QDir(data).filePath(QStringLiteral("web/cache")));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    if (cli.isSet(spellOpt)) {
        profile->setSpellCheckLanguages({QStringLiteral("en-US")});
        profile->setSpellCheckEnabled(true);
    }

    auto *tabs = new QTabWidget;
    tabs->setWindowTitle(QStringLiteral("bare_engine"));
    QList<Slot> pages;
    for (const QString &arg : cli.positionalArguments()) {
        Slot s;
        s.url = QUrl::fromUserInput(arg);
        s.box = new QWidget;
        auto *lay = new QVBoxLayout(s.box);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(0);
        if (!opt.icons.isEmpty())
            lay->addWidget(makeToolbar(opt.icons));
        s.view = makeView(profile, opt, s.url);
        lay->addWidget(s.view, 1);
        tabs->addTab(s.box, s.url.host());
        pages.append(s);
    }
    if (opt.dropHiddenMs > 0) {
        // A hidden page's view goes a while after it was hidden, its renderer with it;
        // showing the tab again opens the page in a new view, as a browser restores a
        // discarded tab.
        for (Slot &s : pages) {
            s.drop = new QTimer(s.box);
            s.drop->setSingleShot(true);
            s.drop->setInterval(opt.dropHiddenMs);
            QObject::connect(s.drop, &QTimer::timeout, s.box, [&s, tabs] {
                if (s.view && tabs->currentWidget() != s.box) {
                    delete s.view;
                    s.view = nullptr;
                }
            });
        }
        auto shown = [&pages, tabs, profile, &opt](int index) {
            for (int i = 0; i < pages.size(); ++i) {
                Slot &s = pages[i];
                if (i != index) {
                    if (s.view && !s.drop->isActive())
                        s.drop->start();
                    continue;
                }
                s.drop->stop();
                if (!s.view) {
                    s.view = makeView(profile, opt, s.url);
                    static_cast<QVBoxLayout *>(s.box->layout())->addWidget(s.view, 1);
                }
            }
        };
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, shown);
        shown(tabs->currentIndex());
    }
    tabs->showMaximized();
    // F5 reloads the page in front, as in any browser; the benchmark times it.
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_F5), tabs), &QShortcut::activated, [tabs, &pages] {
        for (const Slot &s : pages)
            if (s.box == tabs->currentWidget() && s.view)
                s.view->reload();
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
        QObject::connect(&reload, &QTimer::timeout, [&pages] {
            for (const Slot &s : pages)
                if (s.view)
                    s.view->reload();
        });
        reload.start(reloadMs);
    }

    const int code = app.exec();
    // Pages before their profile, as the engine expects.
    delete tabs;
    delete profile;
    return code;
}
