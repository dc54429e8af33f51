#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class AppContext;
class BrowserControl;
class QLabel;
class QWidget;

// Keeps one page fresh without harm, for every window that shows a page: an automatic
// reload waits while the person has typed into the page or while its site does not
// answer (then it stays pending for the next tick), and a page whose renderer died
// heals itself. The note explaining a skipped reload stays until the page is reloaded.
class PageKeeper : public QObject
{
    Q_OBJECT
public:
    // `caption` names the page in notes; `noticeParent` holds the crash notice, which
    // is laid over the browser control.
    PageKeeper(AppContext &ctx, BrowserControl *browser, QWidget *noticeParent, std::function<QString()> caption);

    void refreshSafely();
    bool reloadPending() const { return m_reloadPending; }
    // Why the last automatic reload was skipped, or empty.
    QString note() const { return m_note; }
    // Reloads by the person start the crash count afresh.
    void userRefreshed() { m_crashTimes.clear(); }
    // The page finished loading: the crash notice goes.
    void pageLoaded();
    // How many times the page healed itself after its renderer died, in the last minute.
    int recentCrashes() const;
    QLabel *crashNotice() const { return m_crashNotice; }
    void placeNotice();
    // The window is unloading: nothing more is reloaded or reported.
    void stop() { m_stopped = true; }

signals:
    // A status text about this page (a skipped reload, a crash).
    void noteChanged(const QString &text);

private:
    void setNote(const QString &text);
    void reloadNow();
    // The page holds the person's edits: the reload waits for the next tick.
    void keepForEdits();
    void onRendererCrashed();
    bool gone() const;

    AppContext &m_ctx;
    BrowserControl *m_browser;
    std::function<QString()> m_caption;
    QLabel *m_crashNotice;
    QList<qint64> m_crashTimes;
    QString m_note;
    bool m_reloadPending = false;
    bool m_stopped = false;
};
