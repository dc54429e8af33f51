// The main window's commands: menu tree, page commands, Close Window, the URL menu,
// the bars and the resize bookkeeping.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "engine/FindBar.h"
#include "mainwindow/MDIForm1.h"
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolButton>
#include <QtTest>

namespace {

// Slots 1 and 2 load at start; slot 4 is only listed on the File menu.
const QByteArray kTop8 =
    Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B").slot(4, "http://d/", false, "D");

} // namespace

class MenusTest : public QObject
{
    Q_OBJECT
private slots:
    void menuTree();
    void clipboardDance();
    void pageCommands();
    void closeWindowTabbedAndCascade();
    void closeCommandsCloseThePageInFront();
    void arrangingKeepsThePageInFront();
    void urlMenu();
    void urlMenuWithoutDataFile();
    void bars();
    void resizeBookkeeping();
    void windowMenuAndRightClick();
    void exitAsksWhileDownloadsRun();
    void closingAsksThePage();
};

void MenusTest::menuTree()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    QStringList top;
    for (QAction *a : m->menuBar()->actions())
        if (a->isVisible())
            top << a->text();
    QCOMPARE(top, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                               QStringLiteral("&Favorites"), QStringLiteral("&Setup..."), QStringLiteral("&Window"),
                               QStringLiteral("&Help")}));
    QVERIFY(!Frame::item(m, "mnuHistory")->isVisible());
    QCOMPARE(Frame::item(m, "mnuFwd")->text(), QStringLiteral("Go &Forward          Alt+Right Arrow"));
    QCOMPARE(Frame::item(m, "mnuBack")->text(), QStringLiteral("Go &Back              Alt+Left Arrow"));
    QCOMPARE(Frame::item(m, "mnuRefresh")->text(), QStringLiteral("&Refresh               F5"));
    QCOMPARE(Frame::item(m, "mnuStop")->text(), QStringLiteral("&Stop                    Esc"));
    QCOMPARE(Frame::item(m, "mnuFullScreen")->text(), QStringLiteral("&Full Screen          F11"));
    QCOMPARE(Frame::item(m, "mnuOpenInIE")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(Frame::item(m, "mnuSendToTray")->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    QCOMPARE(Frame::item(m, "mnuTile")->shortcut(), QKeySequence(QStringLiteral("F5")));
    QCOMPARE(Frame::item(m, "mnuCascade")->shortcut(), QKeySequence(QStringLiteral("F4")));
    QCOMPARE(Frame::item(m, "mnuFullScreenWindows")->shortcut(), QKeySequence(QStringLiteral("F11")));
    QCOMPARE(Frame::item(m, "mnuHelpContents")->shortcut(), QKeySequence(QStringLiteral("F1")));
    QVERIFY(Frame::item(m, "mnuNavigationBar")->isChecked() && Frame::item(m, "mnuToolbar")->isChecked() && Frame::item(m, "mnuStatusBar")->isChecked());
    QStringList file;
    for (QAction *a : Frame::menu(m, "mnuFile")->actions())
        if (a->isVisible())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(file, (QStringList{QStringLiteral("&Open in Internet Explorer"), QStringLiteral("-"),
                                QStringLiteral("&Close Window"), QStringLiteral("-"), QStringLiteral("&Print..."),
                                QStringLiteral("-"), QStringLiteral("D"), QStringLiteral("-"),
                                QStringLiteral("&Send to Icon Tray"), QStringLiteral("-"), QStringLiteral("E&xit")}));
}

void MenusTest::clipboardDance()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    FakeBrowser *b = p.page(m->activeChild());
    QVERIFY(Frame::item(m, "mnuCut")->isEnabled() && Frame::item(m, "mnuCopy")->isEnabled() && Frame::item(m, "mnuPaste")->isEnabled());
    Frame::item(m, "mnuCopy")->trigger();
    QCOMPARE(b->count(QStringLiteral("Copy")), 1);
    QVERIFY(!Frame::item(m, "mnuCopy")->isEnabled() && !Frame::item(m, "mnuCut")->isEnabled() && Frame::item(m, "mnuPaste")->isEnabled());
    Frame::item(m, "mnuCopy")->trigger(); // unavailable until Paste
    QCOMPARE(b->count(QStringLiteral("Copy")), 1);
    Frame::item(m, "mnuPaste")->trigger();
    QCOMPARE(b->count(QStringLiteral("Paste")), 1);
    QVERIFY(Frame::item(m, "mnuCopy")->isEnabled() && Frame::item(m, "mnuCut")->isEnabled() && !Frame::item(m, "mnuPaste")->isEnabled());
    Frame::item(m, "mnuCut")->trigger();
    QVERIFY(!Frame::item(m, "mnuCut")->isEnabled() && Frame::item(m, "mnuPaste")->isEnabled());
    Frame::item(m, "mnuSelectAll")->trigger();
    QCOMPARE(b->count(QStringLiteral("SelectAll")), 1);
}

