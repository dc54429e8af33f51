// The tray and the desktop: the tray menu's states, a desktop with no tray or a
// StatusNotifier host, no desktop at all, and a data folder that cannot be used.
#include "FakeBrowser.h"
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "core/DataFolder.h"
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
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <unistd.h>

namespace {

const QByteArray kOnePage = Top8().slot(1, "http://a/", true, "A");

} // namespace

class TrayTest : public QObject
{
    Q_OBJECT
private slots:
    void trayMenuStates();
    void rightClickDismissalMaximizes();
    void noTrayMinimizesUntilATrayAppears();
    void noDesktopRefuses();
    void statusNotifierActivateAndHostMenu();
    void trayMenuOpensOnTheRelease();
    void unusableDataFolderSaysWhy();
};

void TrayTest::trayMenuStates()
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
    // A StatusNotifier host may still send a click for a hidden item: nothing happens.
    for (QAction *hidden : {h->mnuRestore, h->mnuMinimize, h->mnuMaximize})
        hidden->trigger();
    QVERIFY(!p.main()->isVisible());

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

void TrayTest::rightClickDismissalMaximizes()
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

void TrayTest::noTrayMinimizesUntilATrayAppears()
{
    TestProgram p;
    p.d.tray.available = false;
    p.start(kOnePage);
    frmRightClick *h = p.host;
    QVERIFY(p.d.messages.shown.isEmpty());
    QVERIFY(p.main() && p.main()->isVisible());

    // Ctrl+T minimizes, the tray menu stays as it was, and the status bar says why once.
    Frame::item(p.main(), "mnuSendToTray")->trigger();
    QVERIFY(p.main()->isVisible() && p.main()->isMinimized());
    QVERIFY(!h->mnuSendToTray->isChecked() && h->mnuRestore->isVisible());
    QCOMPARE(p.status(), frmRightClick::NoTrayNote);
    p.main()->showMaximized();
    Frame::status(p.main())->setText(1, QStringLiteral("page"));
    p.main()->childWindows().first()->Toolbar1_ButtonClick(BrowserWindowBase::BtnSendToTray);
    QVERIFY(p.main()->isVisible() && p.main()->isMinimized());
    QCOMPARE(p.status(), QStringLiteral("page"));

    // A panel starts later: the icon goes in and the command hides again.
    p.main()->showMaximized();
    Frame::status(p.main())->setText(1, frmRightClick::NoTrayNote);
    p.main()->activeChild()->txtCurrentURL->setText(QStringLiteral("Page A"));
    p.d.tray.setAvailable(true);
    QVERIFY(h->taskBar()->inTray() && h->taskBar()->iconVisible());
    QCOMPARE(p.status(), QStringLiteral("Page A ")); // the page in front names itself again
    Frame::item(p.main(), "mnuSendToTray")->trigger();
    QVERIFY(!p.main()->isVisible());
    QVERIFY(h->mnuSendToTray->isChecked());

    // The tray goes away while the window is in it: the window comes back minimized.
    p.d.tray.setAvailable(false);
    QVERIFY(p.main()->isVisible() && p.main()->isMinimized());
    QVERIFY(!h->mnuSendToTray->isChecked() && h->mnuRestore->isVisible() && h->sep0->isVisible());
    QVERIFY(p.d.messages.shown.isEmpty());
}

void TrayTest::noDesktopRefuses()
{
    TestProgram p;
    p.d.tray.desktop = false;
    p.start(kOnePage);
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("There is no taskbar currently available")});
    QCOMPARE(p.d.process.ends, QList<int>{0});
    QVERIFY(!p.main());
}

void TrayTest::statusNotifierActivateAndHostMenu()
{
    for (const bool sni : {false, true}) {
        TestProgram p;
        p.d.tray.statusNotifier = sni;
        p.start(kOnePage);
        frmRightClick *h = p.host;
        QSystemTrayIcon *icon = h->taskBar()->icon();
        // Only a StatusNotifier host gets the menu to draw itself.
        QCOMPARE(icon->contextMenu() == h->mnuPopup, sni);

        // Its Activate (a left click) brings the window back as the double-click does;
        // on X11 a single click does nothing.
        Frame::item(p.main(), "mnuSendToTray")->trigger();
        QVERIFY(!p.main()->isVisible());
        emit icon->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(p.main()->isVisible(), sni);
        QCOMPARE(h->mnuSendToTray->isChecked(), !sni);
        if (!sni)
            continue;

        // The host opens and closes the exported menu: in the tray flag at once, and
        // a minimized window comes back maximized once the menu has closed.
        p.main()->showMinimized();
        p.d.ctx->state.InTray = 0;
        emit h->mnuPopup->aboutToShow();
        QCOMPARE(p.d.ctx->state.InTray, int16_t(-1));
        emit h->mnuPopup->aboutToHide();
        QTRY_VERIFY(p.main()->isMaximized());
        QVERIFY(p.d.menus.shown.isEmpty());
    }
}

// An X11 tray reports the context request from the right button's press: the menu
// opens once the button is up, so the release cannot choose one of its items.
void TrayTest::trayMenuOpensOnTheRelease()
{
    TestProgram p;
    p.start(kOnePage);
    QWidget elsewhere;
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
    QTest::mousePress(elsewhere.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    emit p.host->taskBar()->icon()->activated(QSystemTrayIcon::Context);
    QCoreApplication::processEvents();
    QVERIFY(p.d.menus.shown.isEmpty());
    QTest::mouseRelease(elsewhere.windowHandle(), Qt::RightButton, {}, QPoint(5, 5));
    QTRY_COMPARE(p.d.menus.shown, QStringList{QStringLiteral("mnuPopup")});
    // Asked with the button already up (from the keyboard), it opens at once.
    emit p.host->taskBar()->icon()->activated(QSystemTrayIcon::Context);
    QCOMPARE(p.d.menus.shown.size(), 2);
}

void TrayTest::unusableDataFolderSaysWhy()
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("plain-file"));
    QFile(file).open(QIODevice::WriteOnly);
    const QString readOnly = tmp.filePath(QStringLiteral("read-only"));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    // VELLORAN_HOME below a file: the folder cannot be created.
    qputenv("VELLORAN_HOME", (file + QStringLiteral("/home")).toUtf8());
    const QString uncreatable = resolveDataFolder(tmp.path());
    qunsetenv("VELLORAN_HOME");

    const QList<std::pair<QString, QString>> cases{
        {uncreatable, QStringLiteral("does not exist and cannot be created")},
        {file, QStringLiteral("is a file, not a folder")},
        {readOnly, QStringLiteral("may not write")}};
    for (const auto &[folder, why] : cases) {
        if (folder == readOnly && geteuid() == 0)
            continue; // permissions do not bind the superuser
        AppContext ctx;
        FakeMessages messages;
        FakeProcess process;
        ctx.messages = &messages;
        ctx.process = &process;
        ctx.dataFolder = folder;
        auto *host = new frmRightClick(ctx);
        host->Form_Load();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown[0].text.contains(QDir::toNativeSeparators(folder)) && messages.shown[0].text.contains(why),
                 qPrintable(messages.shown[0].text));
        QCOMPARE(messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(process.ends, QList<int>{1});
        QVERIFY(!host->mainWindow());
        delete host;
    }
}

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
