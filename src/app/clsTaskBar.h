#pragma once
#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;
class TrayService;

// The program's one notification-area icon: add, change its tip, delete, and whether
// a tray exists at all. Failures of the tray go unnoticed, as the callers expect.
class clsTaskBar : public QObject
{
    Q_OBJECT
public:
    explicit clsTaskBar(TrayService &tray, QObject *parent = nullptr);

    static constexpr int CallbackMessage = 1793;

    int fnTaskbarExists() const;
    void AddIconToTray(const QIcon &icon, int id);
    void ChangeTip(const QString &tip, int id);
    void DeleteIcon(int id);

    bool iconVisible() const;
    QString tip() const { return m_tip; }
    QSystemTrayIcon *icon() const { return m_icon; }

signals:
    void leftDoubleClick();
    void rightButtonUp();

private:
    TrayService &m_tray;
    QSystemTrayIcon *m_icon;
    QString m_tip = QString(64, QLatin1Char(' '));
};
