// Keeping pages fresh: the timer's ticks, and reloads that never cost the person their
// typing or their page (an unreachable site, a dead renderer), over thirty days.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "browser/PageKeeper.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "mainwindow/MDIForm1.h"
#include "mainwindow/SiteWatch.h"
#include "mainwindow/TabStrip.h"
#include "mainwindow/Tips.h"
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include "setup/frmURLs.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

// The first `filled` slots load at start as "Site N" on <scheme>://siteN.test/.
QByteArray sites(int filled, const QString &scheme = QStringLiteral("http"))
{
    Top8 dat;
    for (int s = 1; s <= filled; ++s)
        dat.slot(s, QStringLiteral("%1://site%2.test/").arg(scheme).arg(s), true, QStringLiteral("Site %1").arg(s));
    return dat;
}

const QString kTypingNote = QStringLiteral(" Not reloaded: \"Site 2\" holds changes you have not sent.");

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLong() * 4;
}

} // namespace

class RefreshTest : public QObject
{
    Q_OBJECT
private slots:
    void timerTicks();
    void typingIsNeverReloadedAway();
    void unreachableSiteKeepsThePage();
    void pagesHealAfterTheirRendererDies();
    void thirtyDaysOfTicks();
    void skippedPageKeepsItsNote();
    void fullScreenPageHasTheSameGuards();
    void sitesKeepTheirOwnRhythmAndSayWhatChanged();
};

void RefreshTest::timerTicks()
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

void RefreshTest::typingIsNeverReloadedAway()
{
    TestProgram p;
    p.start(sites(2), "-1,-1,1,0,0,-1\r\n");
    BrowserWindowBase *typing = p.windows().first();
    BrowserWindowBase *other = p.windows().last();
    FakeBrowser *b = TestProgram::page(typing);
    b->editing = true;
    const int before = b->count(QStringLiteral("Refresh"));
    const int otherBefore = TestProgram::page(other)->count(QStringLiteral("Refresh"));
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), before);
    QCOMPARE(TestProgram::page(other)->count(QStringLiteral("Refresh")), otherBefore + 1);
    QVERIFY(typing->reloadPending());
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral(" Not reloaded: \"Site 1\" holds changes you have not sent."));

    // Activation with refresh-on-activate respects the typing too.
    p.main()->StatusBarTabs_PanelClick(3);
    p.main()->StatusBarTabs_PanelClick(2);
    QCOMPARE(b->count(QStringLiteral("Refresh")), before);

    // Once the edits are gone, the next tick reloads it.
    b->editing = false;
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), before + 1);
    QVERIFY(!typing->reloadPending());
}

void RefreshTest::unreachableSiteKeepsThePage()
{
    TestProgram p;
    p.start(sites(1), "0,-1,2,0,0,-1\r\n");
    BrowserWindowBase *w = p.windows().first();
    FakeBrowser *b = TestProgram::page(w);
    p.d.probe.answers = false;
    p.main()->Timer1_Timer();
    QCOMPARE(p.d.probe.probed.size(), 0); // not due yet: nothing asked
    p.main()->Timer1_Timer();
    QCOMPARE(p.d.probe.probed, QList<QUrl>{QUrl(QStringLiteral("http://site1.test/"))});
    QCOMPARE(b->count(QStringLiteral("Refresh")), 0);
    QVERIFY(w->reloadPending());
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral(" Not refreshed: site1.test is not answering; the page shown is kept."));
    p.main()->Timer1_Timer(); // still down: tried again, still kept
    QCOMPARE(p.d.probe.probed.size(), 2);
    QCOMPARE(b->count(QStringLiteral("Refresh")), 0);
    p.d.probe.answers = true;
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), 1);
    QVERIFY(!w->reloadPending());

    // Local pages need no probe.
    TestProgram local;
    local.start(sites(1, QStringLiteral("file")), "0,-1,1,0,0,-1\r\n");
    local.d.probe.answers = false;
    local.main()->Timer1_Timer();
    QVERIFY(local.d.probe.probed.isEmpty());
    QCOMPARE(TestProgram::page(local.windows().first())->count(QStringLiteral("Refresh")), 1);
}

void RefreshTest::pagesHealAfterTheirRendererDies()
{
    TestProgram p;
    p.start(sites(2));
    BrowserWindowBase *w = p.windows().first();
    FakeBrowser *b = TestProgram::page(w);
    FakeBrowser *other = TestProgram::page(p.windows().last());
    emit b->RendererCrashed();
    QVERIFY(w->crashNotice()->isVisible());
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral(" \"Site 1\" stopped working; reloading it."));
    QTRY_COMPARE_WITH_TIMEOUT(b->count(QStringLiteral("Refresh")), 1, 10000);
    emit b->DownloadComplete();
    QVERIFY(!w->crashNotice()->isVisible());
    QCOMPARE(other->count(QStringLiteral("Refresh")), 0);

    emit b->RendererCrashed();
    emit b->RendererCrashed();
    QTRY_COMPARE_WITH_TIMEOUT(b->count(QStringLiteral("Refresh")), 3, 10000);
    QCOMPARE(w->recentCrashes(), 3);
    emit b->RendererCrashed(); // the fourth in a minute is left to the user
    QTest::qWait(2000);
    QCOMPARE(b->count(QStringLiteral("Refresh")), 3);
    QVERIFY(w->crashNotice()->text().contains(QStringLiteral("keeps stopping")));
    QVERIFY(p.d.messages.shown.isEmpty());
}

