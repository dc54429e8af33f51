#include "core/RefreshSchedule.h"
#include <algorithm>
#include <utility>

RefreshSchedule::RefreshSchedule(std::function<qint64()> clockMs, std::function<QDateTime()> localTime, int spreadMaxMs)
    : m_clock(std::move(clockMs)), m_local(std::move(localTime)), m_spreadMaxMs(spreadMaxMs)
{
}

void RefreshSchedule::setSlot(int slot, qint64 intervalMs, const ActiveHours &hours)
{
    auto it = m_slots.find(slot);
    if (it != m_slots.end() && it->intervalMs == intervalMs && it->hours == hours)
        return;
    Slot s;
    s.intervalMs = std::max<qint64>(0, intervalMs);
    s.hours = hours;
    s.dueAt = m_clock() + s.intervalMs;
    m_slots.insert(slot, s);
}

void RefreshSchedule::removeSlot(int slot)
{
    m_slots.remove(slot);
}

void RefreshSchedule::commonTurn(qint64 intervalMs)
{
    m_commonInterval = intervalMs;
    for (Slot &s : m_slots)
        if (s.intervalMs == 0)
            s.commonDue = true;
}

QList<int> RefreshSchedule::take()
{
    const qint64 now = m_clock();
    const QDateTime local = m_local();
    // Those falling due now join the slots already on their way, spread after them.
    QList<int> fresh;
    qint64 shortest = 0;
    for (auto it = m_slots.begin(); it != m_slots.end(); ++it) {
        Slot &s = *it;
        const bool due = s.intervalMs ? now >= s.dueAt : s.commonDue;
        if (!due || s.startAt >= 0 || !s.hours.contains(local))
            continue;
        const qint64 interval = s.intervalMs ? s.intervalMs : m_commonInterval;
        shortest = shortest ? std::min(shortest, interval) : interval;
        fresh.append(it.key());
        if (s.intervalMs) {
            // Keeps its rhythm; periods missed while asleep or outside hours are not made up.
            const qint64 missed = (now - s.dueAt) / s.intervalMs + 1;
            s.dueAt += missed * s.intervalMs;
        }
        s.commonDue = false;
    }
    const qint64 spread = std::min<qint64>(m_spreadMaxMs, shortest / 5);
    for (int i = 0; i < fresh.size(); ++i)
        m_slots[fresh[i]].startAt = now + (fresh.size() > 1 ? spread * i / fresh.size() : 0);

    QList<int> starting;
    for (auto it = m_slots.begin(); it != m_slots.end(); ++it)
        if (it->startAt >= 0 && it->startAt <= now) {
            it->startAt = -1;
            // A reload put off until now is not followed by another a moment later.
            if (std::exchange(it->held, false) && it->intervalMs)
                it->dueAt = now + it->intervalMs;
            starting.append(it.key());
        }
    return starting;
}

void RefreshSchedule::retry(int slot, qint64 ms)
{
    auto it = m_slots.find(slot);
    if (it != m_slots.end()) {
        it->startAt = m_clock() + std::max<qint64>(0, ms);
        it->held = true;
    }
}

void RefreshSchedule::loaded(int slot)
{
    auto it = m_slots.find(slot);
    if (it == m_slots.end() || it->startAt < 0)
        return;
    it->startAt = -1;
    it->held = false;
}

bool RefreshSchedule::insideHours(int slot) const
{
    return m_slots.value(slot).hours.contains(m_local());
}

QDateTime RefreshSchedule::hoursResume(int slot) const
{
    return m_slots.value(slot).hours.nextStart(m_local());
}

bool RefreshSchedule::isDue(int slot) const
{
    const auto it = m_slots.constFind(slot);
    if (it == m_slots.cend())
        return false;
    return it->startAt >= 0 || (it->intervalMs ? m_clock() >= it->dueAt : it->commonDue);
}

qint64 RefreshSchedule::nextStartIn() const
{
    qint64 first = -1;
    for (const Slot &s : m_slots)
        if (s.startAt >= 0 && (first < 0 || s.startAt < first))
            first = s.startAt;
    return first < 0 ? -1 : std::max<qint64>(0, first - m_clock());
}

qint64 RefreshSchedule::dueIn(int slot) const
{
    const auto it = m_slots.constFind(slot);
    if (it == m_slots.cend() || !it->intervalMs)
        return -1;
    return std::max<qint64>(0, it->dueAt - m_clock());
}
