#pragma once
#include "core/RefreshSchedule.h"
#include "core/SiteOptions.h"
#include <QHash>
#include <QObject>
#include <QPointer>
#include <memory>

class AppContext;
class BrowserWindowBase;
class QTimer;

// Each open slot's own rhythm and what its reloads brought. Reloads follow the slot's
// schedule (its own interval, or the frame timer's common turn), only within its active
// hours and, when asked, not while the person is using the page in front. After a page
// loads out of the person's sight, its visible text is compared with what it showed
// when they last looked: a difference marks the slot until they look again. A leading
// count in its title ("(3) Inbox") is its badge.
class SiteWatch : public QObject
{
    Q_OBJECT
public:
    // Milliseconds after the person's last key or mouse use of a page in which a
    // "not while I am using it" page is left alone.
    static constexpr int kInUseMs = 30000;

    SiteWatch(AppContext &ctx, QObject *parent);
    ~SiteWatch() override;

    // A slot's window opened (or its options changed): its options are read again.
    void watch(BrowserWindowBase *window);
    void forget(int slot);
    void optionsChanged(int slot);
    SiteOptions options(int slot) const;

    // The frame timer's turn for the slots following the common interval.
    void commonTurn();
    // Starts the reloads whose time has come.
    void poll();

    bool isDue(int slot) const;
    bool insideHours(int slot) const;
    QDateTime hoursResume(int slot) const;
    // Reloads the slot's page now, through its guards, when its reload is due
    // (a page about to be shown again).
    void refreshIfDue(int slot);

    // What the slot's last reloads brought, until the person looks at it.
    bool changed(int slot) const;
    int changedCount() const;
    // The count leading its title, 0 when none.
    int badge(int slot) const;
    // The person is looking at the slot's page now: its mark goes.
    void looked(int slot);
    // The slot's tab tooltip addition ("Not reloaded outside its hours: ...").
    QString scheduleNote(int slot) const;

    // "(3) Inbox" -> 3; 0 when the title leads with no count.
    static int titleCount(const QString &title);
    // The text compared for changes: spaces folded, and digits dropped when asked.
    static QString comparable(const QString &text, bool ignoreNumbers);

signals:
    // A mark or a badge came or went.
    void marksChanged();
    // The person clicked a notification about the slot's page.
    void frontWanted(int slot);

private:
    struct Watched;
    Watched *find(int slot) const;
    BrowserWindowBase *windowOf(int slot) const;
    void pageLoaded(int slot);
    void compare(int slot, const QString &text);
    void setBadge(int slot, const QString &title);
    bool inUse(int slot) const;
    bool lookedAt(int slot) const;
    qint64 intervalMs(const SiteOptions &o) const;

    AppContext &m_ctx;
    RefreshSchedule m_schedule;
    QTimer *m_poll;
    QTimer *m_soon; // the next spread start, on time rather than at the next look
    QHash<int, std::shared_ptr<Watched>> m_slots;
};
