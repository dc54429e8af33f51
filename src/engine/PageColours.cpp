#include "engine/PageColours.h"
#include <QApplication>
#include <QColor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPalette>

namespace PageColours {

namespace {
const char kFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
bool setForStart = false;
QByteArray flagsBefore;
bool hadFlags = false;

Desktop askPortal()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
    // Only a portal that is already running: starting one would hold up the start.
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(portal))
        return Desktop::Unknown;
    QDBusMessage call = QDBusMessage::createMethodCall(portal, QStringLiteral("/org/freedesktop/portal/desktop"),
                                                       QStringLiteral("org.freedesktop.portal.Settings"),
                                                       QStringLiteral("Read"));
    call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    const QDBusMessage reply = bus.call(call, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return Desktop::Unknown;
    // The value comes wrapped in a variant, once or (older portals) twice.
    QVariant v = reply.arguments().first();
    while (v.canConvert<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = v.toUInt(&ok);
    return ok && scheme <= 2 ? Desktop(scheme) : Desktop::Unknown;
}
} // namespace

bool prefersDark(Desktop desktop, const QColor &window)
{
    if (desktop == Desktop::Dark || desktop == Desktop::Light)
        return desktop == Desktop::Dark;
    return window.isValid() && window.lightness() < 128;
}

QByteArray withDark(const QByteArray &flags)
{
    for (const QByteArray &f : flags.split(' '))
        if (f.startsWith("--blink-settings"))
            return flags;
    // Blink's preferred colour scheme: 0 is dark.
    return QByteArray(flags.trimmed() + " --blink-settings=preferredColorScheme=0").trimmed();
}

void followDesktop()
{
    if (!prefersDark(askPortal(), QApplication::palette().color(QPalette::Window)))
        return;
    hadFlags = qEnvironmentVariableIsSet(kFlags);
    flagsBefore = qgetenv(kFlags);
    qputenv(kFlags, withDark(flagsBefore));
    setForStart = true;
}

void started()
{
    if (!setForStart)
        return;
    if (hadFlags)
        qputenv(kFlags, flagsBefore);
    else
        qunsetenv(kFlags);
    setForStart = false;
}

} // namespace PageColours
