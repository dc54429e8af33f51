#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class QSystemTrayIcon;
class QWebEngineNotification;
class WebSession;

// Shows the pages' web notifications as the desktop's own, named after their site:
// through the tray icon while it sits in an X11 tray, else through the desktop's
// notification service (org.freedesktop.Notifications), either way also while the
// windows are hidden in the tray. Clicking one tells the page and brings it to the
// front. Where neither is there, the page's window shows it in its status bar.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    DesktopNotifier(WebSession &session, QObject *parent);
    ~DesktopNotifier() override;

    void present(std::unique_ptr<QWebEngineNotification> notification);
    // A notification of the program's own (a page changed); `clicked` runs when the
    // person clicks it.
    void announce(const QString &summary, const QString &body, std::function<void()> clicked);

    // A page's text as the notification service takes it: the service reads markup
    // (in the body, and some in the summary too), so &, < and > are written as entities.
    static QString markupEscaped(const QString &text);

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    struct Shown
    {
        std::unique_ptr<QWebEngineNotification> notification;
        uint busId = 0;
        std::function<void()> onClick; // the program's own, with no page notification
    };

    void showNow(quint64 key, uint replaces, const QString &summary, const QString &body);
    void showOnBus(quint64 key, uint replaces, const QString &summary, const QString &body);
    void showInStatus(quint64 key);
    void clicked(quint64 key);
    void forget(quint64 key);

    WebSession &m_session;
    std::map<quint64, Shown> m_shown;
    quint64 m_nextKey = 1;
    quint64 m_trayLatest = 0;
    QPointer<QSystemTrayIcon> m_tray;
};
