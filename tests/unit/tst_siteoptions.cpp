// Each site's own rhythm: its options kept in the per-site file, active hours, and the
// schedule on a test clock over a day, a weekend, a sleep and a change of the wall clock.
#include "core/RefreshSchedule.h"
#include "engine/SiteSettings.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The boot clock and the wall clock, moved together unless a test moves one alone.
struct Clocks
{
    qint64 ms = 0;
    QDateTime local{QDate(2026, 12, 7), QTime(0, 0)}; // a Monday
    void advance(qint64 d)
    {
        ms += d;
        local = local.addMSecs(d);
    }
    RefreshSchedule schedule(int spreadMaxMs = 10000)
    {
        return RefreshSchedule([this] { return ms; }, [this] { return local; }, spreadMaxMs);
    }
};

ActiveHours hours(quint8 days, int from, int to)
{
    return ActiveHours{days, from, to};
}

constexpr quint8 kWeekdays = 0b0011111, kFriday = 0b0010000;

// Runs the schedule for `ms` in `step`s, recording when each slot started.
QMap<int, QList<qint64>> run(Clocks &c, RefreshSchedule &s, qint64 ms, qint64 step = 100)
{
    QMap<int, QList<qint64>> starts;
    for (qint64 end = c.ms + ms; c.ms < end;) {
        c.advance(step);
        for (int slot : s.take())
            starts[slot].append(c.ms);
    }
    return starts;
}

} // namespace

class TstSiteOptions : public QObject
{
    Q_OBJECT
private slots:
    void optionsKeptBesideTheOtherAnswers()
    {
        QTemporaryDir dir;
        SiteOptions o;
        o.intervalSeconds = 90;
        o.hours = hours(kWeekdays, 7 * 60, 19 * 60);
        o.notWhileUsed = o.ignoreNumbers = o.notifyOnChange = true;
        o.watchedText = QStringLiteral("  Sold\tout  ");
        o.dwellSeconds = 0;
        const QString site = QStringLiteral("http://127.0.0.1:8080/board with space");
        {
            SiteSettings sites(dir.path());
            QVERIFY(sites.setZoom(QStringLiteral("127.0.0.1"), 150));
            QVERIFY(sites.setOptions(site, o));
            QVERIFY(!sites.setOptions(QString(), o)); // nothing to key it by
        }
        SiteSettings again(dir.path());
        o.watchedText = QStringLiteral("Sold out"); // kept on one line
        QCOMPARE(again.options(site), o);
        QCOMPARE(again.zoom(QStringLiteral("127.0.0.1")), 150);
        QCOMPARE(again.options(QStringLiteral("http://other/")), SiteOptions());
        // Out of bounds is brought within them; back to the defaults forgets the site.
        o.intervalSeconds = 3;
        QVERIFY(again.setOptions(site, o));
        QCOMPARE(again.options(site).intervalSeconds, SiteOptions::kMinInterval);
        QVERIFY(again.setOptions(site, SiteOptions()));
        QVERIFY(!again.parse(SiteSettings::format(SiteSettings::Data())).value().options.contains(SiteSettings::siteKey(site)));

        // Every option line the file can hold reads back; a damaged one is refused, as
        // any damaged line is (the file is then set aside and start-up goes on).
        const QByteArray good = "http://a/\tsite\tinterval\t86400\r\nhttp://a/\tsite\thours\t1000001 22:00 06:00\r\n"
                                "http://a/\tsite\twatch-text\tSold out\r\nhttp://a/\tsite\tdwell\t0\r\n";
        const auto read = SiteSettings::parse(good);
        QVERIFY(read);
        QCOMPARE(SiteSettings::format(*read), good);
        for (const QByteArray &bad :
             {QByteArray("http://a/\tsite\tinterval\t9"), QByteArray("http://a/\tsite\tinterval\t86401"),
              QByteArray("http://a/\tsite\tinterval\t+60"), QByteArray("http://a/\tsite\thours\t0000000 07:00 19:00"),
              QByteArray("http://a/\tsite\thours\t1111100 24:00 19:00"), QByteArray("http://a/\tsite\tidle\t1"),
              QByteArray("http://a/\tsite\tnot-while-used\tyes"), QByteArray("http://a/\tsite\twatch-text\t"),
              QByteArray("http://a/\tsetting\tdwell\t5")})
            QVERIFY2(!SiteSettings::parse(bad), bad.constData());
    }

    void activeHours()
    {
        const QDate monday(2026, 12, 7), friday = monday.addDays(4), saturday = monday.addDays(5);
        auto at = [](QDate d, int h, int m = 0) { return QDateTime(d, QTime(h, m)); };
        const ActiveHours office = hours(kWeekdays, 7 * 60, 19 * 60);
        QVERIFY(office.contains(at(monday, 7)) && office.contains(at(friday, 18, 59)));
        QVERIFY(!office.contains(at(monday, 19)) && !office.contains(at(monday, 6, 59)) && !office.contains(at(saturday, 12)));
        QCOMPARE(office.nextStart(at(friday, 19)), at(monday.addDays(7), 7));
        QCOMPARE(office.nextStart(at(monday, 8)), at(monday, 8));
        QCOMPARE(office.readable(), QStringLiteral("Mon–Fri 07:00–19:00"));
        QCOMPARE(ActiveHours::fromText(office.text()), office);
        // Friday night past midnight belongs to Friday: Saturday morning is inside,
        // Saturday night is not, and neither is Thursday night.
        const ActiveHours night = hours(kFriday, 22 * 60, 6 * 60);
        QVERIFY(night.contains(at(friday, 23)) && night.contains(at(saturday, 5, 59)));
        QVERIFY(!night.contains(at(saturday, 6)) && !night.contains(at(saturday, 23)) && !night.contains(at(friday.addDays(-1), 23)));
        QVERIFY(!night.contains(at(friday, 5)));
        QVERIFY(ActiveHours().contains(at(saturday, 3))); // no days ticked: no limit
    }

