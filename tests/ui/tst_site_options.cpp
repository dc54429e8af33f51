#include "FakeServices.h"
#include "setup/frmSiteOptions.h"
#include "setup/frmURLs.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QtTest>

namespace {

const QString kSite = QStringLiteral("https://clock.example/board?x=\"1\"");

// Runs the dialog for `site` as a person would meet it: shown, then `work` presses a button.
bool runDialog(FakeDesktop &d, const std::function<void(frmSiteOptions *)> &work, const QString &site = kSite)
{
    d.dialogs.script = [&](QDialog *dlg) {
        auto *f = qobject_cast<frmSiteOptions *>(dlg);
        f->show();
        if (!QTest::qWaitForWindowActive(f))
            return -1;
        work(f);
        return dlg->result();
    };
    return frmSiteOptions::edit(*d.ctx, site, QStringLiteral("Clock"), nullptr);
}

SiteOptions everyOption()
{
    SiteOptions o;
    o.intervalSeconds = 90;
    o.hours = {quint8(0b1000001), 22 * 60, 6 * 60 + 30}; // Mon and Sun, past midnight
    o.notWhileUsed = o.ignoreNumbers = o.notifyOnChange = true;
    o.watchedText = QStringLiteral("Sold out");
    o.dwellSeconds = 0;
    return o;
}

} // namespace

class tst_SiteOptions : public QObject
{
    Q_OBJECT

private slots:
    void dialogKeepsWhatIsChosen()
    {
        FakeDesktop d;
        const SiteOptions want = everyOption();
        const bool kept = runDialog(d, [&](frmSiteOptions *f) {
            QCOMPARE(f->windowTitle(), QStringLiteral("Site Options"));
            QCOMPARE(f->lblSiteName->text(), QStringLiteral("Clock"));
            QCOMPARE(f->lblSiteAddress->text(), kSite);
            QCOMPARE(f->chosen(), SiteOptions());
            QVERIFY(!f->spnInterval->isEnabled() && !f->timFrom->isEnabled() && !f->txtNotifyText->isEnabled());
            QCOMPARE(f->spnDwell->text(), QStringLiteral("30 s"));

            f->cboInterval->setCurrentIndex(1);
            f->cboIntervalUnit->setCurrentIndex(frmSiteOptions::Seconds);
            f->spnInterval->setValue(90);
            f->chkNotWhileUsed->setChecked(true);
            // A first tick proposes the working week.
            f->chkHours->click();
            QCOMPARE(f->chosen().hours, (ActiveHours{quint8(0b0011111), 7 * 60, 19 * 60}));
            QVERIFY(f->lblHoursHint->text().isEmpty());
            for (int i = 0; i < 7; ++i)
                f->chkDay[i]->setChecked(i == 0 || i == 6);
            f->timFrom->setTime(QTime(22, 0));
            f->timTo->setTime(QTime(6, 30));
            QCOMPARE(f->lblHoursHint->text(), QStringLiteral("Ends the next day, past midnight."));
            f->chkIgnoreNumbers->setChecked(true);
            f->chkNotifyChange->setChecked(true);
            f->chkNotifyText->click();
            QVERIFY(f->txtNotifyText->isEnabled() && f->txtNotifyText->hasFocus());
            f->txtNotifyText->setText(QStringLiteral("  Sold   out "));
            f->spnDwell->setValue(0);
            QCOMPARE(f->spnDwell->text(), QStringLiteral("Not shown"));
            f->cmdOK->click();
        });
        QVERIFY(kept);
        QCOMPARE(d.ctx->sites->options(kSite), want);
        QCOMPARE(SiteSettings(d.dataDir.path()).options(kSite), want);

        // Reopened, it shows them; changed and cancelled, nothing changes.
        QVERIFY(!runDialog(d, [&](frmSiteOptions *f) {
            QCOMPARE(f->chosen(), want);
            QCOMPARE(f->spnInterval->value(), 90);
            QCOMPARE(f->cboIntervalUnit->currentIndex(), int(frmSiteOptions::Seconds));
            QVERIFY(f->chkHours->isChecked() && f->chkDay[6]->isChecked() && !f->chkDay[1]->isChecked());
            QCOMPARE(f->txtNotifyText->text(), QStringLiteral("Sold out"));
            f->cboInterval->setCurrentIndex(0);
            f->chkHours->click();
            f->chkNotifyChange->setChecked(false);
            f->cmdCancel->click();
        }));
        QCOMPARE(d.ctx->sites->options(kSite), want);

        // Hours ticked with no day keeps the dialog open until a day is chosen; a watched
        // text box ticked but empty watches nothing; the interval stays within its range.
        QVERIFY(runDialog(d, [&](frmSiteOptions *f) {
            for (QCheckBox *day : f->chkDay)
                day->setChecked(false);
            f->txtNotifyText->clear();
            f->cboIntervalUnit->setCurrentIndex(frmSiteOptions::Hours);
            QCOMPARE(f->spnInterval->value(), 24); // 90 is beyond an hour's bounds
            f->spnInterval->setValue(500);
            QCOMPARE(f->chosen().intervalSeconds, SiteOptions::kMaxInterval);
            f->cboIntervalUnit->setCurrentIndex(frmSiteOptions::Seconds);
            f->spnInterval->selectAll();
            QTest::keyClicks(f->spnInterval, QStringLiteral("3"));
            f->cmdOK->click();
            QCOMPARE(d.messages.texts(), QStringList{QStringLiteral("Choose at least one day for the active hours.")});
            QVERIFY(f->isVisible());
            QCOMPARE(f->spnInterval->value(), SiteOptions::kMinInterval);
            f->chkDay[5]->setChecked(true);
            f->cmdOK->click();
            QVERIFY(!f->isVisible());
        }));
        SiteOptions now = want;
        now.intervalSeconds = SiteOptions::kMinInterval;
        now.hours.days = quint8(0b0100000);
        now.watchedText.clear();
        QCOMPARE(d.ctx->sites->options(kSite), now);

        // A file that cannot be written: said so, and the options hold for this session.
        d.messages.shown.clear();
        QFile::remove(d.dataFile(QStringLiteral("velloran-sites.txt")));
        QVERIFY(QDir(d.dataDir.path()).mkdir(QStringLiteral("velloran-sites.txt")));
        QVERIFY(runDialog(d, [](frmSiteOptions *f) {
            f->chkIgnoreNumbers->setChecked(false);
            f->cmdOK->click();
        }));
        QCOMPARE(d.messages.texts(), QStringList{QStringLiteral("Velloran could not save the options for this site; "
                                                                "they are kept until you close Velloran.")});
        QVERIFY(!d.ctx->sites->options(kSite).ignoreNumbers);

        // No address, or nowhere to keep options: no dialog, and a word why.
        d.messages.shown.clear();
        d.dialogs.shown.clear();
        QVERIFY(!frmSiteOptions::edit(*d.ctx, QStringLiteral("  "), {}, nullptr));
        d.ctx->sites = nullptr;
        QVERIFY(!frmSiteOptions::edit(*d.ctx, kSite, {}, nullptr));
        QVERIFY(d.dialogs.shown.isEmpty());
        QCOMPARE(d.messages.texts(),
                 (QStringList{QStringLiteral("Enter the site's address first."),
                              QStringLiteral("Velloran cannot keep options for sites in this session.")}));
    }

