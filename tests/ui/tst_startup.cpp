// Start-up of the whole program on the real widgets with fake pages: the data file's
// records become windows, menu items and tabs; the tray menu and the timer follow.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "mainwindow/MDIForm1.h"
#include "mainwindow/Tips.h"
#include "setup/frmURLs.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include <QMdiArea>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void missingDataFileAsksForTheTop8();
    void fileCutInsideARecordClosesOpenedWindows();
    void firstRunSetUpArrangesAtOnce();
    void slotsTwoAndFive();
    void allAutoloadOffOpensSetUp();
    void damagedRecordsAreSetAsideAndSalvaged();
    void arrangements();
    void tabLabelsOnSmallScreen();
    void tabClicksAndCloseCell();
    void closingPagesAmongOtherWindows();
    void trayMenuStates();
    void rightClickDismissalMaximizes();
    void timerTicks();
    void browserWindowEvents();
    void secondInstanceEndsSilently();
};

void StartupTest::missingDataFileAsksForTheTop8()
{
    TestProgram p;
    p.start(QByteArray());
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs.")});
    QCOMPARE(p.d.messages.shown.first().icon, MsgIcon::Critical);
    QCOMPARE(p.d.messages.shown.first().title, QStringLiteral("Velloran"));
    QCOMPARE(p.state().FirstRun, int16_t(-1));
    QCOMPARE(p.d.dialogs.shown, QStringList{QStringLiteral("frmURLs")});
    QVERIFY(p.windows().isEmpty());
    // No settings file: the defaults apply and nothing is written.
    QFile::remove(p.d.dataFile(QStringLiteral("velloran.ini")));
    TestProgram q;
    q.start(QByteArray(), QByteArray());
    const SharedState &s = q.state();
    QCOMPARE((QList<int>{s.RefreshOnActive, s.RefreshEvery, s.RefreshMinutes, s.TileLayout, s.CascadeLayout, s.TabbedLayout}),
             (QList<int>{0, 0, 1, -1, 0, 0}));
    QVERIFY(!QFile::exists(q.d.dataFile(QStringLiteral("velloran.ini"))));
    QVERIFY(q.d.process.ends.isEmpty());
}

void StartupTest::fileCutInsideARecordClosesOpenedWindows()
{
    TestProgram p;
    const QByteArray dat = Top8::line(1, "http://a/", true, "A") + Top8::line(2, "http://b/", true, "B") + "3,\"http://c/\",-1";
    // The first Top 8 entered opens slot 3: only its tab is drawn selected.
    p.d.dialogs.script = [](QDialog *dlg) {
        auto *setUp = qobject_cast<frmURLs *>(dlg);
        setUp->txtURL[2]->setText(QStringLiteral("http://new/"));
        setUp->chkAutoLoad[2]->setChecked(true);
        setUp->cmdOK->click();
        return 1;
    };
    p.start(dat);
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs.")});
    QCOMPARE(p.main()->activeChild()->slot(), 3);
    for (int panel = 2; panel <= 9; ++panel)
        QCOMPARE(Frame::tabs(p.main())->bevel(panel), panel == 4 ? 1 : 2);
    p.main()->activeChild()->unload();
    QVERIFY(p.windows().isEmpty());
    QCOMPARE(p.d.ctx->windows.count(), 2); // host and main only
    QCOMPARE(p.d.dialogs.shown, QStringList{QStringLiteral("frmURLs")});
    // Their closing put both slots back on the File menu.
    QVERIFY(Frame::urlItem(p.main(), 0)->isVisible());
    QCOMPARE(p.state().Slots(1).closed, int16_t(-1));
}

