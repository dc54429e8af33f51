#include "browser/web/WebSession.h"
#include <QDir>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

WebSession::WebSession(const QString &dataFolder, Shell *shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_sites(dataFolder)
{
    m_profile = new QWebEngineProfile(QStringLiteral("velloran"), this);
    const QString web = QDir(dataFolder).filePath(QStringLiteral("web"));
    m_profile->setPersistentStoragePath(web);
    m_profile->setCachePath(QDir(web).filePath(QStringLiteral("cache")));
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    // Pages never reach into the local disk or from local files out to the web.
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
}

WebSession::~WebSession()
{
    // Pages must be gone before their profile; the owner deletes the windows first.
    delete m_profile;
    m_profile = nullptr;
}
