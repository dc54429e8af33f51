#include "app/clsTaskBar.h"
#include "platform/Services.h"
#include <QSystemTrayIcon>

clsTaskBar::clsTaskBar(TrayService &tray, QObject *parent)
    : QObject(parent), m_tray(tray), m_icon(new QSystemTrayIcon(this))
{
    // Only the double-click and the right button reach the program; single clicks do nothing.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
            emit leftDoubleClick();
        else if (r == QSystemTrayIcon::Context)
            emit rightButtonUp();
    });
}

int clsTaskBar::fnTaskbarExists() const
{
    return m_tray.isAvailable() ? 1 : 0;
}

void clsTaskBar::AddIconToTray(const QIcon &icon, int)
{
    m_icon->setIcon(icon);
    m_icon->setToolTip(m_tip.trimmed());
    m_icon->show();
}

void clsTaskBar::ChangeTip(const QString &tip, int)
{
    // The tip field holds 64 characters with its terminator: at most 63 show.
    m_tip = tip.left(63);
    m_icon->setToolTip(m_tip);
}

void clsTaskBar::DeleteIcon(int)
{
    m_icon->hide();
}

bool clsTaskBar::iconVisible() const
{
    return m_icon->isVisible();
}
