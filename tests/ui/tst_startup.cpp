// Start-up of the whole program on the real widgets with fake pages: the data file's
// records become windows, menu items and tabs, or lead into Set Up.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "mainwindow/MDIForm1.h"
#include "mainwindow/Tips.h"
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include "setup/frmURLs.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
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
    const QList<QByteArray> damaged{good + Top8::line(9, "http://nine/"), good + Top8::line(0, "http://zero/"),
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
    {
        // Selecting a tab raises every other, the eighth among them.
        TestProgram p;
        p.start(Top8().slot(1, "http://a/", true, "A").slot(8, "http://h/", true, "H"));
        PanelBar *tabs = Frame::tabs(p.main());
        p.main()->StatusBarTabs_PanelClick(9);
        QCOMPARE(tabs->bevel(9), 1);
        p.main()->StatusBarTabs_PanelClick(2);
        for (int cell = 2; cell <= 9; ++cell)
            QCOMPARE(tabs->bevel(cell), cell == 2 ? 1 : 2);
    }
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
