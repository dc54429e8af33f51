// Desktops without a tray, with a tray that comes later, and with a StatusNotifier
// host: the icon, the Send to Icon Tray commands and the tray menu follow the tray.
#include "TestProgram.h"
#include "app/clsTaskBar.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "mainwindow/MDIForm1.h"
#include "platform/PanelBar.h"
#include "core/DataFolder.h"
#include <QTemporaryDir>
#include <unistd.h>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QLineEdit>
#include <QtTest>

namespace {

const QByteArray kOnePage = Top8().slot(1, "http://a/", true, "A");

} // namespace

class DesktopsTest : public QObject
{
    Q_OBJECT
private slots:
    void noTrayMinimizesUntilATrayAppears();
    void noDesktopRefuses();
    void statusNotifierActivateAndHostMenu();
    void unusableDataFolderSaysWhy();
};

void DesktopsTest::noTrayMinimizesUntilATrayAppears()
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

void DesktopsTest::noDesktopRefuses()
{
    TestProgram p;
    p.d.tray.desktop = false;
    p.start(kOnePage);
    QCOMPARE(p.d.messages.texts(), QStringList{QStringLiteral("There is no taskbar currently available")});
    QCOMPARE(p.d.process.ends, QList<int>{0});
    QVERIFY(!p.main());
}

void DesktopsTest::statusNotifierActivateAndHostMenu()
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

void DesktopsTest::unusableDataFolderSaysWhy()
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

QTEST_MAIN(DesktopsTest)
#include "tst_desktops.moc"