    void aDayOfMixedIntervals()
    {
        Clocks c;
        RefreshSchedule s = c.schedule();
        const QMap<int, qint64> every{{1, 10000}, {2, 90000}, {3, 3600000}, {5, 86400000}};
        for (auto it = every.cbegin(); it != every.cend(); ++it)
            s.setSlot(it.key(), it.value());
        const auto starts = run(c, s, 86400000 + 3000); // the last ones, spread, start just after
        for (auto it = every.cbegin(); it != every.cend(); ++it) {
            const QList<qint64> &at = starts.value(it.key());
            QCOMPARE(at.size(), int(86400000 / it.value()));
            // Each lands on its own schedule, late by no more than the spread that
            // keeps pages due together apart (a fifth of the shortest interval, 10 s
            // at most) and the step of this run; lateness never adds up.
            for (int n = 0; n < at.size(); ++n)
                QVERIFY2(at[n] - (n + 1) * it.value() <= 2000 + 100 && at[n] >= (n + 1) * it.value(),
                         qPrintable(QStringLiteral("slot %1 reload %2 at %3").arg(it.key()).arg(n).arg(at[n])));
        }
    }

    void dueTogetherSpreadInSlotOrder()
    {
        Clocks c;
        RefreshSchedule s = c.schedule();
        for (int slot = 8; slot >= 1; --slot)
            s.setSlot(slot, 0);
        s.commonTurn(60000);
        QMap<qint64, int> startedAt;
        QList<int> order;
        for (int i = 0; i < 200; ++i) {
            for (int slot : s.take()) {
                order << slot;
                startedAt[c.ms / 1000] += 1;
            }
            if (i == 0)
                QCOMPARE(s.nextStartIn(), 1250); // the next start is known to the millisecond
            c.advance(100);
        }
        QCOMPARE(order, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
        QVERIFY(std::all_of(startedAt.begin(), startedAt.end(), [](int n) { return n == 1; })); // never two in one second
        QVERIFY(startedAt.lastKey() <= 10);
        QCOMPARE(s.nextStartIn(), -1);
        // A short interval spreads them over a fifth of it.
        s.commonTurn(20000);
        QList<qint64> at;
        for (int i = 0; i < 60; ++i, c.advance(100))
            for (int slot : s.take())
                at << c.ms;
        QCOMPARE(at.size(), 8);
        QVERIFY(at.last() - at.first() <= 4000 && at.last() - at.first() >= 3000);
    }

    void hoursSleepAndClockChanges()
    {
        // Weekdays 07:00-19:00 from Friday 18:58 to Monday 07:01: 18:59, then none from
        // 19:00 over the weekend, one on Monday at 07:00 for all the missed ones, 07:01.
        Clocks c;
        c.local = QDateTime(QDate(2026, 12, 11), QTime(18, 58));
        RefreshSchedule s = c.schedule();
        s.setSlot(1, 60000, hours(kWeekdays, 7 * 60, 19 * 60));
        const auto starts = run(c, s, (2 * 24 * 60 + 12 * 60 + 3) * 60000LL, 1000).value(1);
        QCOMPARE(starts.size(), 3);
        QCOMPARE(starts[1] - starts[0], (2 * 24 * 60 + 12 * 60 + 1) * 60000LL);
        QVERIFY(s.insideHours(1));

        // Eight hours asleep: one reload on waking, then the old rhythm.
        Clocks d;
        RefreshSchedule t = d.schedule();
        t.setSlot(1, 300000);
        d.advance(8 * 3600000 + 1000);
        QCOMPARE(t.take(), QList<int>{1});
        QCOMPARE(t.dueIn(1), 300000 - 1000);
        QCOMPARE(run(d, t, 299000).value(1).size(), 1);

        // The wall clock set back an hour, then forward a day: the rhythm is untouched.
        t.setSlot(2, 60000);
        d.local = d.local.addSecs(-3600);
        QCOMPARE(run(d, t, 605000).value(2).size(), 10); // the last one spread from slot 1's
        d.local = d.local.addDays(1);
        QCOMPARE(run(d, t, 605000).value(2).size(), 10);

        // Someone using the page: asked again later, once, and its rhythm goes on from then.
        t.setSlot(3, 60000);
        run(d, t, 59900);
        d.advance(100);
        QCOMPARE(t.take(), QList<int>{3});
        t.retry(3, 5000);
        QCOMPARE(run(d, t, 4900).value(3).size(), 0);
        QCOMPARE(run(d, t, 200).value(3).size(), 1);
        QCOMPARE(t.dueIn(3), 60000 - 100);
        // A page that has just loaded anyway (shown again) is not loaded a second time.
        t.setSlot(4, 0);
        t.setSlot(5, 0);
        t.commonTurn(60000);
        QCOMPARE(t.take(), QList<int>{4}); // 5 starts a moment later, spread from 4
        t.loaded(5);
        QCOMPARE(run(d, t, 10000).value(5).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TstSiteOptions)
#include "tst_siteoptions.moc"
