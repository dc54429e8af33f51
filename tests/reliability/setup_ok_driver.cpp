// Runs the real main window on a given data folder with fake desktop services and
// presses OK in the Set Up dialog over and over, switching the Top 8 and the refresh
// options between two sets each time. test_kill_trials.py kills it at random moments
// and checks that the files on disk are always one set or the other, whole.
//
//   setup_ok_driver DATA_FOLDER SETS_JSON [COMMITS]
//
// SETS_JSON holds {"sets": [A, B]}, each set {"rows": [8 x {"url", "autoload",
// "alias"}], "onActive", "every", "minutes", "layout": "tile" | "cascade"}. The folder
// is expected to hold set A's files, so the first OK writes set B. COMMITS (0 = no
// limit) stops the loop after that many OKs.
//
// Output, one line each: "ok N set X" after each OK; "message: TEXT" for every
// message box; "ended CODE" when the program ended itself (exit 3); "loaded
// mismatch: ..." when the dialog did not load the set committed last (exit 4);
// "failed N" when OK N was not accepted or showed a message (exit 5).
#include "FakeServices.h"
#include "FakeBrowser.h"
#include "mainwindow/MDIForm1.h"
#include "setup/frmURLs.h"
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <cstdio>

namespace {

struct Row
{
    QString url;
    bool autoload = false;
    QString alias;
};

struct Set
{
    std::array<Row, 8> rows;
    bool onActive = false;
    bool every = false;
    int minutes = 1;
    bool cascade = false; // else tile
};

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    // The test reads the lines while the program runs and kills it at any moment.
    std::fflush(stdout);
}

bool loadSets(const QString &path, std::array<Set, 2> &sets)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QJsonArray all = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("sets")).toArray();
    if (all.size() != 2)
        return false;
    for (int s = 0; s < 2; ++s) {
        const QJsonObject o = all.at(s).toObject();
        const QJsonArray rows = o.value(QStringLiteral("rows")).toArray();
        if (rows.size() != 8)
            return false;
        for (int i = 0; i < 8; ++i) {
            const QJsonObject r = rows.at(i).toObject();
            sets[s].rows[i] = {r.value(QStringLiteral("url")).toString(), r.value(QStringLiteral("autoload")).toBool(),
                               r.value(QStringLiteral("alias")).toString()};
        }
        sets[s].onActive = o.value(QStringLiteral("onActive")).toBool();
        sets[s].every = o.value(QStringLiteral("every")).toBool();
        sets[s].minutes = o.value(QStringLiteral("minutes")).toInt();
        sets[s].cascade = o.value(QStringLiteral("layout")).toString() == QLatin1String("cascade");
    }
    return true;
}

// What the dialog shows that differs from the set, or nothing.
QString differences(const frmURLs &f, const Set &set)
{
    QStringList out;
    for (int i = 0; i < 8; ++i) {
        const Row &r = set.rows[i];
        if (f.txtURL[i]->text() != r.url || f.chkAutoLoad[i]->isChecked() != r.autoload
            || f.txtAlias[i]->text() != r.alias)
            out << QStringLiteral("row %1 is \"%2\" %3 \"%4\"")
                       .arg(QString::number(i + 1), f.txtURL[i]->text(),
                            f.chkAutoLoad[i]->isChecked() ? QStringLiteral("auto") : QStringLiteral("manual"),
                            f.txtAlias[i]->text());
    }
    if (f.chkOnActive->isChecked() != set.onActive || f.chkEvery->isChecked() != set.every
        || f.txtMinutes->text() != QString::number(set.minutes) || f.optCascade->isChecked() != set.cascade
        || f.optTile->isChecked() == set.cascade)
        out << QStringLiteral("refresh options or layout differ");
    return out.join(QStringLiteral("; "));
}

void fill(frmURLs &f, const Set &set)
{
    for (int i = 0; i < 8; ++i) {
        f.txtURL[i]->setText(set.rows[i].url);
        f.chkAutoLoad[i]->setChecked(set.rows[i].autoload);
        f.txtAlias[i]->setText(set.rows[i].alias);
    }
    f.chkOnActive->setChecked(set.onActive);
    // Changing Every resets the minutes, so they come after it.
    f.chkEvery->setChecked(set.every);
    f.txtMinutes->setText(QString::number(set.minutes));
    (set.cascade ? f.optCascade : f.optTile)->setChecked(true);
}

// The fakes around a folder of the caller's choosing: a killed driver must leave
// nothing behind outside it.
struct Desktop : FakeServiceSet
{
    AppContext ctx;
    explicit Desktop(const QString &folder) { attach(ctx, folder); }
};

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(velloran);
    const QStringList args = app.arguments();
    std::array<Set, 2> sets;
    if (args.size() < 3 || !loadSets(args.at(2), sets)) {
        std::fprintf(stderr, "usage: setup_ok_driver DATA_FOLDER SETS_JSON [COMMITS]\n");
        return 2;
    }
    const long limit = args.size() > 3 ? args.at(3).toLong() : 0;

    Desktop d(args.at(1));
    qsizetype reported = 0;
    auto reportMessages = [&] {
        for (; reported < d.messages.shown.size(); ++reported)
            say(QStringLiteral("message: ") + d.messages.shown.at(reported).text);
    };

    auto *main = new MDIForm1(d.ctx);
    main->show();
    main->Form_Load();
    flushDeletes();
    reportMessages();
    if (d.ctx.ended) {
        say(QStringLiteral("ended %1").arg(d.ctx.endCode));
        return 3;
    }
    if (reported > 0) { // set A's files should start the program without a word
        say(QStringLiteral("failed 0"));
        return 5;
    }

    int previous = 0; // the folder starts with set A
    for (long n = 1; limit == 0 || n <= limit; ++n) {
        const int next = 1 - previous;
        const qsizetype before = reported;
        QString mismatch;
        int result = -1;
        d.dialogs.script = [&](QDialog *dlg) {
            auto *f = qobject_cast<frmURLs *>(dlg);
            if (!f)
                return result = -2;
            mismatch = differences(*f, sets[previous]);
            fill(*f, sets[next]);
            f->cmdOK_Click();
            return result = f->result();
        };
        main->mnuSetup_Click();
        flushDeletes();
        reportMessages();
        if (d.ctx.ended) {
            say(QStringLiteral("ended %1").arg(d.ctx.endCode));
            return 3;
        }
        if (!mismatch.isEmpty()) {
            say(QStringLiteral("loaded mismatch: ") + mismatch);
            return 4;
        }
        if (result != QDialog::Accepted || reported > before) {
            say(QStringLiteral("failed %1").arg(n));
            return 5;
        }
        say(QStringLiteral("ok %1 set %2").arg(n).arg(QChar(u'A' + next)));
        previous = next;
    }
    delete main;
    flushDeletes();
    return 0;
}
