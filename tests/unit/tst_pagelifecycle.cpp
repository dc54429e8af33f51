#include "browser/web/PageLifecycle.h"
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
};

QTEST_GUILESS_MAIN(TstPageLifecycle)
#include "tst_pagelifecycle.moc"
