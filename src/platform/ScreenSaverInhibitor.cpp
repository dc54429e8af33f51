#include "platform/ScreenSaverInhibitor.h"
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")};
} // namespace

std::function<std::unique_ptr<ScreenSaverInhibitor>()> &ScreenSaverInhibitor::maker()
{
    static std::function<std::unique_ptr<ScreenSaverInhibitor>()> make;
    return make;
}

std::unique_ptr<ScreenSaverInhibitor> ScreenSaverInhibitor::create()
{
    if (maker())
        return maker()();
    return std::make_unique<SessionScreenSaverInhibitor>();
}

// Shared with the replies still on their way, which may arrive after the owner has gone.
struct SessionScreenSaverInhibitor::Private
{
    bool wanted = false;      // inhibit asked and not yet taken back
    bool asking = false;      // an Inhibit call is on its way
    uint cookie = 0;
    QString path;             // where the cookie came from
    QString reason;

    void ask(const std::shared_ptr<Private> &self, int pathIndex)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPaths[pathIndex], kService,
                                                           QStringLiteral("Inhibit"));
        call << QCoreApplication::applicationName() << reason;
        asking = true;
        auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, 5000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [self, pathIndex](QDBusPendingCallWatcher *w) {
                             w->deleteLater();
                             const QDBusPendingReply<uint> reply = *w;
                             self->asking = false;
                             if (reply.isError()) {
                                 // The other path, once; after that the desktop has none.
                                 if (pathIndex == 0 && self->wanted)
                                     self->ask(self, 1);
                                 return;
                             }
                             self->cookie = reply.value();
                             self->path = kPaths[pathIndex];
                             // Taken back while the call was on its way.
                             if (!self->wanted)
                                 self->release();
                         });
    }

    // `wait`: the program is ending, and the call must leave before it does.
    void release(bool wait = false)
    {
        if (path.isEmpty())
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kService, QStringLiteral("UnInhibit"));
        call << cookie;
        QDBusConnection::sessionBus().call(call, wait ? QDBus::Block : QDBus::NoBlock, 1000);
        path.clear();
        cookie = 0;
    }
};

SessionScreenSaverInhibitor::SessionScreenSaverInhibitor() : d(std::make_shared<Private>()) {}

SessionScreenSaverInhibitor::~SessionScreenSaverInhibitor()
{
    d->wanted = false;
    d->release(true);
}

void SessionScreenSaverInhibitor::inhibit(const QString &reason)
{
    if (d->wanted)
        return;
    d->wanted = true;
    d->reason = reason;
    if (!d->asking && d->path.isEmpty() && QDBusConnection::sessionBus().isConnected())
        d->ask(d, 0);
}

void SessionScreenSaverInhibitor::uninhibit()
{
    d->wanted = false;
    d->release();
}