    void keyboardAndSetUpRows()
    {
        FakeDesktop d;
        {
            // Every control is reached by its own access key or its label's, each key
            // once, and Tab goes through them in the order they are read.
            frmSiteOptions f(*d.ctx, kSite, {});
            QList<QWidget *> controls{f.cboInterval, f.spnInterval, f.cboIntervalUnit, f.chkNotWhileUsed, f.chkHours};
            for (QCheckBox *day : f.chkDay)
                controls << day;
            controls << f.timFrom << f.timTo << f.chkIgnoreNumbers << f.chkNotifyChange << f.chkNotifyText << f.spnDwell;
            QString keys;
            for (QWidget *w : controls) {
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
                QString text;
                if (auto *b = qobject_cast<QAbstractButton *>(w))
                    text = b->text();
                for (QLabel *l : f.findChildren<QLabel *>())
                    if (l->buddy() == w)
                        text = l->text();
                const qsizetype amp = text.indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && !keys.contains(text[amp + 1].toLower()), qPrintable(w->objectName()));
                keys += text[amp + 1].toLower();
            }
            controls.insert(controls.size() - 1, f.txtNotifyText);
            controls << f.cmdOK << f.cmdCancel;
            QList<QWidget *> chain;
            QWidget *w = f.cboInterval;
            for (int step = 0; step < 500 && chain.size() < controls.size(); ++step, w = w->nextInFocusChain())
                if (controls.contains(w))
                    chain << w;
            QCOMPARE(chain, controls);
        }

        d.ctx->state.FirstRun = -1;
        frmURLs setUp(*d.ctx);
        QVERIFY(!setUp.cmdSiteOptions[2]->isEnabled());
        QCOMPARE(setUp.cmdSiteOptions[2]->accessibleName(), QStringLiteral("Site options for site 3"));
        setUp.txtURL[2]->setText(QStringLiteral("https://c.example/\"q\""));
        setUp.txtAlias[2]->setText(QStringLiteral("Cee"));
        QVERIFY(setUp.cmdSiteOptions[2]->isEnabled() && !setUp.cmdSiteOptions[3]->isEnabled());
        QString shownName;
        d.dialogs.script = [&](QDialog *dlg) {
            auto *f = qobject_cast<frmSiteOptions *>(dlg);
            shownName = f->lblSiteName->text();
            f->chkNotifyChange->setChecked(true);
            f->cmdOK->click();
            return dlg->result();
        };
        setUp.cmdSiteOptions[2]->click();
        QCOMPARE(d.dialogs.shown, QStringList{QStringLiteral("frmSiteOptions")});
        QCOMPARE(shownName, QStringLiteral("Cee"));
        // Keyed as the data file will hold the address.
        QVERIFY(d.ctx->sites->options(QStringLiteral("https://c.example/%22q%22")).notifyOnChange);
        setUp.txtURL[2]->setText(QStringLiteral("  "));
        QVERIFY(!setUp.cmdSiteOptions[2]->isEnabled());
    }
};

QTEST_MAIN(tst_SiteOptions)
#include "tst_site_options.moc"