void MenusTest::pageCommands()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    FakeBrowser *b = p.page(m->activeChild());
    Frame::item(m, "mnuBack")->trigger(); // no history: the component's negative error passes silently
    QVERIFY(p.d.messages.shown.isEmpty());
    b->failures.insert(QStringLiteral("Refresh"), 7);
    Frame::item(m, "mnuRefresh")->trigger();
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("Error 7. Navigation Error. Try again.")});
    Frame::item(m, "mnuStop")->trigger();
    QCOMPARE(b->calls.last(), QStringLiteral("Stop"));
    b->url = QStringLiteral("http://a/page");
    Frame::item(m, "mnuOpenInIE")->trigger();
    QCOMPARE(p.d.shell.opened, QList<QUrl>{QUrl(QStringLiteral("http://a/page"))});
    Frame::item(m, "mnuPrint")->trigger();
    QCOMPARE(b->calls.last(), QStringLiteral("Print"));

    // Find opens a bar that searches the page and says when nothing matched.
    b->title = QStringLiteral("Alpha Page");
    Frame::item(m, "mnuFind")->trigger();
    auto *bar = m->findChild<FindBar *>();
    QVERIFY(bar && bar->isVisible());
    bar->input()->setText(QStringLiteral("Alpha"));
    QCOMPARE(b->calls.last(), QStringLiteral("Find Alpha"));
    QVERIFY(bar->result()->text().contains(QStringLiteral("1 match")));
    bar->input()->setText(QStringLiteral("zebra"));
    QCOMPARE(bar->result()->text(), QStringLiteral("No matches for \"zebra\""));

    // Both Full Screen items hide the main window and open the same window.
    Frame::item(m, "mnuFullScreen")->trigger();
    QVERIFY(!m->isVisible());
    QVERIFY(p.main()->fullScreenWindow());
    QWidget *first = p.main()->fullScreenWindow();
    QCOMPARE(first->metaObject()->className(), "frmHTMLBrowserFullScreen");
    m->show();
    Frame::item(m, "mnuFullScreenWindows")->trigger();
    QVERIFY(!m->isVisible());
    QCOMPARE(p.main()->fullScreenWindow()->metaObject()->className(), "frmHTMLBrowserFullScreen");
}

void MenusTest::closeWindowTabbedAndCascade()
{
    {
        TestProgram p;
        p.start(kTop8);
        MDIForm1 *m = p.main();
        m->StatusBarTabs_PanelClick(3); // slot 2
        p.d.ctx->state.InTray = -1;
        Frame::item(m, "mnuCloseWindow")->trigger();
        QCOMPARE(p.d.ctx->state.InTray, int16_t(0));
        QCOMPARE(p.windows().size(), 1);
        QVERIFY(Frame::tabs(m)->text(3).isEmpty());
        QCOMPARE(Frame::tabs(m)->text(2), QStringLiteral("A"));
        QVERIFY(Frame::urlItem(m, 1)->isVisible());
        QCOMPARE(p.d.ctx->state.Slots(2).closed, int16_t(-1));
    }
    {
        TestProgram p;
        p.start(kTop8, Ini::Cascade);
        MDIForm1 *m = p.main();
        const QString before = Frame::tabs(m)->text(3);
        m->mdiArea()->setActiveSubWindow(p.windows().last());
        Frame::item(m, "mnuCloseWindow")->trigger();
        QCOMPARE(p.windows().size(), 1);
        QCOMPARE(Frame::tabs(m)->text(3), before); // the strip is not touched
        Frame::item(m, "mnuCloseWindow")->trigger();
        QVERIFY(p.windows().isEmpty());
        QVERIFY(!Frame::menu(m, "mnuEdit")->menuAction()->isVisible());
        Frame::item(m, "mnuCloseWindow")->trigger(); // nothing open: nothing happens, no message
        QVERIFY(p.d.messages.shown.isEmpty());
        QVERIFY(p.d.process.ends.isEmpty());
    }
}

