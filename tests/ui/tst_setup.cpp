#include "FakeBrowser.h"
#include "TestProgram.h"
#include "browser/BrowserWindowBase.h"
#include "browser/frmHTMLBrowserTab.h"
#include "info/frmSplash.h"
#include "mainwindow/MDIForm1.h"
#include "platform/PanelBar.h"
#include "setup/frmURLs.h"
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

int splashCount()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<frmSplash *>(w) != nullptr;
    return n;
}

// A running main window started from the given files, with the Set Up command at hand.
struct Running : TestProgram
{
    QPointer<frmURLs> dialog;
    int result = -1;

    Running(const QByteArray &ini, const QByteArray &dat, bool withSounds = true)
    {
        if (withSounds) {
            d.writeFile(QStringLiteral("frmurls.wav"), "RIFF");
            d.writeFile(QStringLiteral("closeurl.wav"), "RIFF");
        }
        startMainWindow(dat, ini);
        flushDeletes();
        d.sound = FakeSound();
        d.messages.shown.clear();
    }
    ~Running()
    {
        delete dialog;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<frmSplash *>(w))
                delete w;
    }
    // Opens Set Up from the menu; `work` fills it in and presses a button.
    void setUp(const std::function<void(frmURLs *)> &work)
    {
        d.dialogs.script = [&](QDialog *dlg) {
            dialog = qobject_cast<frmURLs *>(dlg);
            work(dialog);
            return result = dlg->result();
        };
        main()->mnuSetup_Click();
        flushDeletes();
    }
};

QStringList navigations(BrowserWindowBase *w)
{
    return TestProgram::page(w)->calls.filter(QStringLiteral("Navigate "));
}

} // namespace