void StartupTest::firstRunSetUpArrangesAtOnce()
{
    TestProgram p;
    int runs = 0;
    QStringList rowsSeenSecondTime;
    p.d.dialogs.script = [&](QDialog *dialog) {
        auto *setUp = qobject_cast<frmURLs *>(dialog);
        if (!setUp)
            return int(QDialog::Rejected);
        if (++runs == 1) {
            setUp->txtURL[0]->setText(QStringLiteral("http://one.test/"));
            setUp->txtURL[1]->setText(QStringLiteral("http://two.test/"));
            setUp->optTabbed->click();
            setUp->cmdOK_Click();
            return int(QDialog::Accepted);
        }
        for (int i = 0; i < 2; ++i)
            rowsSeenSecondTime << setUp->txtURL[i]->text();
        return int(QDialog::Rejected);
    };
    p.start(QByteArray(), QByteArray());
    // The first Top 8 shows as tabs at once, not only after a restart.
    QCOMPARE(p.windows().size(), 2);
    QVERIFY(Frame::tabs(p.main())->isVisible());
    QCOMPARE(Frame::tabs(p.main())->bevel(2), 1);
    QCOMPARE(p.main()->activeChild()->tag(), QStringLiteral("1"));
    QVERIFY(!Frame::item(p.main(), "mnuTile")->isVisible());
    QCOMPARE(p.state().FirstRun, int16_t(0));
    // Set Up opened again shows what was saved, so a second OK cannot blank the Top 8.
    Frame::item(p.main(), "mnuSetup")->trigger();
    QCOMPARE(rowsSeenSecondTime, (QStringList{QStringLiteral("http://one.test/"), QStringLiteral("http://two.test/")}));
}

void StartupTest::slotsTwoAndFive()
{
    TestProgram p;
    p.start(Top8().slot(2, "http://two.test/").slot(5, "http://five.test/", false, "Five & more"));
    QCOMPARE(p.windows().size(), 1);
    BrowserWindowBase *w = p.windows().first();
    QCOMPARE(w->tag(), QStringLiteral("2"));
    QVERIFY(qobject_cast<frmHTMLBrowserTab *>(w));
    QCOMPARE(p.page(w)->calls.first(), QStringLiteral("Navigate http://two.test/"));
    QCOMPARE(w->caption(), QStringLiteral("http://two.test/"));
    QCOMPARE(w->Toolbar1->buttonToolTip(8), QStringLiteral("Home - http://two.test/"));
    QVERIFY(Frame::urlItem(p.main(), 4)->isVisible());
    QCOMPARE(Frame::urlItem(p.main(), 4)->text(), QStringLiteral("Five && more"));
    QVERIFY(!Frame::urlItem(p.main(), 1)->isVisible());
    for (int s : {1, 3, 4, 6, 7, 8})
        QCOMPARE(p.state().Slots(s).closed, int16_t(-1));
    QCOMPARE(p.state().Slots(2).closed, int16_t(0));
    QCOMPARE(p.state().Slots(5).closed, int16_t(0));
    QVERIFY(p.state().Slots(5).url.isEmpty());
    QVERIFY(Frame::menu(p.main(), "mnuEdit")->menuAction()->isVisible());
    QVERIFY(Frame::menu(p.main(), "mnuView")->menuAction()->isVisible());
    QVERIFY(p.d.dialogs.shown.isEmpty());
}

void StartupTest::allAutoloadOffOpensSetUp()
{
    const QByteArray dat = Top8().slot(1, "http://a/", false).slot(3, "http://c/", false, "C");
    {
        TestProgram p;
        p.start(dat);
        QVERIFY(p.windows().isEmpty());
        QCOMPARE(p.d.dialogs.shown, QStringList{QStringLiteral("frmURLs")});
        QVERIFY(Frame::urlItem(p.main(), 0)->isVisible());
        QVERIFY(Frame::urlItem(p.main(), 2)->isVisible());
        QVERIFY(Frame::tabs(p.main())->isVisible()); // tabbed: shown without any tab text
        for (int i = 2; i <= 9; ++i)
            QVERIFY(Frame::tabs(p.main())->text(i).isEmpty());
        QVERIFY(!Frame::menu(p.main(), "mnuEdit")->menuAction()->isVisible());
    }
    {
        TestProgram p;
        p.start(dat, Ini::Cascade);
        QVERIFY(!Frame::tabs(p.main())->isVisible()); // cascade keeps the strip hidden
        QVERIFY(!Frame::item(p.main(), "mnuNavigationBar")->isVisible());
    }
}

