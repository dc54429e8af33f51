// The full-screen window inside a whole program with fake pages: the picker of open
// slots, the way back to the main window, the ways that end the program, and the
// tool bars and page events.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "mainwindow/MDIForm1.h"
#include "platform/ToolBar.h"
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

namespace {

const QByteArray kABC = Top8().slot(1, "http://a/", true, "A").slot(2, "http://b/", true, "B").slot(3, "http://c/", true, "C");

// The user clicks the slot's tab, then the View menu's Full Screen.
frmHTMLBrowserFullScreen *openOn(TestProgram &p, int slot)
{
    p.main()->StatusBarTabs_PanelClick(slot + 1);
    Frame::item(p.main(), "mnuFullScreen")->trigger();
    return p.fullScreen();
}

QStringList lines(const QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

class FullScreenTest : public QObject
{
    Q_OBJECT
private slots:
    void opensOverTheScreenOnTheCurrentPage();
    void pickerListsEveryOpenSlot();
    void pickingALineMakesItTheHomePage();
    void restoreAndF11ReturnToTheMainWindow_data();
    void restoreAndF11ReturnToTheMainWindow();
    void returnFindsThePageByItsSlot();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
    void activationReloadsWhenAsked();
    void stopButtonAndHistoryButtons();
    void loadErrorStopsTheLoad();
    void bothFullScreenItemsAndTheTimer();
    void pageWindowKeys();
};

void FullScreenTest::opensOverTheScreenOnTheCurrentPage()
{
    TestProgram p;
    p.start(kABC);
    frmHTMLBrowserFullScreen *w = openOn(p, 3);
    QVERIFY(w && w->isVisible());
    QVERIFY(!p.main()->isVisible());
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w->size(), QSize(1024, 740)); // screen width, work-area height
    QCOMPARE(w->windowTitle(), QStringLiteral("Velloran - C"));
    QCOMPARE(p.fullScreenPage()->calls.filter(QStringLiteral("Navigate")), QStringList{QStringLiteral("Navigate http://c/")});
    QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Refresh")), 0);
    QCOMPARE(w->cmbTop8->currentText(), QStringLiteral("3. C"));
    QCOMPARE(w->cmbTop8->accessibleName(), QStringLiteral("Top 8 page"));
    QCOMPARE(w->focusWidget(), w->WebBrowser1);
    QCOMPARE(p.d.ctx->windows.windows().last(), w);

    VToolBar *t1 = w->Toolbar1;
    QStringList tips;
    for (int i : {1, 4, 5, 6, 7, 8, 10, 11})
        tips << t1->buttonToolTip(i);
    QCOMPARE(tips, (QStringList{QStringLiteral("Restore"), QStringLiteral("Refresh"), QStringLiteral("Go Back"),
                                QStringLiteral("Go Forward"), QStringLiteral("Stop downloading"),
                                QStringLiteral("Home - C"), QStringLiteral("Favorites"), QStringLiteral("History")}));
    QCOMPARE(t1->buttonCount(), 11);
    QCOMPARE(t1->buttonStyle(2), VToolBar::ButtonStyle::Separator);
    QCOMPARE(t1->buttonStyle(3), VToolBar::ButtonStyle::Placeholder);
    QCOMPARE(t1->buttonKey(4), QStringLiteral("cmdRefresh"));
    QVERIFY(!t1->buttonEnabled(5) && !t1->buttonEnabled(6) && !t1->buttonEnabled(7) && !t1->buttonVisible(11));
    QCOMPARE(w->Toolbar2->buttonToolTip(1) + w->Toolbar2->buttonToolTip(2) + w->Toolbar2->buttonToolTip(3),
             QStringLiteral("MinimizeRestoreClose"));
    // The picker sits on the top bar right of the buttons; the corner bar at the top right.
    QCOMPARE(w->cmbTop8->parentWidget(), t1);
    QVERIFY(w->cmbTop8->x() > t1->widgetForAction(t1->buttonAction(10))->x());
    QCOMPARE(w->Toolbar2->geometry().topRight(), QPoint(w->width() - 1, 0));
    QCOMPARE(w->WebBrowser1->geometry(), QRect(0, t1->height(), w->width(), w->height() - t1->height()));
    QVERIFY(!w->txtCurrentURL->isVisible());
}

void FullScreenTest::pickerListsEveryOpenSlot()
{
    {
        TestProgram p;
        p.start(kABC);
        QCOMPARE(lines(openOn(p, 1)->cmbTop8), (QStringList{QStringLiteral("1. A"), QStringLiteral("2. B"), QStringLiteral("3. C")}));
    }
    {
        TestProgram p;
        p.start(kABC);
        p.state().Slots(2).caption.clear();
        QCOMPARE(lines(openOn(p, 1)->cmbTop8), (QStringList{QStringLiteral("1. A"), QStringLiteral("3. C")}));
    }
    {
        TestProgram p;
        p.start(Top8().slot(5, "http://e/", true, "E").slot(7, "http://g/", true, "G"));
        frmHTMLBrowserFullScreen *w = openOn(p, 5);
        QCOMPARE(lines(w->cmbTop8), (QStringList{QStringLiteral("5. E"), QStringLiteral("7. G")}));
        QCOMPARE(w->cmbTop8->currentText(), QStringLiteral("5. E"));
    }
}

void FullScreenTest::pickingALineMakesItTheHomePage()
{
    TestProgram p;
    p.start(kABC);
    frmHTMLBrowserFullScreen *w = openOn(p, 1);
    w->cmbTop8->setCurrentIndex(1);
    emit w->cmbTop8->activated(1);
    QCOMPARE(p.fullScreenPage()->calls.filter(QStringLiteral("Navigate")).last(), QStringLiteral("Navigate http://b/"));
    QCOMPARE(p.state().CurrentURL + p.state().CurrentCaption + QString::number(p.state().CurrentSlot),
             QStringLiteral("http://b/B2"));
    QCOMPARE(w->HomeURL, QStringLiteral("http://b/"));
    QCOMPARE(w->Toolbar1->buttonToolTip(8), QStringLiteral("Home - A"));
    p.fullScreenPage()->Navigate(QStringLiteral("http://elsewhere/"));
    w->Toolbar1_ButtonClick(8);
    QCOMPARE(p.fullScreenPage()->url, QStringLiteral("http://b/"));
    QVERIFY(p.d.messages.shown.isEmpty());
}

void FullScreenTest::restoreAndF11ReturnToTheMainWindow_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Restore on the top bar") << 0;
    QTest::newRow("Restore in the corner") << 1;
    QTest::newRow("F11 on the window") << 2;
    QTest::newRow("Shift+F11 in the page") << 3;
}