void RefreshTest::thirtyDaysOfTicks()
{
    TestProgram p;
    p.start(sites(8), "0,-1,7,0,0,-1\r\n");
    QCOMPARE(p.windows().size(), 8);
    QList<int> reloads(8, 0);
    auto countAndForget = [&] {
        const auto ws = p.windows();
        for (int i = 0; i < ws.size(); ++i) {
            FakeBrowser *b = TestProgram::page(ws[i]);
            reloads[i] += b->count(QStringLiteral("Refresh"));
            b->calls.clear();
        }
        p.d.probe.probed.clear(); // the fake's own record is not the program's memory
    };
    countAndForget();
    reloads.fill(0);
    long rssAtDay1 = 0;
    QString lastTip = Frame::status(p.main())->text(2);
    const int ticks = 30 * 24 * 60;
    for (int minute = 1; minute <= ticks; ++minute) {
        p.main()->Timer1_Timer();
        const QString tip = Frame::status(p.main())->text(2);
        QVERIFY(tip != lastTip);
        lastTip = tip;
        if (minute % 1440 == 0) {
            countAndForget();
            if (minute == 1440)
                rssAtDay1 = residentKiB();
        }
    }
    for (int r : reloads)
        QCOMPARE(r, ticks / 7);
    QCOMPARE(p.main()->MinutesElapsed, int16_t(ticks % 7));
    QVERIFY(p.d.messages.shown.isEmpty());
    const long growth = residentKiB() - rssAtDay1;
    qInfo("resident memory after day 1: %ld KiB, growth to day 30: %ld KiB", rssAtDay1, growth);
    QVERIFY2(growth < 4096, qPrintable(QStringLiteral("grew by %1 KiB").arg(growth)));
}

// A page skipped in the background keeps its note until it is reloaded, shown
// whenever its window comes to the front.
void RefreshTest::skippedPageKeepsItsNote()
{
    TestProgram p;
    p.start(sites(2), "0,-1,1,0,0,-1\r\n");
    FakeBrowser *second = TestProgram::page(p.windows().last());
    second->editing = true;
    TestProgram::page(p.windows().first())->title = QStringLiteral("Front page");
    p.main()->Timer1_Timer();
    emit TestProgram::page(p.windows().first())->DownloadComplete();
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral("Front page "));
    p.main()->StatusBarTabs_PanelClick(3);
    QCOMPARE(Frame::status(p.main())->text(1), kTypingNote);
    emit second->DownloadComplete(); // the person's own navigation in it
    QCOMPARE(Frame::status(p.main())->text(1), kTypingNote);
    second->editing = false;
    p.main()->Timer1_Timer();
    p.main()->StatusBarTabs_PanelClick(2);
    p.main()->StatusBarTabs_PanelClick(3);
    QVERIFY(Frame::status(p.main())->text(1) != kTypingNote);
}

// The full-screen page: the person's typing, a site that does not answer and a dead
// renderer are handled as in the framed windows.
void RefreshTest::fullScreenPageHasTheSameGuards()
{
    TestProgram p;
    p.start(sites(2), "0,-1,1,0,0,-1\r\n");
    p.main()->StatusBarTabs_PanelClick(3);
    Frame::item(p.main(), "mnuFullScreen")->trigger();
    frmHTMLBrowserFullScreen *fs = p.main()->fullScreenWindow();
    QVERIFY(fs);
    FakeBrowser *b = qobject_cast<FakeBrowser *>(fs->WebBrowser1);
    b->url = QStringLiteral("http://site2.test/");
    b->editing = true;
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), 0);
    QVERIFY(fs->reloadPending());
    QCOMPARE(fs->lblNote->text(), kTypingNote.trimmed());

    b->editing = false;
    p.d.probe.answers = false;
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), 0);
    QVERIFY(fs->lblNote->text().startsWith(QStringLiteral("Not refreshed: site2.test")));
    p.d.probe.answers = true;
    p.main()->Timer1_Timer();
    QCOMPARE(b->count(QStringLiteral("Refresh")), 1);
    emit b->DownloadComplete();
    QVERIFY(fs->lblNote->text().isEmpty());

    emit b->RendererCrashed();
    QVERIFY(fs->keeper()->crashNotice()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(b->count(QStringLiteral("Refresh")), 2, 10000);
    delete fs;
}