void StartupTest::damagedRecordsAreSetAsideAndSalvaged()
{
    const QByteArray good = Top8::line(1, "http://a/", true, "A")
                            + Top8::line(3, "http://c/", false);
    const QList<QByteArray> damaged{good + Top8::line(9, "http://nine/"),
                                    good + "x,\"http://x/\",-1,\"\"\r\n",
                                    "\xEF\xBB\xBF" + good,
                                    Top8::line(1, "http://a/", true, "A") + "\r\n"
                                        + Top8::line(3, "http://c/", false)};
    for (const QByteArray &dat : damaged) {
        TestProgram p;
        QStringList rows;
        p.d.dialogs.script = [&](QDialog *dlg) {
            auto *setUp = qobject_cast<frmURLs *>(dlg);
            for (int i = 0; i < 8; ++i)
                rows << setUp->txtURL[i]->text() + (setUp->chkAutoLoad[i]->isChecked() ? "+" : "") + setUp->txtAlias[i]->text();
            return 0;
        };
        p.start(dat);
        QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs.")});
        QVERIFY(p.d.process.ends.isEmpty());
        QCOMPARE(p.state().FirstRun, int16_t(-1));
        QCOMPARE(rows, (QStringList{"http://a/+A", "+", "http://c/", "+", "+", "+", "+", "+"})); // new rows start ticked
        QFile kept(p.d.dataFile(QStringLiteral("velloran.dat.bad")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), dat);
        QVERIFY(!QFile::exists(p.d.dataFile(QStringLiteral("velloran.dat"))));
    }
}

void StartupTest::arrangements()
{
    const QByteArray dat = Top8().slot(3, "http://c/", true, "C").slot(6, "http://f/", true, "F").slot(7, "http://g/");
    {
        TestProgram p;
        p.start(dat, Ini::Tile);
        QCOMPARE(p.windows().size(), 3);
        QVERIFY(!Frame::tabs(p.main())->isVisible());
        QVERIFY(qobject_cast<frmHTMLBrowser *>(p.windows().first()));
        const QRect area = p.main()->mdiArea()->viewport()->rect();
        int y = 0;
        for (BrowserWindowBase *w : p.windows()) {
            QCOMPARE(w->geometry().x(), 0);
            QCOMPARE(w->geometry().width(), area.width());
            QCOMPARE(w->geometry().y(), y);
            y += w->geometry().height();
        }
        QCOMPARE(y, area.height());
    }
    {
        TestProgram p;
        p.start(dat, Ini::Cascade);
        const auto w = p.windows();
        QVERIFY(w[1]->geometry().topLeft().x() > w[0]->geometry().topLeft().x());
        QVERIFY(w[1]->geometry().topLeft().y() > w[0]->geometry().topLeft().y());
        // Each window keeps room for its page: at least half the frame either way.
        const QSize area = p.main()->mdiArea()->viewport()->size();
        for (BrowserWindowBase *win : w)
            QVERIFY(win->width() >= area.width() / 2 && win->height() >= area.height() / 2);
        QCOMPARE(p.main()->activeChild(), w.last());
        QVERIFY(Frame::item(p.main(), "mnuCascade")->isVisible());
    }
    {
        TestProgram p;
        p.start(dat);
        PanelBar *tabs = Frame::tabs(p.main());
        QVERIFY(tabs->isVisible());
        QCOMPARE(tabs->bevel(4), 1);
        QCOMPARE(tabs->text(4), QStringLiteral("C"));
        QCOMPARE(tabs->toolTip(4), QStringLiteral("http://c/"));
        QCOMPARE(tabs->tag(4).toInt(), 3);
        QCOMPARE(p.main()->activeChild()->tag(), QStringLiteral("3"));
        QVERIFY(!Frame::item(p.main(), "mnuCascade")->isVisible());
        QVERIFY(!Frame::item(p.main(), "mnuTile")->isVisible());
        QCOMPARE(p.state().CurrentSlot, int16_t(3));
    }
}

void StartupTest::tabLabelsOnSmallScreen()
{
    TestProgram p;
    p.d.screen.size = QSize(800, 600);
    p.start(Top8()
                .slot(1, "http://example.test/very/long/path/index.html")
                .slot(2, "http://b/", true, "An alias of 23 letters.")
                .slot(3, "http://c/"));
    QCOMPARE(p.state().TabTextLength, int16_t(14));
    QCOMPARE(Frame::tabs(p.main())->text(2), QStringLiteral("ath/index.html"));
    QCOMPARE(Frame::tabs(p.main())->text(3), QStringLiteral("An alias of 23"));
    QCOMPARE(Frame::tabs(p.main())->text(4), QStringLiteral("http://c/"));
}

