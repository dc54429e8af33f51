// Wall mode in a whole program with fake pages: the turns and who takes them, the pause
// on input and the idle minute, the way back with every page in its window, the
// screen saver held off through a recording fake, and the ways in.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/CommandLine.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "engine/SiteSettings.h"
#include "fullscreen/WallMode.h"
#include "mainwindow/MDIForm1.h"
#include "platform/ScreenSaverInhibitor.h"
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QPointer>
#include <QtTest>

namespace {

const QByteArray kABCD = Top8()
                             .slot(1, "http://a/", true, "A")
                             .slot(2, "http://b/", true, "B")
                             .slot(3, "http://c/", true, "C")
                             .slot(4, "http://d/", true, "D");

// Every call the wall makes to the screen saver, in order.
QStringList saverCalls;

class RecordingInhibitor : public ScreenSaverInhibitor
{
public:
    void inhibit(const QString &) override { saverCalls << QStringLiteral("inhibit"); }
    void uninhibit() override { saverCalls << QStringLiteral("uninhibit"); }
};

void setOption(TestProgram &p, const QString &url, const std::function<void(SiteOptions &)> &change)
{
    SiteOptions o = p.d.sites->options(url);
    change(o);
    QVERIFY(p.d.sites->setOptions(url, o));
}

// The program on four pages, in wall mode from the View menu; the page to draw is
// taken as drawn at once.
WallMode *startWall(TestProgram &p)
{
    saverCalls.clear();
    ScreenSaverInhibitor::maker() = [] { return std::make_unique<RecordingInhibitor>(); };
    if (!p.main())
        p.start(kABCD);
    Frame::item(p.main(), "mnuWallMode")->trigger();
    WallMode *wall = p.main()->wallMode();
    if (wall)
        wall->settleMs = 0;
    return wall;
}

// Each turn's page, from the dark page at the start on.
QList<int> turns(WallMode *wall, int count)
{
    QList<int> shown;
    for (int i = 0; i < count; ++i) {
        wall->prepareNext();
        wall->turnEnded();
        shown << wall->currentSlot();
    }
    return shown;
}

bool inWall(TestProgram &p, int slot)
{
    return p.main()->wallMode()->isAncestorOf(p.window(slot)->WebBrowser1);
}

void moveMouse(QWidget *w, QPoint global)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(global), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

QPushButton *barButton(WallMode *wall, const char *name)
{
    auto *b = wall->findChild<QPushButton *>(QString::fromLatin1(name));
    if (!b)
        qFatal("the wall has no %s", name);
    return b;
}

} // namespace

class WallTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void turnsInSlotOrderLeavingOutDwellZero();
    void outsideTheirHoursTheDarkPageNamesTheNextTime();
    void inputPausesUntilAMinuteWithoutIt_data();
    void inputPausesUntilAMinuteWithoutIt();
    void barButtons();
    void escAndF11GiveThePagesBack_data();
    void escAndF11GiveThePagesBack();
    void trayMenuAndCommandLine();
};

void WallTest::cleanup()
{
    ScreenSaverInhibitor::maker() = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<WallMode *>(w))
            delete w;
}

void WallTest::turnsInSlotOrderLeavingOutDwellZero()
{
    TestProgram p;
    setOption(p, QStringLiteral("http://b/"), [](SiteOptions &o) { o.dwellSeconds = 0; });
    setOption(p, QStringLiteral("http://d/"), [](SiteOptions &o) { o.dwellSeconds = 90; });
    p.start(kABCD);
    p.main()->StatusBarTabs_PanelClick(3 + 1);
    WallMode *wall = startWall(p);
    QVERIFY(wall && wall->isVisible() && !p.main()->isVisible());
    QCOMPARE(saverCalls, QStringList{QStringLiteral("inhibit")});
    QCOMPARE(wall->rotation(), (QList<int>{1, 3, 4}));
    // A minute of the refresh timer's scale: tests shorten both alike.
    QCOMPARE(wall->dwellMs(1), 30 * p.d.ctx->minuteMs / 60);
    QCOMPARE(wall->dwellMs(4), 90 * p.d.ctx->minuteMs / 60);
    QCOMPARE(wall->dwellMs(2), 0);
    // The dark page first, the current page laid under it; then the turns in slot order.
    QCOMPARE(wall->currentSlot(), 0);
    QCOMPARE(wall->preparedSlot(), 3);
    QCOMPARE(turns(wall, 5), (QList<int>{3, 4, 1, 3, 4}));
    QVERIFY(inWall(p, 1) && inWall(p, 3) && inWall(p, 4) && !inWall(p, 2));
    // The next page lies visible under the one shown before its turn; the rest are hidden.
    wall->prepareNext();
    QCOMPARE(wall->preparedSlot(), 1);
    QVERIFY(p.window(1)->WebBrowser1->isVisible() && p.window(4)->WebBrowser1->isVisible());
    QVERIFY(!p.window(3)->WebBrowser1->isVisible());
    // A page whose load is under way at the end of the turn waits; its load's end lets it on.
    FakeBrowser *a = TestProgram::page(p.window(1));
    a->Refresh();
    emit a->BeforeNavigate2();
    wall->turnEnded();
    QCOMPARE(wall->currentSlot(), 4);
    a->finishLoad(QStringLiteral("A"));
    QTRY_COMPARE(wall->currentSlot(), 1);
}

