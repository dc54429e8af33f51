#pragma once
#include "platform/Services.h"
#include <QObject>
#include <QPointer>
#include <QWidget>

// The desktop facilities of a real run.

class QtMessageBoxes : public MessageBoxes
{
public:
    void show(QWidget *parent, const QString &text, MsgIcon icon, const QString &title) override;
};

class QtDialogs : public Dialogs
{
public:
    int exec(QDialog *dialog) override;
};

class QtProcessControl : public ProcessControl
{
public:
    // Leaves every event loop; main() then tears the windows down and returns the code.
    void end(int code) override;
};

class QtSound : public QObject, public SoundService
{
public:
    void play(const QString &path) override;
    void beep() override;
};

class DesktopShell : public Shell
{
public:
    bool open(const QUrl &url) override;
};

class QScreen;

// The screen the person works on: the active window's, else the main window's (also
// while it is hidden behind a full-screen page), else the primary screen.
class QtScreen : public ScreenService
{
public:
    QSize screenSizePixels() const override;
    QRect workAreaPixels() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    QPoint screenTopLeftPixels() const override;
    void follow(QWidget *window) override { m_window = window; }

private:
    QScreen *current() const;
    QPointer<QWidget> m_window;
};

class QTimer;

// QSystemTrayIcon's view of the tray. Qt settles once per run, at its first look,
// whether icons go through a StatusNotifier host, and never looks again. So Qt is not
// asked until a tray of either kind is there (found here by asking the session bus
// and the X server directly): a host that starts after the program still gets the
// icon, and both views agree on the protocol.
class QtTray : public TrayService
{
public:
    QtTray();
    ~QtTray() override;
    bool isAvailable() const override;
    bool hasDesktop() const override;
    bool usesStatusNotifier() const override;
    void watch(std::function<void(bool available)> changed) override;

private:
    bool qtMayLook() const;
    mutable int m_statusNotifier = -1; // unknown until Qt has looked
    QTimer *m_poll;
    bool m_last = false;
    std::function<void(bool)> m_changed;
};

class QtMenus : public Menus
{
public:
    QAction *popup(QMenu *menu, const QPoint &at) override;
};

class QNetworkAccessManager;

// A HEAD request with a short timeout: any HTTP answer, even an error status, means
// the site is there; no answer at all means it is not.
class NetworkProbe : public SiteProbe
{
public:
    NetworkProbe();
    ~NetworkProbe() override;
    void probe(const QUrl &url, std::function<void(bool answers)> answer) override;

    // Whether the person chose, in the page, to trust this certificate for this site
    // ("host[:port]", SHA-256 in hex); no other certificate error is overlooked.
    std::function<bool(const QString &site, const QByteArray &digest)> acceptedCertificate;

private:
    QNetworkAccessManager *m_net = nullptr;
};