void FullScreenTest::restoreAndF11ReturnToTheMainWindow()
{
    QFETCH(int, way);
    TestProgram p;
    p.start(kABC);
    QPointer<frmHTMLBrowserFullScreen> w = openOn(p, 1);
    w->cmbTop8->setCurrentIndex(2);
    emit w->cmbTop8->activated(2); // "3. C": the frame's active window stays slot 1's
    switch (way) {
    case 0: w->Toolbar1->buttonAction(1)->trigger(); break;
    case 1: w->Toolbar2->buttonAction(2)->trigger(); break;
    case 2: QTest::keyClick(w, Qt::Key_F11); break;
    case 3: QTest::keyClick(w->WebBrowser1, Qt::Key_F11, Qt::ShiftModifier); break;
    }
    QVERIFY(p.main()->isVisible() && p.main()->updatesEnabled());
    QVERIFY(!p.d.ctx->windows.contains(w) && !p.fullScreen());
    QCOMPARE(p.d.ctx->windows.count(), 5);
    QCOMPARE(p.main()->activeChild()->tag(), QStringLiteral("3")); // position CurrentSlot + 1
    QVERIFY(p.main()->activeChild()->isVisible());
    QVERIFY(p.d.process.ends.isEmpty() && p.d.messages.shown.isEmpty());
    QTRY_VERIFY(!w); // unloaded
}