void StartupTest::tabClicksAndCloseCell()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(3, "http://c/", true, "C").slot(5, "http://e/", true, "E"));
    MDIForm1 *m = p.main();
    PanelBar *tabs = Frame::tabs(m);
    m->StatusBarTabs_PanelClick(1); // the spacer: nothing
    m->StatusBarTabs_PanelClick(3); // slot 2 has no window: nothing
    QCOMPARE(m->activeChild()->tag(), QStringLiteral("1"));

    p.state().InTray = -1;
    const QString tipBefore = Frame::status(m)->text(2);
    QTest::mouseClick(tabs->cell(6), Qt::LeftButton);
    QCOMPARE(m->activeChild()->tag(), QStringLiteral("5"));
    QVERIFY(m->activeChild()->isVisible());
    for (int i = 2; i <= 9; ++i)
        QCOMPARE(tabs->bevel(i), i == 6 ? 1 : 2);
    QCOMPARE(p.state().CurrentSlot, int16_t(5));
    QCOMPARE(p.state().CurrentURL, QStringLiteral("http://e/"));
    QCOMPARE(p.state().InTray, int16_t(0));
    // Activation alternates the first two tips.
    QCOMPARE(Frame::status(m)->text(2), tipBefore == Tips::Tip1 ? Tips::Tip2 : Tips::Tip1);

    m->StatusBarTabs_PanelClick(10); // closes slot 5's window
    QCOMPARE(p.windows().size(), 2);
    QVERIFY(tabs->text(6).isEmpty());
    QVERIFY(tabs->toolTip(6).isEmpty());
    QCOMPARE(tabs->text(4), QStringLiteral("C"));
    QCOMPARE(tabs->text(10), QStringLiteral("X"));
    QCOMPARE(tabs->bevel(10), 2);
    QVERIFY(Frame::urlItem(m, 4)->isVisible());
    QCOMPARE(Frame::urlItem(m, 4)->text(), QStringLiteral("E"));

    m->StatusBarTabs_PanelClick(2);
    m->StatusBarTabs_PanelClick(10);
    m->StatusBarTabs_PanelClick(4);
    m->StatusBarTabs_PanelClick(10); // the last window
    QVERIFY(p.windows().isEmpty());
    QVERIFY(tabs->text(10).isEmpty());
    QCOMPARE(tabs->bevel(10), 0);
    QVERIFY(!Frame::menu(m, "mnuEdit")->menuAction()->isVisible());
    QVERIFY(!Frame::item(m, "mnuOpenInIE")->isVisible());
    m->StatusBarTabs_PanelClick(10); // blank now: nothing
    QVERIFY(p.d.messages.shown.isEmpty());

    // Reopening a slot from the File menu brings the close cell back.
    Frame::urlItem(m, 2)->trigger();
    QCOMPARE(p.windows().size(), 1);
    QCOMPARE(p.windows().first()->tag(), QStringLiteral("3"));
    QCOMPARE(tabs->text(10), QStringLiteral("X"));
    QCOMPARE(tabs->bevel(10), 2);
    QVERIFY(!Frame::urlItem(m, 2)->isVisible());
}

// The tab window's own close box, the current page after a close, and the last page
// closed while an information window is open.
void StartupTest::closingPagesAmongOtherWindows()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", false, "A").slot(2, "http://b/", true, "B").slot(3, "http://c/", true, "C"));
    MDIForm1 *m = p.main();
    QVERIFY(Frame::closeBox(m)->isVisible());
    m->StatusBarTabs_PanelClick(4);
    Frame::closeBox(m)->click(); // closes slot 3 as the X cell would
    QCOMPARE(p.windows().size(), 1);
    QVERIFY(Frame::tabs(m)->text(4).isEmpty());
    QCOMPARE(Frame::tabs(m)->text(10), QStringLiteral("X"));
    // Slot 1 is only listed on the File menu: the current page is slot 2's.
    QCOMPARE(p.state().CurrentSlot, int16_t(2));
    QCOMPARE(p.state().CurrentURL, QStringLiteral("http://b/"));

    Frame::item(m, "mnuScuts")->trigger();
    m->StatusBarTabs_PanelClick(3);
    Frame::closeBox(m)->click(); // the last page, with Keyboard Shortcuts still open
    QVERIFY(p.windows().isEmpty());
    QVERIFY(!Frame::menu(m, "mnuEdit")->menuAction()->isVisible() && !Frame::menu(m, "mnuView")->menuAction()->isVisible());
    QVERIFY(Frame::tabs(m)->text(10).isEmpty());
    QVERIFY(!Frame::closeBox(m)->isVisible());
    QVERIFY(p.d.messages.shown.isEmpty());

    TestProgram cascade;
    cascade.start(Top8().slot(1, "http://a/", true, "A"), Ini::Cascade);
    QVERIFY(!Frame::closeBox(cascade.main())->isVisible()); // framed windows have their own
}