// Two records for one slot give it two pages; each close command closes the one in front.
void MenusTest::closeCommandsCloseThePageInFront()
{
    TestProgram p;
    p.start(Top8::line(1, "http://a/", true, "A") + Top8::line(2, "http://b1/", false, "B1")
            + Top8::line(2, "http://b2/", false, "B2"));
    MDIForm1 *m = p.main();
    const QList<std::function<void()>> closers{
        [m] { Frame::item(m, "mnuCloseWindow")->trigger(); },
        [m] { m->StatusBarTabs_PanelClick(10); },
        [m] { Frame::closeBox(m)->click(); },
    };
    for (const auto &close : closers) {
        Frame::urlItem(m, 1)->trigger(); // both pages of slot 2, the second in front
        QPointer<BrowserWindowBase> front = m->activeChild();
        QCOMPARE(front->HomeURL, QStringLiteral("http://b2/"));
        const int open = int(p.windows().size());
        close();
        QCOMPARE(int(p.windows().size()), open - 1);
        QVERIFY(!p.windows().contains(front.data()));
        QCOMPARE(p.window(2)->HomeURL, QStringLiteral("http://b1/"));
        QVERIFY(!Frame::tabs(m)->text(3).isEmpty());
    }
}

// Cascade and Tile keep the page in front; no other page is activated or reloaded.
void MenusTest::arrangingKeepsThePageInFront()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B").slot(3, "http://c/", true, "C"),
            "-1,0,1,0,-1,0\r\n");
    MDIForm1 *m = p.main();
    BrowserWindowBase *front = p.windows().first();
    m->mdiArea()->setActiveSubWindow(front);
    front->showMaximized();
    auto reloads = [&p] {
        QList<int> n;
        for (BrowserWindowBase *w : p.windows())
            n << TestProgram::page(w)->count(QStringLiteral("Refresh"));
        return n;
    };
    const QList<int> before = reloads();
    const QString tip = Frame::status(m)->text(2);
    for (const char *item : {"mnuTile", "mnuCascade"}) {
        Frame::item(m, item)->trigger();
        QCOMPARE(m->activeChild(), front);
        QCOMPARE(reloads(), before);
        QCOMPARE(Frame::status(m)->text(2), tip);
    }
    QCOMPARE(m->mdiArea()->subWindowList(QMdiArea::StackingOrder).last(), front);
}

void MenusTest::urlMenu()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    Frame::urlItem(m, 3)->trigger();
    QCOMPARE(p.windows().size(), 3);
    BrowserWindowBase *w = p.windows().last();
    QCOMPARE(w->tag(), QStringLiteral("4"));
    QVERIFY(qobject_cast<frmHTMLBrowserTab *>(w));
    QCOMPARE(Frame::tabs(m)->text(5), QStringLiteral("D"));
    QCOMPARE(Frame::tabs(m)->toolTip(5), QStringLiteral("http://d/"));
    QVERIFY(!Frame::urlItem(m, 3)->isVisible());
    QVERIFY(Frame::urlItem(m, 3)->text().isEmpty());
    QCOMPARE(p.d.ctx->state.Slots(4).closed, int16_t(0));
    QCOMPARE(p.d.ctx->state.Slots(4).url, QStringLiteral("http://d/"));
    QCOMPARE(p.d.ctx->windows.count(), 5); // the splash is gone again
    // The layout chosen since start-up decides the kind of window.
    p.d.ctx->state.TabbedLayout = 0;
    w->unload();
    Frame::urlItem(m, 3)->trigger();
    QVERIFY(qobject_cast<frmHTMLBrowser *>(p.windows().last()));

    // An entry whose address was blanked since it was listed opens nothing.
    p.windows().last()->unload();
    QVERIFY(Frame::urlItem(m, 3)->isVisible());
    p.d.writeFile(QStringLiteral("velloran.dat"), Top8().slot(1, "http://a/", true, "A"));
    const int before = int(p.windows().size());
    Frame::urlItem(m, 3)->trigger();
    QCOMPARE(int(p.windows().size()), before);
    QVERIFY(!Frame::urlItem(m, 3)->isVisible());
    QCOMPARE(p.d.ctx->state.Slots(4).closed, int16_t(-1));
}

