#pragma once
#include "engine/SiteSettings.h"
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>

class DesktopNotifier;
class QSystemTrayIcon;
class QUrl;
class QWebEngineDownloadRequest;
class QWebEngineProfile;
class Shell;
class WebPage;

// What every page of one run shares: the persistent web profile, the desktop's shell
// (links meant for a new window go to the person's default browser), the passwords
// and certificate exceptions granted during this run (kept in memory only), the
// per-site settings file, and the pages' notifications and downloads.
class WebSession : public QObject
{
    Q_OBJECT
public:
    WebSession(const QString &dataFolder, Shell *shell, QObject *parent = nullptr);
    ~WebSession() override;

    QWebEngineProfile *profile() const { return m_profile; }
    Shell *shell() const { return m_shell; }
    SiteSettings &sites() { return m_sites; }
    DesktopNotifier *notifier() const { return m_notifier; }

    struct Credentials
    {
        QString user;
        QString password;
    };
    // Keyed by the site (scheme, host, port, or proxy host) and realm.
    QHash<QString, Credentials> credentials;
    // "host|SHA-256 of the certificate" the person chose to continue to.
    QSet<QString> acceptedCertificates;

    // The program's tray icon while it sits in an X11 tray (nullptr otherwise): web
    // notifications show there; elsewhere they go to the desktop's notification service.
    std::function<QSystemTrayIcon *()> trayIcon;

    // The open pages, each registered by its own constructor.
    void addPage(WebPage *page) { m_pages.append(page); }
    void removePage(WebPage *page) { m_pages.removeAll(page); }
    // The open page showing a site (a page in a browser window before a pop-up).
    WebPage *pageFor(const QUrl &origin) const;

    // Downloads the person chose to save that are saving now.
    int runningDownloads();

private:
    QWebEngineProfile *m_profile;
    Shell *m_shell;
    SiteSettings m_sites;
    QList<WebPage *> m_pages;
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
    DesktopNotifier *m_notifier;
};
