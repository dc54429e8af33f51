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
#include <QWebEngineScript>
#include <QPointer>
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
    // Pages never reach into the local disk or from local files out to the web.
    QWebEngineSettings *settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
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
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    emit RendererCrashed();
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

// Looks at the page's own form fields in a script world of ours that pages cannot see.
static const char kUserEditsScript[] = R"JS(
(function () {
  var skip = ['hidden', 'submit', 'button', 'reset', 'image', 'file'];
  function filled(e) {
    if (e.isContentEditable) return (e.textContent || '').trim().length > 0;
    return typeof e.value === 'string' && e.value.length > 0;
  }
  var a = document.activeElement;
  if (a && a !== document.body && (a.isContentEditable || a.tagName === 'TEXTAREA' ||
      (a.tagName === 'INPUT' && skip.indexOf((a.type || 'text').toLowerCase()) < 0 &&
       a.type !== 'checkbox' && a.type !== 'radio')) && filled(a))
    return true;
  var fields = document.querySelectorAll('input, textarea, select');
  for (var i = 0; i < fields.length; i++) {
    var e = fields[i], type = (e.type || '').toLowerCase();
    if (e.tagName === 'SELECT') {
      for (var j = 0; j < e.options.length; j++)
        if (e.options[j].selected !== e.options[j].defaultSelected) return true;
    } else if (type === 'checkbox' || type === 'radio') {
      if (e.checked !== e.defaultChecked) return true;
    } else if (skip.indexOf(type) < 0 && e.value !== e.defaultValue) {
      return true;
    }
  }
  return false;
})()
)JS";

void WebEngineBrowser::queryUserEdits(std::function<void(bool editing)> answer)
{
    QPointer<WebEngineBrowser> self(this);
    m_view->page()->runJavaScript(QString::fromLatin1(kUserEditsScript), QWebEngineScript::ApplicationWorld,
                                  [self, answer](const QVariant &result) {
                                      if (self)
                                          answer(result.toBool());
                                  });
}

void WebEngineBrowser::focusPage()
{
    m_view->setFocus();
}
