#include "core/SiteOptions.h"
#include <QLocale>
#include <QTimeZone>
#include <QRegularExpression>
#include <QStringList>

namespace {

int dayBit(const QDate &d)
{
    return 1 << (d.dayOfWeek() - 1);
}

QString clock(int minutes)
{
    return QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

bool ActiveHours::contains(const QDateTime &t) const
{
    if (!limited())
        return true;
    const QTime tm = t.time();
    const int now = tm.hour() * 60 + tm.minute();
    const QDate today = t.date();
    if (start == end)
        return days & dayBit(today);
    if (start < end)
        return (days & dayBit(today)) && now >= start && now < end;
    // Past midnight: the evening part belongs to today, the morning part to yesterday.
    return ((days & dayBit(today)) && now >= start) || ((days & dayBit(today.addDays(-1))) && now < end);
}

QDateTime ActiveHours::nextStart(const QDateTime &from) const
{
    if (contains(from))
        return from;
    // Windows open only at `start` on a ticked day; a week ahead always holds one.
    for (int d = 0; d <= 7; ++d) {
        const QDate day = from.date().addDays(d);
        if (!(days & dayBit(day)))
            continue;
        const QDateTime at(day, QTime(start / 60, start % 60), from.timeZone());
        if (at > from)
            return at;
    }
    return from.addDays(7);
}

QString ActiveHours::text() const
{
    QString bits;
    for (int i = 0; i < 7; ++i)
        bits += (days & (1 << i)) ? QLatin1Char('1') : QLatin1Char('0');
    return bits + QLatin1Char(' ') + clock(start) + QLatin1Char(' ') + clock(end);
}

std::optional<ActiveHours> ActiveHours::fromText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([01]{7}) ([01]\\d|2[0-3]):([0-5]\\d) ([01]\\d|2[0-3]):([0-5]\\d)$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    ActiveHours h;
    for (int i = 0; i < 7; ++i)
        if (m.captured(1)[i] == QLatin1Char('1'))
            h.days |= quint8(1 << i);
    h.start = m.captured(2).toInt() * 60 + m.captured(3).toInt();
    h.end = m.captured(4).toInt() * 60 + m.captured(5).toInt();
    return h;
}

QString ActiveHours::readable() const
{
    if (!limited())
        return QStringLiteral("at any time");
    const QLocale c(QLocale::English);
    // Runs of days read as ranges: "Mon–Fri", "Sat, Sun".
    QStringList parts;
    for (int i = 0; i < 7;) {
        if (!(days & (1 << i))) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < 7 && (days & (1 << (j + 1))))
            ++j;
        const QString a = c.dayName(i + 1, QLocale::ShortFormat), b = c.dayName(j + 1, QLocale::ShortFormat);
        if (j - i >= 2)
            parts << a + QStringLiteral("–") + b;
        else
            for (int k = i; k <= j; ++k)
                parts << c.dayName(k + 1, QLocale::ShortFormat);
        i = j + 1;
    }
    const QString window = start == end ? QStringLiteral("all day") : clock(start) + QStringLiteral("–") + clock(end);
    return parts.join(QStringLiteral(", ")) + QLatin1Char(' ') + window;
}