void FullScreenTest::returnFindsThePageByItsSlot()
{
    // Slots 1 and 3 open (a gap), the page of slot 3 in front.
    TestProgram p;
    p.start(Top8().slot(1, "http://a/", true, "A").slot(3, "http://c/", true, "C"));
    // Its page's guard answered with Stay keeps full screen.
    frmHTMLBrowserFullScreen *full = openOn(p, 3);
    auto *guarded = qobject_cast<FakeBrowser *>(full->WebBrowser1);
    guarded->stays = true;
    full->ReturnToMainWindow();
    QVERIFY(p.fullScreen() && !p.main()->isVisible());
    guarded->stays = false;
    full->ReturnToMainWindow();
    QVERIFY(p.main()->isVisible() && p.main()->updatesEnabled());
    QCOMPARE(p.main()->activeChild()->slot(), 3);
    QVERIFY(p.d.messages.shown.isEmpty());

    // A slot with no window leaves the frame as it is, with no message.
    frmHTMLBrowserFullScreen *w = openOn(p, 1);
    p.state().CurrentSlot = 7;
    w->ReturnToMainWindow();
    QVERIFY(p.main()->isVisible() && p.main()->updatesEnabled());
    QVERIFY(p.d.messages.shown.isEmpty() && p.d.process.ends.isEmpty());
}

void FullScreenTest::closingEndsTheProgram_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("Close in the corner") << true;
    QTest::newRow("closed by the platform") << false;
}

void FullScreenTest::closingEndsTheProgram()
{
    QFETCH(bool, closeButton);
    TestProgram p;
    p.start(kABC);
    frmHTMLBrowserFullScreen *w = openOn(p, 1);
    QVERIFY(p.host->taskBar()->iconVisible());
    const auto exit = [&] {
        if (closeButton)
            w->Toolbar2->buttonAction(3)->trigger();
        else
            w->close();
    };
    // A running download is kept when the person says so; the window stays.
    p.d.ctx->runningDownloads = [] { return 1; };
    exit();
    QCOMPARE(p.d.dialogs.shown, QStringList{QStringLiteral("exitWithDownloads")});
    QVERIFY(p.d.process.ends.isEmpty() && w->isVisible());
    p.d.dialogs.script = [](QDialog *) { return int(QMessageBox::Ok); };
    exit();
    QCOMPARE(p.d.process.ends, QList<int>{0});
    QVERIFY(!p.host->taskBar()->iconVisible());
    QVERIFY(!p.main()->isVisible());
    QVERIFY(p.d.messages.shown.isEmpty());
}

void FullScreenTest::activationReloadsWhenAsked()
{
    TestProgram p;
    p.start(kABC, "-1,0,1,0,0,-1\r\n");
    frmHTMLBrowserFullScreen *w = openOn(p, 2);
    QCoreApplication::processEvents();
    QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Refresh")), 1); // once for the show, however it is told
    QEvent off(QEvent::WindowDeactivate), on(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &off);
    QCoreApplication::sendEvent(w, &on);
    QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Refresh")), 2);
    // Minimized and shown again: the same window and page, only activation runs.
    emit p.fullScreenPage()->DownloadBegin();
    w->Toolbar2->buttonAction(1)->trigger();
    QVERIFY(w->isMinimized());
    QVERIFY(!w->Toolbar1->buttonEnabled(7));
    Frame::item(p.main(), "mnuFullScreen")->trigger();
    QCOMPARE(p.fullScreen(), w);
    QVERIFY(!w->isMinimized());
    QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Navigate")), 1);
    QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Refresh")), 3);
    QCOMPARE(p.d.ctx->windows.count(), 6);
}

void FullScreenTest::stopButtonAndHistoryButtons()
{
    TestProgram p;
    p.start(kABC);
    frmHTMLBrowserFullScreen *w = openOn(p, 1);
    FakeBrowser *b = p.fullScreenPage();
    VToolBar *t1 = w->Toolbar1;
    emit b->CommandStateChange(2, true);
    QVERIFY(t1->buttonEnabled(5) && !t1->buttonEnabled(6));
    emit b->CommandStateChange(1, true);
    emit b->CommandStateChange(3, false);
    QVERIFY(t1->buttonEnabled(5) && t1->buttonEnabled(6));
    emit b->BeforeNavigate2();
    QVERIFY(!t1->buttonEnabled(5) && !t1->buttonEnabled(6) && t1->buttonEnabled(7));
    for (int i : {2, 3, 4, 5, 6, 7, 8, 9, 11}) {
        emit b->DownloadBegin();
        QVERIFY(t1->buttonEnabled(7));
        w->Toolbar1_ButtonClick(i);
        QVERIFY2(!t1->buttonEnabled(7), qPrintable(QString::number(i)));
    }
    QCOMPARE(b->count(QStringLiteral("Refresh")), 1);
    QCOMPARE(b->count(QStringLiteral("Stop")), 1);
    QVERIFY(p.d.messages.shown.isEmpty()); // Back and Forward with no history pass silently
    b->title = QStringLiteral("Page A");
    emit b->DownloadComplete();
    QCOMPARE(w->txtCurrentURL->text(), QStringLiteral("Page A"));
    b->failures.insert(QStringLiteral("GoBack"), 5);
    b->failures.insert(QStringLiteral("GoForward"), 5);
    w->Toolbar1_ButtonClick(5);
    w->Toolbar1_ButtonClick(6);
    QCOMPARE(p.d.messages.texts(), (QStringList{QStringLiteral("Error 5. Navigation Error. Try again."), QStringLiteral("Error 5.")}));
}

