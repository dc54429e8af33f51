// The page windows in the frame: the tab strip's labels, clicks and close cell, closing
// pages among other windows, and a page window's own events.
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

class TabsTest : public QObject
{
    Q_OBJECT
private slots:
    void tabLabelsOnSmallScreen();
    void tabClicksAndCloseCell();
    void closingPagesAmongOtherWindows();
    void browserWindowEvents();
    void clickOnTheTabInFront();
    void closingTheTabInFront();
    void closeBoxAfterSetUpReopens();
    void frameEndsDeaf();
};

void TabsTest::tabLabelsOnSmallScreen()
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

void TabsTest::tabClicksAndCloseCell()
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
void TabsTest::closingPagesAmongOtherWindows()
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

void TabsTest::browserWindowEvents()
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
    // Moved off its slot's own site, the page's title comes after the host it is on now.
    b->url = QStringLiteral("https://bank.example:8443/login");
    b->title = QStringLiteral("A - Sign in");
    emit b->DownloadComplete();
    QCOMPARE(Frame::status(p.main())->text(1), QStringLiteral("bank.example:8443 \u2013 A - Sign in "));
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

// Shown again, the page in front is activated again: a reload with On Active, the tip;
// from its tab and from its entry on the Window menu.
void TabsTest::clickOnTheTabInFront()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B"), "-1,0,1,0,0,-1\r\n");
    MDIForm1 *m = p.main();
    BrowserWindowBase *front = m->activeChild();
    FakeBrowser *b = p.page(front);
    int reloads = b->count(QStringLiteral("Refresh"));
    for (const char *how : {"tab", "window menu"}) {
        const QString tip = Frame::status(m)->text(2);
        if (QByteArray(how) == "tab") {
            m->StatusBarTabs_PanelClick(2);
        } else {
            emit Frame::menu(m, "mnuWindows")->aboutToShow();
            for (QAction *a : Frame::menu(m, "mnuWindows")->actions())
                if (a->property("windowListItem").toBool() && a->isChecked())
                    a->trigger();
        }
        QCOMPARE(m->activeChild(), front);
        QVERIFY(front->isVisible());
        QCOMPARE(b->count(QStringLiteral("Refresh")), ++reloads);
        QVERIFY(Frame::status(m)->text(2) != tip);
    }
    QCOMPARE(p.page(p.window(2))->count(QStringLiteral("Refresh")), 0);
}

// The tab in front closed, the page most recently in front of the rest comes forward,
// its tab selected, and the close commands go on closing.
void TabsTest::closingTheTabInFront()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B").slot(3, "http://c/", true, "C"));
    MDIForm1 *m = p.main();
    PanelBar *tabs = Frame::tabs(m);
    m->StatusBarTabs_PanelClick(4);
    m->StatusBarTabs_PanelClick(3);
    m->StatusBarTabs_PanelClick(10); // slot 2 goes; slot 3 was in front before it
    for (const int slot : {3, 1}) {
        BrowserWindowBase *next = p.window(slot);
        QCOMPARE(m->activeChild(), next);
        QVERIFY(next->isVisible());
        for (int cell = 2; cell <= 9; ++cell)
            QCOMPARE(tabs->bevel(cell), cell == slot + 1 ? 1 : 2);
        QCOMPARE(p.state().CurrentSlot, int16_t(slot));
        QVERIFY(Frame::closeBox(m)->isVisible());
        QCOMPARE(tabs->text(10), QStringLiteral("X"));
        if (slot == 3)
            Frame::item(m, "mnuCloseWindow")->trigger();
    }
    Frame::closeBox(m)->click();
    QVERIFY(p.windows().isEmpty());
    QVERIFY(p.d.messages.shown.isEmpty());
}

// The last tab closed, Set Up opens a page again: the close box and the X cell close it.
void TabsTest::closeBoxAfterSetUpReopens()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A"));
    MDIForm1 *m = p.main();
    m->StatusBarTabs_PanelClick(10);
    QVERIFY(!Frame::closeBox(m)->isVisible());
    p.d.dialogs.script = [](QDialog *dlg) {
        qobject_cast<frmURLs *>(dlg)->txtURL[0]->setText(QStringLiteral("http://a2/"));
        qobject_cast<frmURLs *>(dlg)->cmdOK->click();
        return dlg->result();
    };
    Frame::item(m, "mnuSetup")->trigger();
    QCOMPARE(p.windows().size(), 1);
    QVERIFY(Frame::closeBox(m)->isVisible());
    QCOMPARE(Frame::tabs(m)->text(10), QStringLiteral("X"));
    Frame::closeBox(m)->click();
    QVERIFY(p.windows().isEmpty());
    QVERIFY(!Frame::closeBox(m)->isVisible());
    QVERIFY(Frame::tabs(m)->text(10).isEmpty());
}

// The page area reports its last page going while the frame is destroyed; by then
// nothing of the frame may be listening.
void TabsTest::frameEndsDeaf()
{
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B"));
    MDIForm1 *m = p.main();
    QMdiArea *area = m->mdiArea();
    int stillListening = -1;
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [&stillListening, area, m] {
        if (stillListening < 0)
            stillListening = QObject::disconnect(area, &QMdiArea::subWindowActivated, m, nullptr);
    });
    delete m;
    QCOMPARE(stillListening, 0);
}

QTEST_MAIN(TabsTest)
#include "tst_tabs.moc"