void MenusTest::urlMenuWithoutDataFile()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    QFile::remove(p.d.dataFile(QStringLiteral("velloran.dat")));
    Frame::urlItem(m, 3)->trigger();
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("Error 53.")});
    QCOMPARE(p.windows().size(), 2);
    QVERIFY(m->updatesEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(p.d.ctx->windows.count(), 4); // no splash left behind
}

void MenusTest::bars()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    Frame::item(m, "mnuStatusBar")->trigger();
    QVERIFY(!Frame::status(m)->isVisible());
    Frame::item(m, "mnuStatusBar")->trigger();
    QVERIFY(Frame::status(m)->isVisible() && Frame::item(m, "mnuStatusBar")->isChecked());
    Frame::item(m, "mnuNavigationBar")->trigger();
    QVERIFY(!Frame::tabs(m)->isVisible());
    Frame::item(m, "mnuNavigationBar")->trigger();
    QVERIFY(Frame::tabs(m)->isVisible());

    BrowserWindowBase *w = m->activeChild();
    Frame::item(m, "mnuToolbar")->trigger(); // off: the page fills the window at once
    QCOMPARE(p.d.ctx->state.ToolbarOn, int16_t(0));
    QVERIFY(!w->Toolbar1->isVisible());
    QCOMPARE(w->WebBrowser1->geometry(), QRect(0, 0, w->innerWidth(), w->innerHeight()));
    // Another window loses its toolbar when it is next activated and resized.
    BrowserWindowBase *other = p.windows().last() == w ? p.windows().first() : p.windows().last();
    m->StatusBarTabs_PanelClick(other->slot() + 1);
    QCOMPARE(other->WebBrowser1->y(), 0);
    Frame::item(m, "mnuToolbar")->trigger(); // on again for the active one
    QCOMPARE(p.d.ctx->state.ToolbarOn, int16_t(-1));
    QVERIFY(other->Toolbar1->isVisible());
    QCOMPARE(other->WebBrowser1->y(), other->Toolbar1->height());
}

void MenusTest::resizeBookkeeping()
{
    TestProgram p;
    p.start(kTop8, Ini::Cascade);
    MDIForm1 *m = p.main();
    frmRightClick *h = p.host;
    m->showMinimized();
    QVERIFY(h->mnuRestore->isEnabled() && !h->mnuMinimize->isEnabled() && h->mnuMaximize->isEnabled());
    m->showMaximized();
    QVERIFY(h->mnuRestore->isEnabled() && h->mnuMinimize->isEnabled() && !h->mnuMaximize->isEnabled());
    m->showNormal();
    QVERIFY(!h->mnuRestore->isEnabled() && h->mnuMinimize->isEnabled() && h->mnuMaximize->isEnabled());
    m->setGeometry(100, 80, 700, 500);
    const QRect g = m->frameGeometry();
    QCOMPARE(p.d.ctx->state.FavoritesLeft, float(g.left() * 15 + 30));
    QCOMPARE(p.d.ctx->state.FavoritesTop, float(g.top() * 15 + 30));
    QCOMPARE(p.d.ctx->state.FavoritesHeight, float(g.height() * 15));
}