void WallTest::outsideTheirHoursTheDarkPageNamesTheNextTime()
{
    TestProgram p;
    // Monday 09:00 on the fake clock: A's hours start at 10:00, C's on Wednesday.
    setOption(p, QStringLiteral("http://a/"), [](SiteOptions &o) { o.hours = {0b0011111, 10 * 60, 18 * 60}; });
    setOption(p, QStringLiteral("http://c/"), [](SiteOptions &o) { o.hours = {0b0000100, 7 * 60, 8 * 60}; });
    for (const char *url : {"http://b/", "http://d/"})
        setOption(p, QString::fromLatin1(url), [](SiteOptions &o) { o.dwellSeconds = 0; });
    WallMode *wall = startWall(p);
    QVERIFY(wall->rotation().isEmpty());
    wall->turnEnded();
    QCOMPARE(wall->currentSlot(), 0);
    QCOMPARE(wall->restText(), QStringLiteral("Next page at 10:00 today"));
    QVERIFY(wall->findChild<QLabel *>(QStringLiteral("wallRest"))->isVisible());
    p.d.localTime = QDateTime(QDate(2026, 12, 7), QTime(19, 0));
    QCOMPARE(wall->restText(), QStringLiteral("Next page at 10:00 tomorrow"));
    p.d.localTime = QDateTime(QDate(2026, 12, 11), QTime(19, 0)); // Friday evening
    QCOMPARE(wall->restText(), QStringLiteral("Next page at 10:00 on Monday"));
    // Once inside its hours, the page comes back.
    p.d.localTime = QDateTime(QDate(2026, 12, 14), QTime(10, 30));
    QCOMPARE(turns(wall, 2), (QList<int>{1, 1}));
}

void WallTest::inputPausesUntilAMinuteWithoutIt_data()
{
    QTest::addColumn<bool>("key");
    QTest::newRow("key") << true;
    QTest::newRow("mouse") << false;
}

void WallTest::inputPausesUntilAMinuteWithoutIt()
{
    QFETCH(bool, key);
    TestProgram p;
    WallMode *wall = startWall(p);
    QCOMPARE(turns(wall, 1), QList<int>{1});
    // The pointer's first report only says where it rests.
    moveMouse(wall, {100, 100});
    QVERIFY(!wall->paused());
    if (key)
        QTest::keyClick(wall, Qt::Key_A);
    else
        moveMouse(wall, {140, 100});
    QVERIFY(wall->paused() && wall->barShown());
    QCOMPARE(wall->findChild<QLabel *>(QStringLiteral("lblPage"))->text(), QStringLiteral("1. A  (paused)"));
    QCOMPARE(barButton(wall, "cmdPause")->text(), QStringLiteral("Play"));
    QCOMPARE(turns(wall, 2), (QList<int>{1, 1}));
    wall->idleMinutePassed();
    QVERIFY(!wall->paused() && !wall->barShown());
    QCOMPARE(turns(wall, 1), QList<int>{2});
}