void FullScreenTest::loadErrorStopsTheLoad()
{
    TestProgram p;
    p.start(kABC);
    p.d.ctx->browserFactory = [](QWidget *parent) -> BrowserControl * {
        auto *b = new FakeBrowser(parent);
        b->failures.insert(QStringLiteral("Navigate"), 13);
        return b;
    };
    frmHTMLBrowserFullScreen *w = openOn(p, 2);
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("Error 13.Fake failure. Unable to load web page.")});
    QCOMPARE(w->cmbTop8->count(), 0); // the rest of the load did not run
    QCOMPARE(w->Toolbar1->buttonToolTip(8), QStringLiteral("Home"));
    QVERIFY(w->isVisible());
}

void FullScreenTest::bothFullScreenItemsAndTheTimer()
{
    TestProgram p;
    p.start(kABC, "0,-1,1,0,0,-1\r\n");
    for (QAction *item : {Frame::item(p.main(), "mnuFullScreen"), Frame::item(p.main(), "mnuFullScreenWindows")}) {
        p.main()->StatusBarTabs_PanelClick(3);
        item->trigger();
        QVERIFY(!p.main()->isVisible() && p.fullScreen() && p.fullScreen()->isVisible());
        QCOMPARE(p.fullScreenPage()->calls.filter(QStringLiteral("Navigate")), QStringList{QStringLiteral("Navigate http://b/")});
        p.main()->Timer1_Timer(); // every minute: this page reloads with the others
        QCOMPARE(p.fullScreenPage()->count(QStringLiteral("Refresh")), 1);
        QTest::keyClick(p.fullScreen(), Qt::Key_F11);
        QVERIFY(p.main()->isVisible());
    }
    QVERIFY(p.d.messages.shown.isEmpty());
}

// The keys the main window's menu items hold work here too, with the page holding the
// focus: Ctrl+P prints, Ctrl+N opens the page in the default browser, Ctrl+F opens a
// find bar over the page, which Esc closes, giving the page its room and the focus back.
void FullScreenTest::pageWindowKeys()
{
    TestProgram p;
    p.start(kABC);
    frmHTMLBrowserFullScreen *w = openOn(p, 2);
    QVERIFY(QTest::qWaitForWindowActive(w));
    FakeBrowser *b = p.fullScreenPage();
    b->url = QStringLiteral("http://b/now");
    const QRect pageArea = b->geometry();
    QTest::keyClick(b, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(b, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(b->count(QStringLiteral("Print")), 1);
    QCOMPARE(p.d.shell.opened, QList<QUrl>{QUrl(QStringLiteral("http://b/now"))});

    QTest::keyClick(b, Qt::Key_F, Qt::ControlModifier);
    QLineEdit *find = nullptr;
    for (QLineEdit *e : w->findChildren<QLineEdit *>())
        if (e->accessibleName() == QStringLiteral("Find on this page"))
            find = e;
    QVERIFY(find && find->isVisible() && find->hasFocus());
    QVERIFY(b->geometry().bottom() < find->mapTo(w, QPoint(0, 0)).y());
    b->title = QStringLiteral("Bee");
    QTest::keyClicks(find, QStringLiteral("ee"));
    QCOMPARE(b->calls.filter(QStringLiteral("Find")), (QStringList{QStringLiteral("Find e"), QStringLiteral("Find ee")}));
    QTest::keyClick(find, Qt::Key_Escape);
    QVERIFY(!find->isVisible() && b->hasFocus());
    QCOMPARE(b->geometry(), pageArea);
    QVERIFY(p.d.messages.shown.isEmpty());
}

QTEST_MAIN(FullScreenTest)
#include "tst_fullscreen.moc"
