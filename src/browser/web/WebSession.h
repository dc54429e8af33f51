#pragma once
#include "browser/web/SiteSettings.h"
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QWebEngineProfile;
class Shell;

// What every page of one run shares: the persistent web profile, the desktop's shell
// (links meant for a new window go to the person's default browser), the passwords
// and certificate exceptions granted during this run (kept in memory only), and the
// per-site settings file.
class WebSession : public QObject
{
    Q_OBJECT
public:
    WebSession(const QString &dataFolder, Shell *shell, QObject *parent = nullptr);
    ~WebSession() override;

    QWebEngineProfile *profile() const { return m_profile; }
    Shell *shell() const { return m_shell; }
    SiteSettings &sites() { return m_sites; }

    struct Credentials
    {
        QString user;
        QString password;
    };
    // Keyed by the site (scheme, host, port, or proxy host) and realm.
    QHash<QString, Credentials> credentials;
    // "host|SHA-256 of the certificate" the person chose to continue to.
    QSet<QString> acceptedCertificates;

private:
    QWebEngineProfile *m_profile;
    Shell *m_shell;
    SiteSettings m_sites;
};
