#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

// When a site's page may be reloaded on its own: on the ticked days of the week, from
// `start` to `end` (minutes after midnight). A window whose end comes before its start
// runs past midnight into the next day and belongs to the day it starts on; start and
// end alike mean the whole day. No day ticked means no limit at all.
struct ActiveHours
{
    // Bit 0 Monday ... bit 6 Sunday, as Qt numbers the days from 1.
    quint8 days = 0;
    int start = 0;
    int end = 0;

    bool limited() const { return days != 0; }
    bool contains(const QDateTime &localTime) const;
    // The first moment at or after `from` inside the hours (`from` itself when inside).
    QDateTime nextStart(const QDateTime &from) const;

    // "1111100 07:00 19:00": the days Monday to Sunday, then the window.
    QString text() const;
    static std::optional<ActiveHours> fromText(const QString &text);
    // "Mon–Fri 07:00–19:00", for a tooltip.
    QString readable() const;
    bool operator==(const ActiveHours &) const = default;
};

// What one Top 8 site may have of its own, beside what is set for all sites.
struct SiteOptions
{
    static constexpr int kMinInterval = 10;          // seconds
    static constexpr int kMaxInterval = 24 * 3600;
    static constexpr int kDefaultDwell = 30;         // seconds on the wall
    static constexpr int kMaxDwell = 3600;
    static constexpr int kMaxWatchedText = 200;

    int intervalSeconds = 0;       // 0: as set for all sites
    ActiveHours hours;
    bool notWhileUsed = false;     // no automatic reload while the person works in it
    bool ignoreNumbers = false;    // a change of digits alone is no change
    bool notifyOnChange = false;
    QString watchedText;           // notify when this appears; empty for none
    int dwellSeconds = kDefaultDwell;

    bool isDefault() const { return *this == SiteOptions(); }
    bool operator==(const SiteOptions &) const = default;
};