void WallTest::barButtons()
{
    TestProgram p;
    WallMode *wall = startWall(p);
    QCOMPARE(turns(wall, 1), QList<int>{1});
    QTest::keyClick(wall, Qt::Key_Space);
    QCOMPARE(wall->focusWidget(), barButton(wall, "cmdPause"));
    for (const char *name : {"cmdPrevious", "cmdPause", "cmdNext", "chkProgress", "cmdLeave"})
        QVERIFY(!barButton(wall, name)->accessibleName().isEmpty());
    QCOMPARE(barButton(wall, "cmdLeave")->text(), QStringLiteral("Leave Wall Mode"));
    barButton(wall, "cmdPrevious")->click();
    QCOMPARE(wall->currentSlot(), 4);
    barButton(wall, "cmdNext")->click();
    barButton(wall, "cmdNext")->click();
    QCOMPARE(wall->currentSlot(), 2);
    QVERIFY(wall->paused()); // moving by hand keeps the pause
    barButton(wall, "cmdPause")->click();
    QVERIFY(!wall->paused() && wall->barShown());
    QCOMPARE(turns(wall, 1), QList<int>{3});
    QVERIFY(wall->progressLineShown());
    barButton(wall, "chkProgress")->click();
    QVERIFY(!wall->progressLineShown());
    barButton(wall, "cmdLeave")->click();
    QVERIFY(!p.main()->wallMode() && p.main()->isVisible());
}

void WallTest::escAndF11GiveThePagesBack_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("F11") << int(Qt::Key_F11);
}

void WallTest::escAndF11GiveThePagesBack()
{
    QFETCH(int, key);
    TestProgram p;
    p.start(kABCD);
    p.main()->StatusBarTabs_PanelClick(2 + 1);
    QMap<int, QRect> before;
    for (BrowserWindowBase *w : p.windows())
        before.insert(w->slot(), w->WebBrowser1->geometry());
    QPointer<WallMode> wall = startWall(p);
    turns(wall, 3);
    QTest::keyClick(wall, Qt::Key(key));
    QTRY_VERIFY(!p.main()->wallMode());
    QVERIFY(p.main()->isVisible() && (!wall || !wall->isVisible())); // it goes once it has ended
    QCOMPARE(saverCalls, (QStringList{QStringLiteral("inhibit"), QStringLiteral("uninhibit")}));
    QCOMPARE(p.main()->activeChild(), p.window(2));
    for (BrowserWindowBase *w : p.windows()) {
        QVERIFY(w->isAncestorOf(w->WebBrowser1));
        QCOMPARE(w->WebBrowser1->minimumSize(), QSize(0, 0));
    }
    // The page in front is laid out as before; those behind are when they come forward.
    QCOMPARE(p.window(2)->WebBrowser1->geometry(), before.value(2));
    // A window closed while its page is on the wall takes the page with it; the program
    // ending with the wall up lets the screen saver go and the other pages home.
    wall = startWall(p);
    turns(wall, 2);
    QPointer<BrowserControl> b = p.window(2)->WebBrowser1;
    p.main()->closeSlot(2);
    QTRY_VERIFY(!b);
    QCOMPARE(wall->rotation(), (QList<int>{1, 3, 4}));
    delete wall;
    QCOMPARE(saverCalls, (QStringList{QStringLiteral("inhibit"), QStringLiteral("uninhibit")}));
    QVERIFY(p.window(1)->isAncestorOf(p.window(1)->WebBrowser1));
}

void WallTest::trayMenuAndCommandLine()
{
    saverCalls.clear();
    ScreenSaverInhibitor::maker() = [] { return std::make_unique<RecordingInhibitor>(); };
    QCOMPARE(CommandLine::run({QStringLiteral("velloran"), QStringLiteral("--wall")}), CommandLine::StartProgram);
    QVERIFY(CommandLine::startsInWall());
    {
        TestProgram p;
        p.start(kABCD);
        QVERIFY(p.main()->wallMode() && !p.main()->isVisible());
        emit p.host->mnuPopup->aboutToShow();
        QVERIFY(p.host->mnuWallMode->isChecked());
        p.host->mnuWallMode->trigger();
        QVERIFY(!p.main()->wallMode() && p.main()->isVisible());
        QVERIFY(!p.host->mnuWallMode->isChecked());
    }
    QCOMPARE(CommandLine::run({QStringLiteral("velloran")}), CommandLine::StartProgram);
    QVERIFY(!CommandLine::startsInWall());
    TestProgram p;
    p.start(kABCD);
    QVERIFY(!p.main()->wallMode());
    p.host->mnuWallMode->trigger();
    QVERIFY(p.main()->wallMode());
    // Restore on the tray menu brings the main window back from the wall first.
    p.host->mnuRestore_Click();
    QVERIFY(!p.main()->wallMode() && p.main()->isVisible());
    // Sent to the tray, the menu holds no Wall Mode.
    p.host->mnuSendToTray_Click();
    QVERIFY(!p.host->mnuWallMode->isVisible());
}

QTEST_MAIN(WallTest)
#include "tst_wall.moc"