class tst_Setup : public QObject
{
    Q_OBJECT

private slots:
    void controlsCaptionsAndTabOrder()
    {
        FakeDesktop d;
        d.ctx->state.FirstRun = -1;
        frmURLs dlg(*d.ctx);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Velloran - Set Up"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("lblRnterURLs"))->text(),
                 QStringLiteral("    Enter your top 8 URLs and an optional alias for each URL "
                                "(eg: URL - https://velloran.example/   Alias - Brennick)"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("Label1_8"))->text(), QStringLiteral("8."));
        QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("txtURL7")), dlg.txtURL[7]);
        QCOMPARE(dlg.findChild<QGroupBox *>(QStringLiteral("frmStartupOption"))->title(), QStringLiteral("&Startup Options"));
        QCOMPARE(dlg.optTabbed->text(), QStringLiteral("Ta&bbed"));
        QCOMPARE(dlg.chkEvery->text(), QStringLiteral("&Every:"));
        QCOMPARE(dlg.txtAlias[2]->accessibleName(), QStringLiteral("Alias 3"));
        QCOMPARE(dlg.chkAutoLoad[0]->accessibleName(), QStringLiteral("Auto Load 1"));
        QVERIFY(dlg.chkAutoLoad[5]->isChecked());
        QVERIFY(dlg.optTile->isChecked());
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("1"));
        QVERIFY(dlg.cmdCancel->isDefault());

        QList<QWidget *> expected;
        for (int i = 0; i < 8; ++i)
            expected << dlg.txtURL[i] << dlg.chkAutoLoad[i] << dlg.cmdSiteOptions[i] << dlg.txtAlias[i];
        expected << dlg.chkOnActive << dlg.chkEvery << dlg.txtMinutes << dlg.VScrollMins << dlg.cmdOK
                 << dlg.cmdCancel << dlg.optTabbed << dlg.optCascade << dlg.optTile;
        QList<QWidget *> chain;
        for (QWidget *w = dlg.txtURL[0]; chain.size() < expected.size(); w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
        QCOMPARE(chain, expected);
    }

    void loadsRowsAndSettings()
    {
        FakeDesktop d;
        d.writeFile(QStringLiteral("velloran.ini"), "-1,-1,9,0,-1,0\r\n");
        d.writeFile(QStringLiteral("velloran.dat"), Top8().slot(4, "https://d.example/a,b", false, "Dee"));
        d.writeFile(QStringLiteral("frmurls.wav"), "RIFF");
        frmURLs dlg(*d.ctx);
        QCOMPARE(dlg.txtURL[3]->text(), QStringLiteral("https://d.example/a,b"));
        QCOMPARE(dlg.txtAlias[3]->text(), QStringLiteral("Dee"));
        QVERIFY(!dlg.chkAutoLoad[3]->isChecked());
        QVERIFY(dlg.chkOnActive->isChecked() && dlg.chkEvery->isChecked());
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("9"));
        QVERIFY(dlg.optCascade->isChecked());
        QCOMPARE(d.ctx->state.TileLayout, int16_t(0));
        QCOMPARE(d.sound.played, QStringList{d.dataFile(QStringLiteral("frmurls.wav"))});
        QVERIFY(d.messages.shown.isEmpty());
    }

    void missingDataFileSkipsTheRestOfLoading()
    {
        FakeDesktop d;
        d.writeFile(QStringLiteral("velloran.ini"), "-1,-1,9,0,-1,0\r\n");
        d.writeFile(QStringLiteral("frmurls.wav"), "RIFF");
        frmURLs dlg(*d.ctx);
        QCOMPARE(d.messages.texts(),
                 QStringList{QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs.")});
        QCOMPARE(d.messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("1"));
        QVERIFY(!dlg.chkOnActive->isChecked());
        QVERIFY(d.sound.played.isEmpty());
        QCOMPARE(d.sound.beeps, 0);
    }

    void minutesBox()
    {
        FakeDesktop d;
        d.ctx->state.FirstRun = -1;
        frmURLs dlg(*d.ctx);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.txtMinutes->setFocus();
        const int beeps = d.sound.beeps;

        QTest::keyClick(dlg.txtMinutes, Qt::Key_End);
        QTest::keyClick(dlg.txtMinutes, Qt::Key_Backspace);
        QCOMPARE(d.messages.texts(), QStringList{QStringLiteral("Please enter a numeric value!")});
        QCOMPARE(d.messages.shown[0].icon, MsgIcon::None);
        QCOMPARE(d.messages.shown[0].title, QStringLiteral("Velloran"));
        QCOMPARE(d.sound.beeps, beeps + 1);
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("1"));
        QVERIFY(dlg.txtMinutes->hasFocus());

        dlg.txtMinutes->selectAll();
        QTest::keyClicks(dlg.txtMinutes, QStringLiteral("-"));
        QCOMPARE(d.messages.shown.size(), 2);
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("1"));

        for (const char *numeric : {"12", "-3", "1.5"})
            dlg.txtMinutes->setText(QString::fromLatin1(numeric));
        QCOMPARE(d.messages.shown.size(), 2);

        const QList<QPair<QString, QString>> leaving{{"0", "60"}, {"75", "60"}, {"30", "30"}, {"-3", "60"}};
        for (const auto &[typed, shown] : leaving) {
            dlg.txtMinutes->setFocus();
            dlg.txtMinutes->setText(typed);
            QTest::keyClick(dlg.txtMinutes, Qt::Key_Tab);
            QVERIFY(!dlg.txtMinutes->hasFocus());
            QCOMPARE(dlg.txtMinutes->text(), shown);
        }
        QCOMPARE(d.messages.shown.size(), 2);

        dlg.VScrollMins->setValue(42);
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("42"));
        dlg.VScrollMins->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("43"));

        // Every puts "1" back whether it is ticked or cleared.
        for (bool ticked : {true, false}) {
            dlg.txtMinutes->setText(QStringLiteral("25"));
            dlg.chkEvery->click();
            QCOMPARE(dlg.chkEvery->isChecked(), ticked);
            QCOMPARE(dlg.txtMinutes->text(), QStringLiteral("1"));
        }
    }

    void enterOrEscCancels_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void enterOrEscCancels()
    {
        QFETCH(int, key);
        FakeDesktop d;
        const QByteArray dat = Top8().slot(1, "https://a.example/", true, "A");
        d.writeFile(QStringLiteral("velloran.dat"), dat);
        QPointer<frmURLs> dlg = new frmURLs(*d.ctx);
        QCOMPARE(dlg->txtURL[0]->text(), QStringLiteral("https://a.example/"));
        dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        dlg->txtAlias[0]->setFocus();
        QTest::keyClicks(dlg->txtAlias[0], QStringLiteral("Alpha"));
        QTest::keyClick(dlg->txtAlias[0], Qt::Key(key));
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        flushDeletes();
        QVERIFY(dlg.isNull());
        QCOMPARE(d.readFile(QStringLiteral("velloran.dat")), dat);
        QVERIFY(!QFile::exists(d.dataFile(QStringLiteral("velloran.ini"))));
    }

    // A button with the focus takes Enter itself; back in a box, Enter cancels again.
    void enterOnAFocusedButtonPressesIt()
    {
        Running r(Ini::Tile, Top8().slot(1, "https://a.example/", true, "A"));
        for (const bool backInABox : {true, false}) {
            r.setUp([backInABox](frmURLs *f) {
                f->show();
                QVERIFY(QTest::qWaitForWindowActive(f));
                f->txtAlias[0]->setText(QStringLiteral("Alpha"));
                f->cmdOK->setFocus();
                QWidget *target = f->cmdOK;
                if (backInABox)
                    (target = f->txtAlias[0])->setFocus();
                QTest::keyClick(target, Qt::Key_Return);
            });
            QCOMPARE(r.result, int(backInABox ? QDialog::Rejected : QDialog::Accepted));
        }
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.dat")), Top8().slot(1, "https://a.example/", true, "Alpha").bytes());
    }

    void tabbedThenCancelAffectsLaterWindows()
    {
        const QByteArray dat = Top8().slot(2, "https://b.example/", false, "Bee");
        Running r(Ini::Tile, dat);
        r.setUp([](frmURLs *f) {
            f->optTabbed->click();
            f->cmdCancel->click();
        });
        QCOMPARE(r.result, int(QDialog::Rejected));
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.dat")), dat);
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.ini")), Ini::Tile);
        QCOMPARE(r.d.ctx->state.TabbedLayout, int16_t(-1));
        QCOMPARE(r.d.ctx->state.TileLayout, int16_t(0));
        r.main()->mnuURLs_Click(1);
        QVERIFY(qobject_cast<frmHTMLBrowserTab *>(r.window(2)));
    }

    void changedAliasLeavesRunningWindow()
    {
        Running r(Ini::Tile, Top8().slot(1, "https://a.example/", true, "A"));
        QPointer<BrowserWindowBase> before = r.window(1);
        QVERIFY(before);
        r.setUp([](frmURLs *f) {
            f->txtAlias[0]->setText(QStringLiteral("Alpha"));
            f->chkAutoLoad[0]->setChecked(false);
            f->cmdOK->click();
        });
        QCOMPARE(r.result, int(QDialog::Accepted));
        QVERIFY(r.dialog.isNull());
        QVERIFY(before);
        QCOMPARE(r.window(1), before.data());
        QCOMPARE(navigations(before).size(), 1);
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.dat")), Top8().slot(1, "https://a.example/", false, "Alpha").bytes());
        QCOMPARE(r.d.sound.played, QStringList{r.d.dataFile(QStringLiteral("frmurls.wav"))}
                                       << r.d.dataFile(QStringLiteral("closeurl.wav")));
        QVERIFY(r.d.messages.shown.isEmpty());
        QCOMPARE(splashCount(), 0);
        QVERIFY(r.main()->updatesEnabled());
    }

    void tickingAutoLoadOpensMenuSlot()
    {
        Running r(Ini::Tile, Top8().slot(3, "https://c.example/", false, "Cee"));
        QVERIFY(Frame::urlItem(r.main(), 2)->isVisible());
        QVERIFY(!r.window(3));
        r.setUp([](frmURLs *f) {
            f->chkAutoLoad[2]->setChecked(true);
            f->cmdOK->click();
        });
        QVERIFY(r.window(3));
        QCOMPARE(navigations(r.window(3)), QStringList{QStringLiteral("Navigate https://c.example/")});
        QVERIFY(!Frame::urlItem(r.main(), 2)->isVisible());
        QCOMPARE(Frame::tabs(r.main())->text(4), QStringLiteral("Cee"));
        QCOMPARE(r.d.ctx->state.Slots(3).closed, int16_t(0));
    }

    void changedUrlReopensAndBlankCloses()
    {
        Running r(Ini::Tile, Top8().slot(1, "https://a.example/").slot(2, "https://b.example/"));
        QPointer<BrowserWindowBase> old1 = r.window(1), old2 = r.window(2);
        QVERIFY(old1 && old2);
        r.setUp([](frmURLs *f) {
            f->txtURL[0]->setText(QStringLiteral("https://z.example/"));
            f->txtURL[1]->clear();
            f->cmdOK->click();
        });
        QVERIFY(old1.isNull() && old2.isNull());
        QVERIFY(r.window(1));
        QCOMPARE(navigations(r.window(1)), QStringList{QStringLiteral("Navigate https://z.example/")});
        QVERIFY(!r.window(2));
        QCOMPARE(r.d.ctx->state.Slots(2).closed, int16_t(-1));
        QCOMPARE(r.d.ctx->state.Slots(1).url, QStringLiteral("https://z.example/"));
    }

    // With tab windows in use a new plain URL waits for the next start, and Tile only warns.
    void tabWindowsInUse()
    {
        Running r(Ini::Tabbed, Top8().slot(1, "https://a.example/"));
        QCOMPARE(r.d.ctx->state.TabbedActive, int16_t(-1));
        BrowserWindowBase *w = r.window(1);
        QVERIFY(w && w->isMaximized());
        const QRect g = w->geometry();
        r.setUp([](frmURLs *f) {
            f->txtURL[4]->setText(QStringLiteral("https://e.example/"));
            f->chkAutoLoad[4]->setChecked(false);
            f->optTile->click();
            f->cmdOK->click();
        });
        QVERIFY(r.d.readFile(QStringLiteral("velloran.dat")).contains("\r\n5,\"https://e.example/\",0,\"\"\r\n"));
        QVERIFY(!Frame::urlItem(r.main(), 4)->isVisible());
        QVERIFY(!r.window(5));
        QCOMPARE(r.d.sound.beeps, 1);
        QCOMPARE(r.d.messages.texts(), QStringList{QStringLiteral(
            "You will need to close and re-open Velloran to apply the tile interface.")});
        QCOMPARE(r.d.messages.shown[0].icon, MsgIcon::Information);
        QCOMPARE(r.window(1), w);
        QVERIFY(w->isMaximized());
        QCOMPARE(w->geometry(), g);
    }

    void unwritableSettingsKeepNewSettingsForTheSession()
    {
        Running r({}, Top8());
        QVERIFY(QDir(r.d.dataDir.path()).mkdir(QStringLiteral("velloran.ini")));
        r.setUp([](frmURLs *f) {
            f->chkOnActive->setChecked(true);
            f->chkEvery->setChecked(true);
            f->txtMinutes->setText(QStringLiteral("15"));
            f->cmdOK->click();
        });
        QCOMPARE(r.d.messages.texts(), QStringList{QStringLiteral(
            "Unable to update .ini file. Refresh Options changed for this session only.")});
        QCOMPARE(r.d.messages.shown[0].icon, MsgIcon::Critical);
        const auto &s = r.d.ctx->state;
        QCOMPARE(s.RefreshOnActive, int16_t(-1));
        QCOMPARE(s.RefreshEvery, int16_t(-1));
        QCOMPARE(s.RefreshMinutes, int16_t(15));
        QVERIFY(r.d.process.ends.isEmpty());

        // Opening Set Up again shows and keeps the session's settings, not the old file's.
        QString shown;
        r.setUp([&](frmURLs *f) {
            shown = f->txtMinutes->text();
            f->cmdCancel->click();
        });
        QCOMPARE(shown, QStringLiteral("15"));
        QCOMPARE(s.RefreshMinutes, int16_t(15));
        QCOMPARE(s.RefreshOnActive, int16_t(-1));
    }

    // OK by its access key or Enter never leaves the minutes box, so OK checks it too.
    void okChecksTheMinutesBox()
    {
        const QByteArray ini = "0,-1,5,-1,0,0\r\n";
        Running r(ini, Top8());
        for (const char *typed : {"0", "99999", "-2"}) {
            QString after;
            r.setUp([&](frmURLs *f) {
                f->txtMinutes->setText(QString::fromLatin1(typed));
                f->cmdOK->click();
                after = f->txtMinutes->text();
                f->cmdCancel->click();
            });
            QCOMPARE(after, QStringLiteral("60"));
            QCOMPARE(r.result, int(QDialog::Rejected));
            QCOMPARE(r.d.readFile(QStringLiteral("velloran.ini")), ini);
            QCOMPARE(r.d.ctx->state.RefreshMinutes, int16_t(5));
            QVERIFY(r.d.messages.shown.isEmpty() && r.d.process.ends.isEmpty());
        }
    }

    void unwritableDataFileEndsAndKeepsOldFile()
    {
        const QByteArray dat = Top8().slot(1, "https://a.example/");
        Running r(Ini::Tile, dat);
        QPointer<BrowserWindowBase> w = r.window(1);
        r.setUp([&](frmURLs *f) {
            f->txtURL[0]->setText(QStringLiteral("https://z.example/"));
            // A folder under a regular file: not even the temporary file can be made.
            r.d.ctx->dataFolder = r.d.dataFile(QStringLiteral("velloran.dat")) + QStringLiteral("/sub");
            f->cmdOK->click();
        });
        QCOMPARE(r.d.messages.texts(), QStringList{QStringLiteral(
            "Error 75.Path/File access error. Unable to start. Re-install Velloran")});
        QCOMPARE(r.d.messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(r.d.process.ends, QList<int>{1});
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.dat")), dat);
        QVERIFY(w);
        QCOMPARE(r.window(1), w.data());
        QVERIFY(r.main()->updatesEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void missingSoundsOnlyBeep()
    {
        Running r(Ini::Tile, Top8().slot(1, "https://a.example/"), false);
        r.setUp([](frmURLs *f) { f->cmdOK->click(); });
        QCOMPARE(r.result, int(QDialog::Accepted));
        QCOMPARE(r.d.sound.beeps, 2);
        QVERIFY(r.d.sound.played.isEmpty());
        QVERIFY(r.d.messages.shown.isEmpty());
    }

    void writtenFileIsEightExactLines()
    {
        Running r(Ini::Tile, Top8());
        r.setUp([](frmURLs *f) {
            f->txtURL[0]->setText(QStringLiteral("https://a.example/x,y&z"));
            f->txtAlias[0]->setText(QStringLiteral("Say \"hi\""));
            f->txtURL[1]->setText(QStringLiteral("https://b.example/?q=\"x\""));
            f->chkAutoLoad[2]->setChecked(true);
            f->cmdOK->click();
        });
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.dat")),
                 QByteArray("1,\"https://a.example/x,y&z\",0,\"Say 'hi'\"\r\n"
                            "2,\"https://b.example/?q=%22x%22\",0,\"\"\r\n"
                            "3,\"\",-1,\"\"\r\n4,\"\",0,\"\"\r\n5,\"\",0,\"\"\r\n"
                            "6,\"\",0,\"\"\r\n7,\"\",0,\"\"\r\n8,\"\",0,\"\"\r\n"));
        QCOMPARE(r.d.readFile(QStringLiteral("velloran.ini")), Ini::Tile);
        QCOMPARE(r.d.messages.texts(),
                 QStringList{QStringLiteral("Double quotes in an alias were replaced by apostrophes.")});
        QCOMPARE(r.d.messages.shown[0].icon, MsgIcon::Information);
        QVERIFY(Frame::urlItem(r.main(), 0)->isVisible());
        QCOMPARE(Frame::urlItem(r.main(), 0)->text(), QStringLiteral("Say 'hi'"));
        QCOMPARE(Frame::urlItem(r.main(), 1)->text(), QStringLiteral("https://b.example/?q=%22x%22"));
    }
};

QTEST_MAIN(tst_Setup)
#include "tst_setup.moc"