void StartupTest::trayMenuStates()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A"));
    frmRightClick *h = p.host;
    QVERIFY(h->mnuRestore->isVisible() && h->mnuMinimize->isVisible() && h->mnuMaximize->isVisible());
    QVERIFY(!h->mnuMaximize->isEnabled()); // the main window starts maximized
    QVERIFY(!h->mnuSendToTray->isChecked());

    Frame::item(p.main(), "mnuSendToTray")->trigger(); // Ctrl+T
    QVERIFY(!p.main()->isVisible());
    QCOMPARE(p.state().InTray, int16_t(0));
    QVERIFY(h->mnuSendToTray->isChecked());
    QVERIFY(!h->mnuRestore->isVisible() && !h->mnuMinimize->isVisible() && !h->mnuMaximize->isVisible());
    QVERIFY(!h->sep0->isVisible());
    QVERIFY(h->sep1->isVisible() && h->mnuExit->isVisible());

    h->mnuSendToTray->trigger(); // from the tray menu, checked: back
    QVERIFY(p.main()->isVisible());
    QVERIFY(!h->mnuSendToTray->isChecked());
    QVERIFY(h->mnuRestore->isVisible() && h->sep0->isVisible());

    // A browser window's toolbar button hides too, and marks the program as in the tray.
    p.windows().first()->Toolbar1_ButtonClick(BrowserWindowBase::BtnSendToTray);
    QVERIFY(!p.main()->isVisible());
    QCOMPARE(p.state().InTray, int16_t(-1));
    h->onLeftDoubleClick(); // double-click while in the tray brings it back
    QVERIFY(p.main()->isVisible());
    QVERIFY(!h->mnuSendToTray->isChecked());

    h->onLeftDoubleClick(); // shown: restores to normal size
    QVERIFY(!p.main()->isMaximized());
    QVERIFY(!h->mnuRestore->isEnabled());

    h->mnuExit->trigger();
    QCOMPARE(p.d.process.ends, QList<int>{0});
    QVERIFY(!h->taskBar()->iconVisible());
}

void StartupTest::rightClickDismissalMaximizes()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A"));
    frmRightClick *h = p.host;
    p.main()->showMinimized();
    p.state().InTray = 0;
    h->onRightButtonUp(); // dismissed
    QCOMPARE(p.state().InTray, int16_t(-1));
    QCOMPARE(p.d.menus.shown, QStringList{QStringLiteral("mnuPopup")});
    QVERIFY(p.main()->isMaximized());

    // Choosing Minimize keeps it minimized; the next dismissal maximizes again.
    p.d.menus.choose = [h](QMenu *) { return h->mnuMinimize; };
    h->onRightButtonUp();
    QVERIFY(p.main()->isMinimized());
    QCOMPARE(h->MinimizedFromTrayMenu, int16_t(0));
    p.d.menus.choose = nullptr;
    h->onRightButtonUp();
    QVERIFY(p.main()->isMaximized());
}

