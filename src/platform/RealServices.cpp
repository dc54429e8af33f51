#include "platform/RealServices.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QTimer>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QCryptographicHash>
#include <QSslConfiguration>
#include <QSslCertificate>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QPointer>
#include <QMessageBox>
#include <QScreen>
#include <QSoundEffect>
#include <QSystemTrayIcon>
#include <xcb/xcb.h>

void QtMessageBoxes::show(QWidget *parent, const QString &text, MsgIcon icon, const QString &title)
{
    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical
                    : icon == MsgIcon::Information ? QMessageBox::Information
                                                    : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("VelloranMessage"));
    box.exec();
}

int QtDialogs::exec(QDialog *dialog)
{
    QPointer<QDialog> guard(dialog);
    const int result = dialog->exec();
    // The dialog unloads as soon as its modal run is over, so the loaded-window list is right at once.
    delete guard.data();
    return result;
}

void QtProcessControl::end(int code)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(code);
}

void QtSound::play(const QString &path)
{
    auto *effect = new QSoundEffect(this);
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [this, effect] {
        if (effect->status() == QSoundEffect::Error) {
            beep();
            effect->deleteLater();
        }
    });
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
            effect->deleteLater();
    });
    effect->setSource(QUrl::fromLocalFile(path));
    effect->play();
}

void QtSound::beep()
{
    QApplication::beep();
}

bool DesktopShell::open(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

static QScreen *screen()
{
    return QGuiApplication::primaryScreen();
}

QScreen *QtScreen::current() const
{
    if (const QWidget *active = QApplication::activeWindow(); active && active->screen())
        return active->screen();
    if (m_window && m_window->screen())
        return m_window->screen();
    return screen();
}

QSize QtScreen::screenSizePixels() const
{
    const QScreen *s = current();
    return s ? s->size() : QSize(1024, 768);
}

QPoint QtScreen::screenTopLeftPixels() const
{
    const QScreen *s = current();
    return s ? s->geometry().topLeft() : QPoint();
}

QRect QtScreen::workAreaPixels() const
{
    const QScreen *s = current();
    return s ? s->availableGeometry() : QRect();
}

double QtScreen::twipsPerPixelX() const
{
    const QScreen *s = current();
    return s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
}

double QtScreen::twipsPerPixelY() const
{
    const QScreen *s = current();
    return s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
}

QtTray::QtTray() : m_poll(new QTimer) {}

QtTray::~QtTray()
{
    delete m_poll;
}

namespace {

bool statusNotifierHost()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface w(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return w.property("IsStatusNotifierHostRegistered").toBool();
}

// An X11 tray owns the selection _NET_SYSTEM_TRAY_S<screen>.
bool x11TrayOwned()
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const xcb_setup_t *setup = xcb_get_setup(c);
    const int screens = setup ? xcb_setup_roots_length(setup) : 0;
    for (int n = 0; n < screens; ++n) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(n);
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr);
        if (!atom)
            continue;
        xcb_get_selection_owner_reply_t *owner =
            atom->atom ? xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr) : nullptr;
        const bool owned = owner && owner->owner;
        free(owner);
        free(atom);
        if (owned)
            return true;
    }
    return false;
}

} // namespace

bool QtTray::qtMayLook() const
{
    if (m_statusNotifier >= 0)
        return true;
    const bool host = statusNotifierHost();
    if (!host && !x11TrayOwned())
        return false;
    // Qt's first look happens now, on the same answer: a host means a StatusNotifier icon.
    m_statusNotifier = host ? 1 : 0;
    return true;
}

bool QtTray::isAvailable() const
{
    return qtMayLook() && QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTray::hasDesktop() const
{
    const QScreen *s = screen();
    return s && !s->geometry().isEmpty();
}

bool QtTray::usesStatusNotifier() const
{
    return qtMayLook() && m_statusNotifier == 1;
}

void QtTray::watch(std::function<void(bool available)> changed)
{
    m_changed = std::move(changed);
    m_last = isAvailable();
    // A panel may start after the program, or stop and start again; no signal says so
    // for both tray protocols, so look now and then (a cheap query).
    m_poll->setInterval(1500);
    m_poll->disconnect();
    QObject::connect(m_poll, &QTimer::timeout, m_poll, [this] {
        const bool now = isAvailable();
        if (now != m_last) {
            m_last = now;
            if (m_changed)
                m_changed(now);
        }
    });
    m_poll->start();
}

QAction *QtMenus::popup(QMenu *menu, const QPoint &at)
{
    return menu->exec(at);
}

NetworkProbe::NetworkProbe() = default;

NetworkProbe::~NetworkProbe()
{
    delete m_net;
}

void NetworkProbe::probe(const QUrl &url, std::function<void(bool answers)> answer)
{
    // The site's front door only: the page's own path and query (tokens among them)
    // stay between the page and its site.
    QUrl origin;
    origin.setScheme(url.scheme());
    origin.setHost(url.host());
    origin.setPort(url.port());
    origin.setPath(QStringLiteral("/"));
    QNetworkRequest request(origin);
    request.setTransferTimeout(5000);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // Made at the first probe: no network stack of its own is set up at start-up.
    // It goes the way the pages go: through the desktop's proxy settings.
    if (!m_net) {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        m_net = new QNetworkAccessManager;
    }
    QNetworkReply *reply = m_net->head(request);
    // A certificate the person chose to trust in the page (a self-signed one) must not
    // make the site look down; any other certificate error does.
    const QString site = url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port()) : url.host();
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [this, reply, site](const QList<QSslError> &errors) {
        const QSslCertificate cert = reply->sslConfiguration().peerCertificate();
        // Only these errors of this certificate: ignoring all would stay with the
        // connection, and a later handshake with another certificate would pass too.
        if (!cert.isNull() && acceptedCertificate && acceptedCertificate(site, cert.digest(QCryptographicHash::Sha256).toHex()))
            reply->ignoreSslErrors(errors);
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, answer] {
        const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        reply->deleteLater();
        answer(answered);
    });
}
