#include "engine/WebSession.h"
#include "engine/Spelling.h"
#include "engine/DesktopNotifier.h"
#include "engine/Downloads.h"
#include "engine/WebPage.h"
#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNotification>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

WebSession::WebSession(const QString &dataFolder, Shell *shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_sites(dataFolder)
{
    const QString dictionaries = Spelling::prepare(QCoreApplication::applicationDirPath());
    m_profile = new QWebEngineProfile(QStringLiteral("velloran"), this);
    const QString web = QDir(dataFolder).filePath(QStringLiteral("web"));
    m_profile->setPersistentStoragePath(web);
    m_profile->setCachePath(QDir(web).filePath(QStringLiteral("cache")));
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    // Some sites (sign-in pages among them) turn away anything naming an embedded
    // engine; the pages are Chromium's, and sites are told just that.
    QString agent = m_profile->httpUserAgent();
    agent.remove(QRegularExpression(QStringLiteral(" QtWebEngine/\\S+")));
    m_profile->setHttpUserAgent(agent);
    // Pages never reach into the local disk or from local files out to the web.
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    // Pages write to the clipboard only just after the person's click or key in them
    // (a page's own Copy button); the browser control allows it for that moment.
    // Reading the clipboard stays the person's own Paste.
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    // PDF documents open in the engine's own viewer, as in other browsers, instead of
    // asking where to save them; the viewer is the engine's one built-in plug-in.
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    // A meeting page may ask to see the screen; the person answers in the page's bar.
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, true);
    // A video's or a dashboard's own full-screen button is honoured (Esc leaves it).
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    Spelling::enable(m_profile, dictionaries);

    m_notifier = new DesktopNotifier(*this, this);
    m_profile->setNotificationPresenter([this](std::unique_ptr<QWebEngineNotification> n) {
        m_notifier->present(std::move(n));
    });
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest *d) {
        m_downloads.append(d);
        Downloads::start(d);
    });
}

int WebSession::runningDownloads()
{
    m_downloads.removeIf([](const QPointer<QWebEngineDownloadRequest> &d) { return !d || d->isFinished(); });
    return int(std::count_if(m_downloads.cbegin(), m_downloads.cend(), [](const auto &d) {
        return d->state() == QWebEngineDownloadRequest::DownloadInProgress;
    }));
}

WebSession::~WebSession()
{
    // Pages must be gone before their profile; the owner deletes the windows first.
    delete m_notifier;
    m_notifier = nullptr;
    delete m_profile;
    m_profile = nullptr;
}

WebPage *WebSession::pageFor(const QUrl &origin) const
{
    const QString site = WebPage::originKey(origin);
    WebPage *found = nullptr;
    for (WebPage *page : m_pages) {
        if (WebPage::originKey(page->url()) != site)
            continue;
        if (!page->isPopup())
            return page;
        if (!found)
            found = page;
    }
    return found;
}