void StartupTest::timerTicks()
{
    auto reloads = [](TestProgram &p) {
        int n = 0;
        for (BrowserWindowBase *w : p.windows())
            n += p.page(w)->count(QStringLiteral("Refresh"));
        return n;
    };
    const QByteArray dat = Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B");
    {
        TestProgram p;
        p.start(dat, "0,-1,1,0,0,-1\r\n");
        Frame::status(p.main())->setText(2, MDIForm1::StartTip);
        QStringList tips;
        for (int i = 1; i <= 4; ++i) {
            p.main()->Timer1_Timer();
            tips << Frame::status(p.main())->text(2);
            QCOMPARE(reloads(p), 2 * i); // every page, every tick (hidden tabs too)
        }
        QCOMPARE(tips, (QStringList{Tips::Tip1, Tips::Tip2, Tips::Tip3, Tips::Tip1}));
    }
    {
        TestProgram p;
        p.start(dat, "0,-1,5,0,0,-1\r\n");
        QList<int> at;
        for (int minute = 1; minute <= 15; ++minute) {
            const int before = reloads(p);
            p.main()->Timer1_Timer();
            if (reloads(p) > before)
                at << minute;
        }
        QCOMPARE(at, (QList<int>{5, 10, 15}));
    }
    {
        TestProgram p;
        p.start(dat);
        for (int i = 0; i < 3; ++i)
            p.main()->Timer1_Timer();
        QCOMPARE(reloads(p), 0);
        QCOMPARE(p.main()->MinutesElapsed, int16_t(3));
        // Switched on (or lowered) below the minutes already counted: the next tick reloads.
        p.state().RefreshEvery = -1;
        p.state().RefreshMinutes = 2;
        p.main()->Timer1_Timer();
        QCOMPARE(reloads(p), 2);
        QCOMPARE(p.main()->MinutesElapsed, int16_t(0));
        p.main()->MinutesElapsed = 32767;
        p.main()->Timer1_Timer(); // comes round to 0 instead of overflowing
        QCOMPARE(p.main()->MinutesElapsed, int16_t(0));
        p.main()->Timer1_Timer();
        p.main()->Timer1_Timer();
        QCOMPARE(reloads(p), 4);
        QVERIFY(p.d.messages.shown.isEmpty());
    }
}

void StartupTest::browserWindowEvents()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B"));
    BrowserWindowBase *w = p.main()->activeChild();
    FakeBrowser *b = p.page(w);
    emit b->BeforeNavigate2();
    QVERIFY(w->Toolbar1->buttonEnabled(7));
    emit b->DownloadBegin();
    b->url = QStringLiteral("http://a/x");
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral(" Downloading http://a/ ..."));
    b->title = QStringLiteral("Page A");
    emit b->DownloadComplete();
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral("Page A "));
    QVERIFY(!w->Toolbar1->buttonEnabled(7));
    emit b->CommandStateChange(2, true);
    QVERIFY(w->Toolbar1->buttonEnabled(5));
    emit b->CommandStateChange(3, true);
    QVERIFY(!w->Toolbar1->buttonEnabled(6));
    // The other (hidden) window's download does not write the status bar.
    FakeBrowser *other = p.page(p.windows().last());
    other->title = QStringLiteral("Page B");
    emit other->DownloadComplete();
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral("Page A "));
    // Back with no history passes silently; a toolbar click always disables Stop.
    emit b->BeforeNavigate2();
    w->Toolbar1_ButtonClick(BrowserWindowBase::BtnBack);
    w->Toolbar1_ButtonClick(19);
    QVERIFY(!w->Toolbar1->buttonEnabled(7));
    QVERIFY(p.d.messages.shown.isEmpty());
    // A non-negative failure shows the navigation message.
    b->failures.insert(QStringLiteral("GoBack"), 5);
    w->Toolbar1_ButtonClick(BrowserWindowBase::BtnBack);
    QCOMPARE(p.d.messages.texts().last(), QStringLiteral("Error 5. Navigation Error. Try again."));
    w->Toolbar1_ButtonClick(BrowserWindowBase::BtnHome);
    QCOMPARE(b->calls.last(), QStringLiteral("Navigate http://a/"));
    emit b->GotFocus();
    QCOMPARE(p.state().CurrentSlot, int16_t(1));
}

void StartupTest::secondInstanceEndsSilently()
{
    TestProgram first;
    first.start(Top8().slot(1, "http://a/", true, "A"));
    AppContext second;
    FakeProcess process;
    second.process = &process;
    second.dataFolder = first.d.dataDir.path();
    auto *host = new frmRightClick(second);
    host->Form_Load();
    QCOMPARE(process.ends, QList<int>{0});
    QVERIFY(!host->mainWindow());
    delete host;
    QVERIFY(first.d.process.ends.isEmpty());
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
