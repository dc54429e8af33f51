#include "browser/WebEngineBrowser.h"
#include "browser/web/CertificateNotice.h"
#include "browser/web/PageScripts.h"
#include "browser/web/WebPage.h"
#include "browser/web/WebSession.h"
#include "platform/RuntimeError.h"
#include "platform/Services.h"
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <QWheelEvent>
#include <memory>
#include <utility>

namespace {

// The page's context menu: the engine's own, less the developer's entries, plus
// opening a link in the person's default browser.
class PageView : public QWebEngineView
{
public:
    PageView(WebSession &session, QWidget *parent) : QWebEngineView(parent), m_session(session) {}

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        QMenu *menu = createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (QWebEnginePage::WebAction a : {QWebEnginePage::ViewSource, QWebEnginePage::InspectElement,
                                            QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewWindow,
                                            QWebEnginePage::OpenLinkInNewBackgroundTab})
            menu->removeAction(pageAction(a));
        const QUrl link = lastContextMenuRequest() ? lastContextMenuRequest()->linkUrl() : QUrl();
        if (link.isValid() && !link.isEmpty() && m_session.shell()) {
            auto *open = new QAction(QStringLiteral("Open Link in Default &Browser"), menu);
            connect(open, &QAction::triggered, this, [this, link] { m_session.shell()->open(link); });
            const QList<QAction *> actions = menu->actions();
            menu->insertAction(actions.isEmpty() ? nullptr : actions.first(), open);
        }
        menu->popup(event->globalPos());
    }

private:
    WebSession &m_session;
};

constexpr int kZoomSteps[] = {25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500};

} // namespace

WebEngineBrowser::WebEngineBrowser(WebSession &session, QWidget *parent)
    : BrowserControl(parent), m_session(session), m_view(new PageView(session, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_page = new WebPage(session, this);
    m_view->setPage(m_page);
    setFocusProxy(m_view);
    new CertificateNotice(m_view, m_page, this);

    QWebEngineScript watcher;
    watcher.setName(QStringLiteral("velloran-edits"));
    watcher.setSourceCode(PageScripts::editWatcher(QUuid::createUuid().toString(QUuid::WithoutBraces)));
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setWorldId(QWebEngineScript::ApplicationWorld);
    watcher.setRunsOnSubFrames(true);
    m_page->scripts().insert(watcher);

    connect(m_page, &WebPage::mainFrameNavigation, this, &BrowserControl::BeforeNavigate2);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_requested = false;
        emit DownloadBegin();
        if (std::exchange(m_addressHeld, false))
            emit NavigateComplete2();
    });
    // The windows disable Go Back and Go Forward whenever a navigation starts, so the
    // history state is reported after every load, changed or not.
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        m_loading = false;
        m_requested = false;
        m_page->setAutomaticReload(false);
        reportHistoryState();
        emit DownloadComplete();
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] {
        applySiteZoom();
        // An address asked for here shows at once, before its load starts: it is
        // reported once the load is under way, in the order every load reports.
        if (m_requested && !m_loading) {
            m_addressHeld = true;
            return;
        }
        emit NavigateComplete2();
        // A page that changes its own address (history.pushState, #anchors) loads nothing.
        if (!m_loading) {
            m_page->runJavaScript(PageScripts::editsReset(), QWebEngineScript::ApplicationWorld);
            reportHistoryState();
        }
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    emit RendererCrashed();
            });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && (now == m_view || m_view->isAncestorOf(now)))
            emit GotFocus();
    });

    // Zoom by keyboard, and Ctrl+wheel over the page.
    auto shortcut = [this](const QList<QKeySequence> &keys, auto slot) {
        for (const QKeySequence &k : keys) {
            auto *s = new QShortcut(k, this, slot);
            s->setContext(Qt::WidgetWithChildrenShortcut);
        }
    };
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [this] { zoomIn(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { zoomOut(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { setZoomPercent(100); });
    qApp->installEventFilter(this);
}

bool WebEngineBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if ((wheel->modifiers() & Qt::ControlModifier) && widget && m_view->isAncestorOf(widget)) {
            if (wheel->angleDelta().y() > 0)
                zoomIn();
            else if (wheel->angleDelta().y() < 0)
                zoomOut();
            return true;
        }
    }
    return BrowserControl::eventFilter(watched, event);
}

int WebEngineBrowser::zoomPercent() const
{
    return qRound(m_page->zoomFactor() * 100);
}

void WebEngineBrowser::setZoomPercent(int percent)
{
    percent = std::clamp(percent, SiteSettings::kMinZoom, SiteSettings::kMaxZoom);
    m_page->setZoomFactor(percent / 100.0);
    m_session.sites().setZoom(m_page->url().host(), percent);
}

void WebEngineBrowser::zoomIn()
{
    const int now = zoomPercent();
    for (int step : kZoomSteps)
        if (step > now) {
            setZoomPercent(step);
            return;
        }
}

void WebEngineBrowser::zoomOut()
{
    const int now = zoomPercent();
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < now) {
            setZoomPercent(*it);
            return;
        }
}

void WebEngineBrowser::applySiteZoom()
{
    const int percent = m_session.sites().zoom(m_page->url().host());
    if (percent != zoomPercent())
        m_page->setZoomFactor(percent / 100.0);
}

void WebEngineBrowser::reportHistoryState()
{
    QWebEngineHistory *h = m_view->history();
    emit CommandStateChange(1, h->canGoForward());
    emit CommandStateChange(2, h->canGoBack());
}

// Whatever the person asks of the page ends any automatic reload still waiting.
void WebEngineBrowser::personNavigates()
{
    m_page->setAutomaticReload(false);
    m_requested = true;
}

void WebEngineBrowser::Navigate(const QString &address)
{
    personNavigates();
    m_view->setUrl(QUrl::fromUserInput(address));
}

void WebEngineBrowser::GoBack()
{
    if (!m_view->history()->canGoBack())
        throw RuntimeError::componentFailure();
    personNavigates();
    m_view->back();
}

void WebEngineBrowser::GoForward()
{
    if (!m_view->history()->canGoForward())
        throw RuntimeError::componentFailure();
    personNavigates();
    m_view->forward();
}

void WebEngineBrowser::Refresh()
{
    m_page->setAutomaticReload(false);
    m_view->reload();
}

// Nobody is at the page to answer its leave-this-page question, and the person's
// typing is already protected (queryUserEdits), so the question is answered for them.
void WebEngineBrowser::AutoRefresh()
{
    m_page->setAutomaticReload(true);
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

void WebEngineBrowser::Cut() { m_page->triggerAction(QWebEnginePage::Cut); }
void WebEngineBrowser::Copy() { m_page->triggerAction(QWebEnginePage::Copy); }
void WebEngineBrowser::Paste() { m_page->triggerAction(QWebEnginePage::Paste); }
void WebEngineBrowser::SelectAll() { m_page->triggerAction(QWebEnginePage::SelectAll); }

void WebEngineBrowser::Find(const QString &text, bool backward)
{
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    m_page->findText(text, flags, [this, text](const QWebEngineFindTextResult &r) {
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

// Only the person's own typing since the page loaded counts (see PageScripts).
void WebEngineBrowser::queryUserEdits(std::function<void(bool editing)> answer)
{
    QPointer<WebEngineBrowser> self(this);
    m_page->runJavaScript(PageScripts::editsQuery(), QWebEngineScript::ApplicationWorld,
                          [self, answer](const QVariant &result) {
                              if (self)
                                  answer(result.toBool());
                          });
}

void WebEngineBrowser::focusPage()
{
    m_view->setFocus();
}
