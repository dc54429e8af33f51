#include "app/clsTaskBar.h"
#include "platform/Services.h"
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

clsTaskBar::clsTaskBar(TrayService &tray, QObject *parent) : QObject(parent), m_tray(tray) {}

// Made only once a tray is there: Qt settles the icon's protocol when it is made.
bool clsTaskBar::makeIcon()
{
    if (m_icon)
        return false;
    if (!m_tray.isAvailable())
        return false;
    m_icon = new QSystemTrayIcon(m_image, this);
    m_icon->setToolTip(m_tip.trimmed());
    m_statusNotifier = m_tray.usesStatusNotifier();
    if (m_statusNotifier && m_menu)
        m_icon->setContextMenu(m_menu);
    // Only the double-click and the right button reach the program; single clicks do
    // nothing. A StatusNotifier host knows no double-click: its Activate (a left click)
    // stands for it.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick || (r == QSystemTrayIcon::Trigger && m_statusNotifier))
            emit leftDoubleClick();
        else if (r == QSystemTrayIcon::Context)
            onContextRequest();
    });
    m_icon->show();
    return true;
}

// Qt reports an X11 tray's context request from the right button's press; a menu
// open under the pointer then would take the release for a choice. It opens on the
// release, as menus do. A StatusNotifier host's request comes with no button held.
void clsTaskBar::onContextRequest()
{
    if (!(QGuiApplication::mouseButtons() & Qt::RightButton)) {
        emit rightButtonUp();
        return;
    }
    if (!m_buttonUp) {
        m_buttonUp = new QTimer(this);
        m_buttonUp->setInterval(10);
        connect(m_buttonUp, &QTimer::timeout, this, [this] {
            if (QGuiApplication::mouseButtons() & Qt::RightButton)
                return;
            m_buttonUp->stop();
            emit rightButtonUp();
        });
    }
    m_buttonUp->start();
}

bool clsTaskBar::inTray()
{
    if (!m_wanted || !m_tray.isAvailable())
        return false;
    makeIcon();
    return true;
}

int clsTaskBar::fnTaskbarExists() const
{
    return m_tray.hasDesktop() ? 1 : 0;
}

void clsTaskBar::AddIconToTray(const QIcon &icon, int)
{
    m_image = icon;
    m_wanted = true;
    if (m_icon) {
        m_icon->setIcon(icon);
        m_icon->show();
    } else {
        makeIcon();
    }
    m_tray.watch([this](bool available) { onTrayChanged(available); });
}

void clsTaskBar::onTrayChanged(bool available)
{
    // Qt docks an X11 icon by itself when a tray appears; showing it again there would
    // replace the docked icon under the person's pointer. A StatusNotifier icon is
    // registered with the new tray by showing it again.
    if (available && m_wanted && !makeIcon() && m_icon
        && QGuiApplication::platformName() != QLatin1String("xcb")) {
        m_icon->hide();
        m_icon->show();
    }
    if (m_wanted)
        emit trayChanged(available);
}

void clsTaskBar::setMenu(QMenu *menu)
{
    m_menu = menu;
    if (m_statusNotifier && m_wanted && m_icon)
        m_icon->setContextMenu(menu);
}

void clsTaskBar::ChangeTip(const QString &tip, int)
{
    // The tip field holds 64 characters with its terminator: at most 63 show.
    m_tip = tip.left(63);
    if (m_icon)
        m_icon->setToolTip(m_tip);
}

void clsTaskBar::DeleteIcon(int)
{
    m_wanted = false;
    if (m_icon)
        m_icon->hide();
}

bool clsTaskBar::iconVisible() const
{
    return m_icon && m_icon->isVisible();
}
