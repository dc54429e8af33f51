#include "engine/PageLifecycle.h"
#include <QTest>

using State = PageLifecycle::State;
using Facts = PageLifecycle::Facts;

// The decision alone: the engine's transitions are exercised end to end.
class TstPageLifecycle : public QObject
{
    Q_OBJECT
private slots:
    void shownOrBusyPagesStayActive()
    {
        Facts f;
        f.recommended = State::Discarded;
        f.hiddenAMinute = f.mayDiscard = true;
        f.visible = true;
        QCOMPARE(PageLifecycle::target(f), State::Active);
        f.visible = false;
        f.busy = true;
        QCOMPARE(PageLifecycle::target(f), State::Active);
        // Only being shown brings a discarded page back.
        f.current = State::Discarded;
        QCOMPARE(PageLifecycle::target(f), State::Discarded);
        f.visible = true;
        QCOMPARE(PageLifecycle::target(f), State::Active);
    }

    void hiddenPagesFreezeThenDiscardOnlyWhenAllowed()
    {
        Facts f;
        f.recommended = State::Frozen;
        QCOMPARE(PageLifecycle::target(f), State::Frozen);
        f.current = State::Frozen;
        f.recommended = State::Discarded;
        QCOMPARE(PageLifecycle::target(f), State::Frozen); // not yet a minute
        f.hiddenAMinute = true;
        QCOMPARE(PageLifecycle::target(f), State::Frozen); // the window does not allow it
        f.mayDiscard = true;
        QCOMPARE(PageLifecycle::target(f), State::Discarded);
        f.current = State::Frozen;
        f.awake = true; // allowed to notify: it keeps running
        QCOMPARE(PageLifecycle::target(f), State::Active);
    }

    void neverBelowTheEnginesRecommendation()
    {
        Facts f;
        f.hiddenAMinute = f.mayDiscard = true;
        f.recommended = State::Active; // sound playing, still loading, an opener...
        QCOMPARE(PageLifecycle::target(f), State::Active);
        f.current = State::Frozen;
        f.recommended = State::Frozen; // typed into a form: kept, never discarded
        QCOMPARE(PageLifecycle::target(f), State::Frozen);
    }

    // A framed page is out of sight only when nothing of it shows in its area.
    void coveredOnlyWhenNothingShows()
    {
        const QRect bounds(0, 0, 800, 600);
        const QRect page(20, 50, 400, 300);
        QVERIFY(PageLifecycle::covered(page, bounds, {QRect(0, 0, 500, 400)}));
        // Two windows side by side cover it together; a strip left uncovered shows it.
        QVERIFY(PageLifecycle::covered(page, bounds, {QRect(0, 0, 220, 400), QRect(220, 0, 300, 400)}));
        QVERIFY(!PageLifecycle::covered(page, bounds, {QRect(0, 0, 220, 400), QRect(221, 0, 300, 400)}));
        QVERIFY(!PageLifecycle::covered(page, bounds, {}));
        // The part beyond the area's edge counts as out of sight; an empty page is never covered.
        QVERIFY(PageLifecycle::covered(QRect(700, 50, 400, 300), bounds, {QRect(650, 0, 150, 600)}));
        QVERIFY(PageLifecycle::covered(QRect(900, 50, 100, 100), bounds, {}));
        QVERIFY(!PageLifecycle::covered(QRect(20, 50, 0, 300), bounds, {QRect(0, 0, 800, 600)}));
    }
};

QTEST_GUILESS_MAIN(TstPageLifecycle)
#include "tst_pagelifecycle.moc"
