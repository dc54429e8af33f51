#include "TestProgram.h"
#include "FakeServices.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "info/frmShortcuts.h"
#include "mainwindow/MDIForm1.h"
#include "info/frmSplash.h"
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QtTest>

class tst_InfoWindows : public QObject
{
    Q_OBJECT

    // Lets a window with WA_DeleteOnClose finish closing.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void aboutLinkFollowsMouse()
    {
        FakeDesktop d;
        auto *about = new frmAbout(*d.ctx);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QLabel *link = about->linkLabel();
        QCOMPARE(link->text(), QStringLiteral("https://velloran.example/"));
        QCOMPARE(about->linkColor(), QColor(Qt::black));

        const QColor blue(0, 0, 255);
        const QPoint outside(2, about->height() - 3); // dialog margin, no child there
        QVERIFY(!about->childAt(outside));
        QTest::mouseMove(link, link->rect().center());
        QCOMPARE(about->linkColor(), blue);
        QTest::mouseMove(about, outside);
        QCOMPARE(about->linkColor(), QColor(Qt::black));
        QTest::mouseMove(link, link->rect().center() + QPoint(1, 0));
        QCOMPARE(about->linkColor(), blue);

        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(d.shell.opened, QList<QUrl>{QUrl(QStringLiteral("https://velloran.example/"))});
        QVERIFY(d.messages.shown.isEmpty());
        about->close();
        flushDeletes();
    }

    void aboutClosesOnEscAndEnter_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void aboutClosesOnEscAndEnter()
    {
        QFETCH(int, key);
        FakeDesktop d;
        QPointer<frmAbout> about = new frmAbout(*d.ctx);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Velloran"));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QTest::keyClick(about, Qt::Key(key));
        QVERIFY(!about->isVisible());
        QCOMPARE(about->result(), int(QDialog::Accepted));
        flushDeletes();
        QVERIFY(about.isNull());
    }

    void helpTextHasThreeParagraphs()
    {
        FakeDesktop d;
        frmHelp help(*d.ctx);
        QCOMPARE(help.windowTitle(), QStringLiteral("Velloran Help"));
        const QStringList lines = help.helpText().split(QLatin1Char('\n')); // no blank lines between
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral(
            "Velloran automatically loads in independent windows up to 8 of your top web sites. Enter your top 8 "
            "sites by entering the URLs and setting autoload and refresh options in the SetUp Dialog, which is "
            "displayed by selecting &Setup... from the menubar."));
        QCOMPARE(lines[1], QStringLiteral(
            "In the Setup dialog you can also select from three interfaces: tiled, cascade, and tabbed. Full "
            "screen mode is available from all three interfaces."));
        QCOMPARE(lines[2], QStringLiteral(
            "In addition to standard IE menubar shortcuts, right-click in a browser window for all your IE "
            "shortcuts. Look for the Brennick in your Windows icon tray for more display options."));
        auto *label = help.findChild<QLabel *>(QStringLiteral("lblHelpText"));
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText); // keeps "&Setup..." literal
    }

    void shortcutsTable()
    {
        FakeDesktop d;
        frmShortcuts s(*d.ctx);
        QCOMPARE(s.windowTitle(), QStringLiteral("Keyboard Shortcuts"));
        QTableWidget *t = s.table();
        QCOMPARE(t->rowCount(), 20);
        QCOMPARE(t->columnCount(), 2);
        QCOMPARE(t->horizontalHeaderItem(0)->text(), QStringLiteral("Action"));
        QCOMPARE(t->horizontalHeaderItem(1)->text(), QStringLiteral("Keys"));
        QCOMPARE(t->item(0, 0)->text(),
                 QStringLiteral("Toggle between full-screen and regular views of the browser window."));
        QCOMPARE(t->item(0, 1)->text(), QStringLiteral("F11"));
        QCOMPARE(t->item(4, 1)->text(), QStringLiteral("ALT+LEFT ARROW or BACKSPACE"));
        QCOMPARE(t->item(19, 0)->text(), QStringLiteral("Activate a selected link."));
        QCOMPARE(t->item(19, 1)->text(), QStringLiteral("ENTER"));
        QVERIFY(!(t->item(3, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(s.width() >= 585);
    }

    // Each is opened once: choosing it again brings the open one to the front. About and
    // Help sit in the middle of the work area.
    void oneOfEachCentred()
    {
        FakeDesktop d;
        MDIForm1 main(*d.ctx);
        QList<QRect> placed;
        d.dialogs.script = [&](QDialog *dlg) {
            placed << dlg->geometry();
            (qobject_cast<frmAbout *>(dlg) ? Frame::item(&main, "mnuAbout") : Frame::item(&main, "mnuHelpContents"))->trigger(); // chosen again
            return 0;
        };
        for (QAction *item : {Frame::item(&main, "mnuAbout"), Frame::item(&main, "mnuHelpContents"), Frame::item(&main, "mnuScuts"), Frame::item(&main, "mnuScuts")}) {
            item->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(d.dialogs.shown, (QStringList{QStringLiteral("frmAbout"), QStringLiteral("frmHelp")}));
        QCOMPARE(main.findChildren<frmShortcuts *>().size(), 1);
        const QRect work(0, 0, 1024, 740);
        for (const QRect &g : placed)
            QVERIFY2((g.center() - work.center()).manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(g.x()).arg(g.y())));
        QVERIFY(d.messages.shown.isEmpty());
    }

    void windowsJoinAndLeaveRegistry()
    {
        FakeDesktop d;
        const int before = d.ctx->windows.count();
        QList<QWidget *> made{new frmSplash(*d.ctx), new frmAbout(*d.ctx), new frmHelp(*d.ctx),
                              new frmShortcuts(*d.ctx)};
        QCOMPARE(d.ctx->windows.count(), before + 4);
        for (QWidget *w : made) {
            QVERIFY(d.ctx->windows.contains(w));
            const int n = d.ctx->windows.count();
            delete w;
            QCOMPARE(d.ctx->windows.count(), n - 1);
        }
        QCOMPARE(d.ctx->windows.count(), before);
    }

    void splashPictureAndPlace()
    {
        FakeDesktop d;
        const QPixmap pm = frmSplash::picture();
        QCOMPARE(pm.size(), QSize(280, 45));
        // Something was drawn besides the white ground and the frame (the caption at least).
        const QImage img = pm.toImage();
        int dark = 0;
        for (int y = 2; y < 43; ++y)
            for (int x = 45; x < 278; ++x)
                dark += qGray(img.pixel(x, y)) < 128;
        QVERIFY(dark > 100);

        frmSplash splash(*d.ctx);
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(qAbs(splash.width() - 280) <= 2 && qAbs(splash.height() - 45) <= 2);
        // Work area 1024 x 740 at 15 twips per pixel: left (15360-4200)/2 twips, top (11100-675)/2.
        QCOMPARE(splash.pos(), QPoint(372, 347));
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QCOMPARE(splash.pos(), QPoint(372, 347));
        QVERIFY(d.messages.shown.isEmpty());
    }
};

QTEST_MAIN(tst_InfoWindows)
#include "tst_infowindows.moc"
