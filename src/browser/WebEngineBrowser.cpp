#include "browser/WebEngineBrowser.h"
#include "platform/RuntimeError.h"
#include <QApplication>
#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <memory>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Reports every navigation before it starts; never cancels one.
class ReportingPage : public QWebEnginePage
{
public:
    ReportingPage(QWebEngineProfile *profile, WebEngineBrowser *owner)
        : QWebEnginePage(profile, owner), m_owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl &, NavigationType, bool isMainFrame) override
    {
        if (isMainFrame)
            emit m_owner->BeforeNavigate2();
        return true;
    }

private:
    WebEngineBrowser *m_owner;
};

} // namespace

QWebEngineProfile *WebEngineBrowser::createProfile(const QString &dataFolder, QObject *parent)
{
    auto *profile = new QWebEngineProfile(QStringLiteral("velloran"), parent);
    const QString web = QDir(dataFolder).filePath(QStringLiteral("web"));
    profile->setPersistentStoragePath(web);
    profile->setCachePath(QDir(web).filePath(QStringLiteral("cache")));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    return profile;
}

WebEngineBrowser::WebEngineBrowser(QWebEngineProfile *profile, QWidget *parent)
    : BrowserControl(parent), m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setPage(new ReportingPage(profile, this));
    setFocusProxy(m_view);

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadStarted, this, &BrowserControl::DownloadBegin);
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        updateHistoryState();
        emit DownloadComplete();
    });
    connect(page, &QWebEnginePage::urlChanged, this, [this] {
        updateHistoryState();
        emit NavigateComplete2();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && (now == m_view || m_view->isAncestorOf(now)))
            emit GotFocus();
    });
}

void WebEngineBrowser::updateHistoryState()
{
    QWebEngineHistory *h = m_view->history();
    if (h->canGoForward() != m_canForward) {
        m_canForward = h->canGoForward();
        emit CommandStateChange(1, m_canForward);
    }
    if (h->canGoBack() != m_canBack) {
        m_canBack = h->canGoBack();
        emit CommandStateChange(2, m_canBack);
    }
}

void WebEngineBrowser::Navigate(const QString &address)
{
    m_view->setUrl(QUrl::fromUserInput(address));
}

void WebEngineBrowser::GoBack()
{
    if (!m_view->history()->canGoBack())
        throw RuntimeError::componentFailure();
    m_view->back();
}

void WebEngineBrowser::GoForward()
{
    if (!m_view->history()->canGoForward())
        throw RuntimeError::componentFailure();
    m_view->forward();
}

void WebEngineBrowser::Refresh()
{
    m_view->reload();
}

void WebEngineBrowser::Stop()
{
    m_view->stop();
}

QString WebEngineBrowser::LocationURL() const
{
    return m_view->url().toString();
}

QString WebEngineBrowser::LocationName() const
{
    const QString t = m_view->title();
    return t.isEmpty() ? LocationURL() : t;
}

void WebEngineBrowser::Cut() { m_view->page()->triggerAction(QWebEnginePage::Cut); }
void WebEngineBrowser::Copy() { m_view->page()->triggerAction(QWebEnginePage::Copy); }
void WebEngineBrowser::Paste() { m_view->page()->triggerAction(QWebEnginePage::Paste); }
void WebEngineBrowser::SelectAll() { m_view->page()->triggerAction(QWebEnginePage::SelectAll); }

void WebEngineBrowser::Find(const QString &text, bool backward)
{
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    m_view->page()->findText(text, flags, [this, text](const QWebEngineFindTextResult &r) {
        emit findFinished(text, r.numberOfMatches());
    });
}

void WebEngineBrowser::Print()
{
    // Printing to a PDF file works without any printer installed.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), window());
    dialog.setWindowTitle(QStringLiteral("Print - ") + LocationName());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The printer must live until the engine has finished with it.
    connect(m_view, &QWebEngineView::printFinished, this, [printer](bool) {}, Qt::SingleShotConnection);
    m_view->print(printer.get());
}

void WebEngineBrowser::focusPage()
{
    m_view->setFocus();
}