void MenusTest::windowMenuAndRightClick()
{
    TestProgram p;
    p.start(kTop8, Ini::Cascade);
    MDIForm1 *m = p.main();
    emit Frame::menu(m, "mnuWindows")->aboutToShow();
    QStringList listed;
    for (QAction *a : Frame::menu(m, "mnuWindows")->actions())
        if (a->property("windowListItem").toBool() && !a->isSeparator())
            listed << a->text() + (a->isChecked() ? QStringLiteral(" *") : QString());
    QCOMPARE(listed.size(), 2);
    QVERIFY(listed.filter(QStringLiteral(" *")).size() == 1);
    QVERIFY(Frame::item(m, "mnuCascade")->isVisible() && Frame::item(m, "mnuTile")->isVisible());

    QWidget *background = m->mdiArea()->viewport();
    QTest::mouseClick(background, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(p.d.menus.shown.isEmpty());
    QTest::mouseClick(background, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(p.d.menus.shown, QStringList{QStringLiteral("mnuWindows")});
}

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"

// Every Exit the person chooses asks first while a download is saving; keeping the
// download leaves everything as it was, agreeing ends as before.
void MenusTest::exitAsksWhileDownloadsRun()
{
    enum Way { FileExit, FrameClose, TrayExit };
    for (const Way way : {FileExit, FrameClose, TrayExit}) {
        TestProgram p;
        p.start(kTop8);
        int running = 2;
        p.d.ctx->runningDownloads = [&running] { return running; };
        const auto exit = [&] {
            if (way == FileExit)
                Frame::item(p.main(), "mnuClose")->trigger();
            else if (way == FrameClose)
                p.main()->close();
            else
                p.host->mnuExit->trigger();
        };
        QString asked;
        int answer = QMessageBox::Cancel;
        p.d.dialogs.script = [&](QDialog *box) {
            asked = static_cast<QMessageBox *>(box)->text();
            return answer;
        };
        exit();
        QVERIFY2(asked.startsWith(QStringLiteral("2 downloads")), qPrintable(asked));
        QVERIFY(p.d.process.ends.isEmpty());
        QCOMPARE(p.windows().size(), 2);
        QVERIFY(p.host->taskBar()->iconVisible());

        running = 0; // finished meanwhile: no question
        p.d.dialogs.shown.clear();
        if (way != TrayExit) {
            exit();
            QVERIFY(p.d.dialogs.shown.isEmpty());
            QCOMPARE(p.d.process.ends, QList<int>{0});
            continue;
        }
        running = 1;
        answer = QMessageBox::Ok;
        exit();
        QVERIFY(asked.startsWith(QStringLiteral("A download")));
        QCOMPARE(p.d.process.ends, QList<int>{0});
        QVERIFY(!p.host->taskBar()->iconVisible());
    }
}

void MenusTest::closingAsksThePage()
{
    TestProgram p;
    p.start(kTop8);
    MDIForm1 *m = p.main();
    BrowserWindowBase *front = m->activeChild();
    FakeBrowser *b = p.page(front);
    int downloads = 0;
    p.d.ctx->runningDownloads = [&downloads] { ++downloads; return 0; };

    // Stay keeps the window, its tab and the program, however it is closed.
    b->stays = true;
    Frame::item(m, "mnuCloseWindow")->trigger();
    front->close();
    Frame::item(m, "mnuClose")->trigger();
    m->close();
    QCOMPARE(b->count(QStringLiteral("mayLeave")), 4);
    QCOMPARE(p.windows().size(), 2);
    QCOMPARE(m->activeChild(), front);
    QVERIFY(p.d.process.ends.isEmpty());
    QCOMPARE(downloads, 0);

    // Leave: the window goes, and Exit asks each remaining page once.
    b->stays = false;
    Frame::item(m, "mnuCloseWindow")->trigger();
    QCOMPARE(p.windows().size(), 1);
    FakeBrowser *other = p.page(p.windows().first());
    Frame::item(m, "mnuClose")->trigger();
    QCOMPARE(other->count(QStringLiteral("mayLeave")), 1);
    QCOMPARE(p.d.process.ends, QList<int>{0});
}
