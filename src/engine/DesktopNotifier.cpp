#include "engine/DesktopNotifier.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QWebEngineNotification>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr size_t kMostKept = 100;

} // namespace

DesktopNotifier::DesktopNotifier(WebSession &session, QObject *parent) : QObject(parent), m_session(session)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onClosed(uint, uint)));
    }
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::present(std::unique_ptr<QWebEngineNotification> notification)
{
    const QString site = WebPage::siteName(notification->origin());
    const QString summary = notification->title().isEmpty() ? site : notification->title();
    const QString body = notification->message().isEmpty() ? site : site + QLatin1Char('\n') + notification->message();

    // A notification with the tag of one still shown takes its place.
    uint replaces = 0;
    for (auto it = m_shown.begin(); it != m_shown.end(); ++it) {
        if (it->second.notification && it->second.notification->matches(notification.get())) {
            replaces = it->second.busId;
            m_shown.erase(it);
            break;
        }
    }
    if (m_shown.size() >= kMostKept)
        m_shown.erase(m_shown.begin());

    const quint64 key = m_nextKey++;
    QWebEngineNotification *n = notification.get();
    m_shown[key].notification = std::move(notification);
    // The page closed it (or replaced it): it goes from the desktop too.
    connect(n, &QWebEngineNotification::closed, this, [this, key] {
        const auto it = m_shown.find(key);
        if (it == m_shown.end())
            return;
        if (it->second.busId) {
            QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
            close << it->second.busId;
            QDBusConnection::sessionBus().asyncCall(close);
        }
        forget(key);
    });
    n->show();
    showNow(key, replaces, summary, body);
}

void DesktopNotifier::announce(const QString &summary, const QString &body, std::function<void()> clicked)
{
    if (m_shown.size() >= kMostKept)
        m_shown.erase(m_shown.begin());
    const quint64 key = m_nextKey++;
    m_shown[key].onClick = std::move(clicked);
    showNow(key, 0, summary, body);
}

void DesktopNotifier::showNow(quint64 key, uint replaces, const QString &summary, const QString &body)
{
    QSystemTrayIcon *tray = m_session.trayIcon ? m_session.trayIcon() : nullptr;
    if (tray) {
        if (m_tray != tray) {
            m_tray = tray;
            connect(tray, &QSystemTrayIcon::messageClicked, this, [this] { clicked(m_trayLatest); });
        }
        m_trayLatest = key;
        tray->showMessage(summary, body, QSystemTrayIcon::Information, 10000);
        return;
    }
    showOnBus(key, replaces, summary, body);
}

QString DesktopNotifier::markupEscaped(const QString &text)
{
    QString out = text;
    return out.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"));
}

void DesktopNotifier::showOnBus(quint64 key, uint replaces, const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showInStatus(key);
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QStringLiteral("Velloran") << replaces << QStringLiteral("velloran") << markupEscaped(summary)
           << markupEscaped(body)
           << QStringList{QStringLiteral("default"), QStringLiteral("Show")}
           << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("velloran")}} << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        const auto it = m_shown.find(key);
        if (it == m_shown.end())
            return;
        if (reply.isError())
            showInStatus(key);
        else
            it->second.busId = reply.value();
    });
}

// No tray and no notification service: the page's window says it, so nothing is lost.
void DesktopNotifier::showInStatus(quint64 key)
{
    const auto it = m_shown.find(key);
    if (it == m_shown.end())
        return;
    const QWebEngineNotification *n = it->second.notification.get();
    if (!n)
        return; // the program's own: the page's mark says it already
    if (WebPage *page = m_session.pageFor(n->origin())) {
        QString text = WebPage::siteName(n->origin()) + QStringLiteral(": ") + n->title();
        if (!n->message().isEmpty())
            text += QStringLiteral(" - ") + n->message();
        emit page->statusMessage(text.simplified().prepend(QLatin1Char(' ')));
    }
}

void DesktopNotifier::onActionInvoked(uint id, const QString &)
{
    for (const auto &[key, shown] : m_shown)
        if (shown.busId == id) {
            clicked(key);
            return;
        }
}

void DesktopNotifier::onClosed(uint id, uint)
{
    for (const auto &[key, shown] : m_shown)
        if (shown.busId == id) {
            forget(key);
            return;
        }
}

void DesktopNotifier::clicked(quint64 key)
{
    const auto it = m_shown.find(key);
    if (it == m_shown.end())
        return;
    if (it->second.onClick) {
        const auto run = it->second.onClick;
        run();
        return;
    }
    const QWebEngineNotification *n = it->second.notification.get();
    if (WebPage *page = m_session.pageFor(n->origin()))
        emit page->wantsFront();
    n->click();
}

void DesktopNotifier::forget(quint64 key)
{
    const auto it = m_shown.find(key);
    if (it == m_shown.end())
        return;
    // It may be the notification whose signal is running now.
    if (it->second.notification)
        it->second.notification.release()->deleteLater();
    m_shown.erase(it);
}