QTEST_MAIN(RefreshTest)
#include "tst_refresh.moc"

// Sites with a rhythm of their own: a quick one, one left alone while in use, one only
// at weekends; then what their reloads brought, marked until the person looks.
void RefreshTest::sitesKeepTheirOwnRhythmAndSayWhatChanged()
{
    TestProgram p;
    const qint64 second = p.d.ctx->minuteMs / 60;
    SiteOptions quick, careful, weekend;
    quick.intervalSeconds = 10;
    careful.intervalSeconds = 30;
    careful.notWhileUsed = careful.notifyOnChange = true;
    weekend.intervalSeconds = 10;
    weekend.hours = {0b1100000, 0, 0};
    weekend.ignoreNumbers = true;
    p.d.sites->setOptions(QStringLiteral("http://site1.test/"), quick);
    p.d.sites->setOptions(QStringLiteral("http://site2.test/"), careful);
    p.d.sites->setOptions(QStringLiteral("http://site3.test/"), weekend);
    QString trayTip;
    p.d.ctx->trayTip = [&](const QString &tip) { trayTip = tip; };
    p.start(sites(3)); // timed refresh off for all sites
    auto reloads = [&](int slot) { return TestProgram::page(p.window(slot))->count(QStringLiteral("Refresh")); };
    auto runFor = [&](int seconds) {
        for (int i = 0; i < seconds; ++i) {
            p.d.clockMs += second;
            p.main()->siteWatch()->poll();
        }
    };
    p.main()->showSlot(2);
    runFor(25);
    QTest::keyClick(TestProgram::page(p.window(2)), Qt::Key_A); // the person is at it
    runFor(10);
    QCOMPARE((QList<int>{reloads(1), reloads(2), reloads(3)}), (QList<int>{3, 0, 0}));
    runFor(25); // left alone for thirty seconds: now, and its rhythm starts again from there
    QCOMPARE((QList<int>{reloads(1), reloads(2), reloads(3)}), (QList<int>{6, 1, 0}));
    PanelBar *tabs = Frame::tabs(p.main());
    QVERIFY(tabs->toolTip(TabStrip::cellOf(3)).endsWith(QStringLiteral("next at Sat 00:00")));

    // Slot 2 out of sight changes; slot 3 only in its digits, which it ignores.
    p.main()->showSlot(1);
    for (int slot : {2, 3}) {
        FakeBrowser *b = TestProgram::page(p.window(slot));
        b->text = QStringLiteral("Opening hours 10:41");
        b->finishLoad(QStringLiteral("Page"));
        b->text = slot == 2 ? QStringLiteral("Closed today 10:41") : QStringLiteral("Opening hours 10:42");
        b->finishLoad(QStringLiteral("Page"));
    }
    SiteWatch *watch = p.main()->siteWatch();
    QVERIFY(watch->changed(2) && !watch->changed(3));
    QVERIFY(tabs->cell(TabStrip::cellOf(2))->accessibleName().endsWith(QStringLiteral(", changed")));
    QCOMPARE(trayTip, QStringLiteral("Velloran - 1 page changed"));
    emit Frame::menu(p.main(), "mnuWindows")->aboutToShow();
    const QList<QAction *> listed = Frame::menu(p.main(), "mnuWindows")->actions();
    QCOMPARE(std::count_if(listed.cbegin(), listed.cend(), [](QAction *a) { return a->text().endsWith(QStringLiteral("\u2022 changed")); }), 1);
    QCOMPARE(p.d.notices.size(), 1); // once per change, however many reloads follow
    TestProgram::page(p.window(2))->finishLoad(QStringLiteral("Page"));
    QCOMPARE(p.d.notices.size(), 1);

    // A count leading the title is the tab's badge.
    emit TestProgram::page(p.window(3))->titleChanged(QStringLiteral("(3) Inbox"));
    QCOMPARE(tabs->cellBadge(TabStrip::cellOf(3)), QStringLiteral("3"));
    QVERIFY(tabs->cell(TabStrip::cellOf(3))->accessibleName().endsWith(QStringLiteral(", 3 new")));
    emit TestProgram::page(p.window(3))->titleChanged(QStringLiteral("Inbox"));
    QVERIFY(tabs->cellBadge(TabStrip::cellOf(3)).isEmpty());

    // Clicking the notification shows the page; looking at it clears the mark.
    p.d.notices.first().clicked();
    QCOMPARE(p.main()->activeChild(), p.window(2));
    watch->looked(2);
    QVERIFY(!watch->changed(2));
    QCOMPARE(trayTip, QStringLiteral("Velloran"));
    QVERIFY(!tabs->cell(TabStrip::cellOf(2))->accessibleName().contains(QStringLiteral("changed")));
}
