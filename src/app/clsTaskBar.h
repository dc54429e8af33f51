#pragma once
#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;
class QTimer;
class TrayService;

// The program's one notification-area icon: add, change its tip, delete, and whether
// there is a desktop at all. Failures of the tray go unnoticed, as the callers expect.
// A desktop may have no tray, or gain one later: the icon then waits and goes in as
// soon as a tray appears (trayChanged tells the host).
class clsTaskBar : public QObject
{
    Q_OBJECT
public:
    explicit clsTaskBar(TrayService &tray, QObject *parent = nullptr);

    // 1 when there is a desktop to show windows on, whether or not it has a tray.
    int fnTaskbarExists() const;
    void AddIconToTray(const QIcon &icon, int id);
    void ChangeTip(const QString &tip, int id);
    void DeleteIcon(int id);

    // The host's tray menu, for StatusNotifier hosts that draw the menu themselves
    // from a copy exported over D-Bus. X11 trays never see it: there the host pops
    // the menu up on the right-button release.
    void setMenu(QMenu *menu);

    bool iconVisible() const;
    // Whether the icon sits in a tray now, so a window hidden there can come back.
    // Asked of the desktop each time: a tray that started a moment ago counts at once.
    bool inTray();
    bool statusNotifier() const { return m_statusNotifier; }
    QString tip() const { return m_tip; }
    // Null until a tray has been there.
    QSystemTrayIcon *icon() const { return m_icon; }

signals:
    void leftDoubleClick();
    void rightButtonUp();
    void trayChanged(bool available);

private:
    void onTrayChanged(bool available);
    // True when it made the icon now.
    bool makeIcon();
    // The icon's context request: rightButtonUp once the right button is up.
    void onContextRequest();

    TrayService &m_tray;
    QSystemTrayIcon *m_icon = nullptr;
    QIcon m_image;
    QMenu *m_menu = nullptr;
    QTimer *m_buttonUp = nullptr; // waits for the right button's release
    QString m_tip = QString(64, QLatin1Char(' '));
    bool m_wanted = false;
    bool m_statusNotifier = false;
};
