#include "app/clsTaskBar.h"
#include "platform/Services.h"
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

clsTaskBar::clsTaskBar(TrayService &tray, QObject *parent)
    : QObject(parent), m_tray(tray), m_icon(new QSystemTrayIcon(this))
{
    // Only the double-click and the right button reach the program; single clicks do
    // nothing. A StatusNotifier host knows no double-click: its Activate (a left click)
    // stands for it.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick || (r == QSystemTrayIcon::Trigger && m_statusNotifier))
            emit leftDoubleClick();
        else if (r == QSystemTrayIcon::Context)
            emit rightButtonUp();
    });
}

bool clsTaskBar::inTray() const
{
    return m_wanted && m_tray.isAvailable();
}

int clsTaskBar::fnTaskbarExists() const
{
    return m_tray.hasDesktop() ? 1 : 0;
}

void clsTaskBar::AddIconToTray(const QIcon &icon, int)
{
    m_icon->setIcon(icon);
    m_icon->setToolTip(m_tip.trimmed());
    m_wanted = true;
    m_statusNotifier = m_tray.usesStatusNotifier();
    if (m_statusNotifier && m_menu)
        m_icon->setContextMenu(m_menu);
    // Shown even with no tray yet: Qt keeps the icon and docks it when asked again.
    m_icon->show();
    m_tray.watch([this](bool available) { onTrayChanged(available); });
}

void clsTaskBar::onTrayChanged(bool available)
{
    // Qt docks an X11 icon by itself when a tray appears; showing it again there would
    // replace the docked icon under the person's pointer. A StatusNotifier icon is
    // registered with the new tray by showing it again.
    if (available && m_wanted && QGuiApplication::platformName() != QLatin1String("xcb")) {
        m_icon->hide();
        m_icon->show();
    }
    if (m_wanted)
        emit trayChanged(available);
}

void clsTaskBar::setMenu(QMenu *menu)
{
    m_menu = menu;
    if (m_statusNotifier && m_wanted)
        m_icon->setContextMenu(menu);
}

void clsTaskBar::ChangeTip(const QString &tip, int)
{
    // The tip field holds 64 characters with its terminator: at most 63 show.
    m_tip = tip.left(63);
    m_icon->setToolTip(m_tip);
}

void clsTaskBar::DeleteIcon(int)
{
    m_wanted = false;
    m_icon->hide();
}

bool clsTaskBar::iconVisible() const
{
    return m_icon->isVisible();
}
