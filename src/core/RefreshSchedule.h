#pragma once
#include "core/SiteOptions.h"
#include <QDateTime>
#include <QList>
#include <QMap>
#include <functional>

// When each open slot's page is reloaded on its own. Times are milliseconds on a clock
// that counts while the computer sleeps and never moves with the wall clock, so a
// changed clock or time zone neither skips nor repeats a reload, and a page overdue
// after a sleep is reloaded once, on its old rhythm. Active hours are read on the
// local wall clock. Slots that fall due together start one after another, spread in
// slot order over a fifth of the shortest interval among them (at most `spreadMaxMs`).
class RefreshSchedule
{
public:
    RefreshSchedule(std::function<qint64()> clockMs, std::function<QDateTime()> localTime, int spreadMaxMs);

    // A slot with its own interval (milliseconds), or 0 to follow the common interval,
    // whose turns come by `commonTurn`. Its first reload falls one interval from now;
    // setting the same again keeps its place.
    void setSlot(int slot, qint64 intervalMs, const ActiveHours &hours = {});
    void removeSlot(int slot);
    bool has(int slot) const { return m_slots.contains(slot); }
    qint64 intervalOf(int slot) const { return m_slots.value(slot).intervalMs; }

    // The common interval's turn has come: every slot that follows it falls due.
    // `intervalMs` is that interval, for the spread.
    void commonTurn(qint64 intervalMs);

    // The slots whose reload starts now, in slot order. A slot outside its active hours
    // stays due and goes once its hours begin.
    QList<int> take();
    // A slot could not be reloaded now (the person is using its page): asked again in `ms`.
    void retry(int slot, qint64 ms);
    // The slot's page has just loaded (shown again, reloaded by the person): a start on
    // its way would only load it a second time.
    void loaded(int slot);

    bool insideHours(int slot) const;
    // When its hours next begin (now when inside them).
    QDateTime hoursResume(int slot) const;
    // Whether its reload is due or on its way.
    bool isDue(int slot) const;
    // Milliseconds until it next falls due (0 when due now); -1 for a slot that only
    // follows the common turn.
    qint64 dueIn(int slot) const;
    // Milliseconds until the next load on its way starts; -1 when none is.
    qint64 nextStartIn() const;

private:
    struct Slot
    {
        qint64 intervalMs = 0;
        ActiveHours hours;
        qint64 dueAt = 0;      // own interval: when it next falls due
        bool commonDue = false;
        qint64 startAt = -1;   // on its way: when its load starts
        bool held = false;     // its start was put off: its rhythm starts again from it
    };

    std::function<qint64()> m_clock;
    std::function<QDateTime()> m_local;
    int m_spreadMaxMs;
    qint64 m_commonInterval = 0;
    QMap<int, Slot> m_slots;
};
