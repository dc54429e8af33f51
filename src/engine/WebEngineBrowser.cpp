#include "engine/WebEngineBrowser.h"
#include "engine/CertificateNotice.h"
#include "engine/ExternalLinks.h"
#include "engine/PageDialogs.h"
#include "engine/LinkPreview.h"
#include "engine/PageFullScreen.h"
#include "engine/PageLifecycle.h"
#include "engine/PagePrint.h"
#include "engine/PageScripts.h"
#include "engine/PageZoom.h"
#include "engine/PermissionBar.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include "core/RuntimeError.h"
#include "platform/Services.h"
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>
#include <utility>

namespace {

// The page's context menu: the engine's own (saving an image or a link goes through
// the save dialog), less the developer's entries, plus opening a link in the person's
// default browser and the answers kept for the site.
class PageView : public QWebEngineView
{
public:
    PageView(WebSession &session, WebPage *&page, QWidget *parent)
        : QWebEngineView(parent), m_session(session), m_page(page) {}

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
            connect(open, &QAction::triggered, this, [this, link] {
                ExternalLinks::open(link, m_page->siteName(), m_session.shell(), window(),
                                    [this](const QString &text) { emit m_page->statusMessage(text); });
            });
            const QList<QAction *> actions = menu->actions();
            menu->insertAction(actions.isEmpty() ? nullptr : actions.first(), open);
        }
        if (!m_page->url().host().isEmpty()) {
            menu->addSeparator();
            auto *permissions = new QAction(QStringLiteral("Site &Permissions..."), menu);
            connect(permissions, &QAction::triggered, this, [this] { showSitePermissions(m_page, window()); });
            menu->addAction(permissions);
        }
        if (siteOptions && siteOptionsOffered && siteOptionsOffered()) {
            auto *options = new QAction(QStringLiteral("Site &Options..."), menu);
            connect(options, &QAction::triggered, this, siteOptions);
            menu->addAction(options);
        }
        menu->popup(event->globalPos());
    }

public:
    // Offers the Top 8 site's own options, where the page is one.
    std::function<void()> siteOptions;
    std::function<bool()> siteOptionsOffered;

private:
    WebSession &m_session;
    WebPage *&m_page;
};

} // namespace

WebEngineBrowser::WebEngineBrowser(WebSession &session, QWidget *parent)
    : BrowserControl(parent), m_session(session), m_view(new PageView(session, m_page, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_page = new WebPage(session, this);
    m_view->setPage(m_page);
    setFocusProxy(m_view);
    // Only a page whose window listens is a Top 8 site with options of its own.
    static_cast<PageView *>(m_view)->siteOptions = [this] { emit siteOptionsWanted(); };
    static_cast<PageView *>(m_view)->siteOptionsOffered = [this] {
        return isSignalConnected(QMetaMethod::fromSignal(&BrowserControl::siteOptionsWanted));
    };
    new CertificateNotice(m_view, m_page, this);
    new LinkPreview(m_view, m_page, this);
    new PermissionBar(m_view, m_page, this);
    auto *messages = new PageMessageBar(m_view, this);
    connect(m_page, &WebPage::pageSays, messages, &PageMessageBar::add);
    m_zoom = new PageZoom(session, m_page, this, m_view);
    m_lifecycle = new PageLifecycle(m_page);
    // A chat or mail page allowed to notify must keep running in the background and in the tray.
    m_lifecycle->setStaysAwake([this] {
        return m_session.sites().permission(WebPage::originKey(m_page->url()), SiteSettings::Permission::Notifications)
               == std::optional<bool>(true);
    });
    m_lifecycle->watchCovering(m_view);
    installEditWatcher();
    watchEditsOutOfSight();
    connectLoadEvents();
    connectPageRequests();
    addBrowserKeys();
}

namespace {

// The keys the page left alone: the engine hands a key press the page did not use
// back to its view's parent, this control. Key presses that merely bubble up from the
// bars over the page do not count: the page itself must hold the keyboard focus.
class KeysLeftByPage : public QObject
{
public:
    KeysLeftByPage(QWidget *browser, QWebEngineView *view, std::function<bool(QKeyCombination)> take)
        : QObject(browser), m_view(view), m_take(std::move(take))
    {
        browser->installEventFilter(this);
        view->installEventFilter(this);
        for (QObject *child : view->children())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::ChildAdded)
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        QWidget *page = m_view->focusProxy();
        if (watched == parent())
            return !key->isAutoRepeat() && page && QApplication::focusWidget() == page && m_take(key->keyCombination());
        // The engine hands back no key press that carries text, and the text of
        // Backspace ("\b") types nothing: the page gets Backspace without it.
        if (watched == page && key->key() == Qt::Key_Backspace && !key->text().isEmpty()) {
            QKeyEvent bare(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                           key->nativeModifiers(), QString(), key->isAutoRepeat(), key->count(), key->device());
            QCoreApplication::sendEvent(page, &bare);
            return true;
        }
        return false;
    }

private:
    QWebEngineView *m_view;
    std::function<bool(QKeyCombination)> m_take;
};

// How long after its load a page's text is read (see pageText).
constexpr int kTextReadDelayMs = 1000;

// Whether the page's focused element takes typing, asked in the program's own world.
const char kFocusEditable[] = "(() => { const e = document.activeElement;"
                              " return !!e && (e.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(e.tagName)); })()";

} // namespace

// A browser's own keys in the page: Alt+Left or Backspace and Alt+Right go back and
// forward, F5 and Ctrl+R refresh, Shift+F10 opens the page's menu (the engine's own),
// Esc stops loading. Where there is no page to go to, nothing happens, as in other
// browsers. The window's keys (find, print, a new window) are the window's.
void WebEngineBrowser::addBrowserKeys()
{
    const auto key = [this](QKeyCombination k, auto slot) {
        (new QShortcut(QKeySequence(k), this, slot))->setContext(Qt::WidgetWithChildrenShortcut);
    };
    key(Qt::ALT | Qt::Key_Left, [this] {
        if (m_page->history()->canGoBack())
            GoBack();
    });
    key(Qt::ALT | Qt::Key_Right, [this] {
        if (m_page->history()->canGoForward())
            GoForward();
    });
    key(Qt::CTRL | Qt::Key_R, [this] { Refresh(); });
    // Esc stops a page that is still loading; a loaded page has the key to itself.
    auto *stop = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { Stop(); });
    stop->setContext(Qt::WidgetWithChildrenShortcut);
    stop->setEnabled(false);
    connect(m_page, &QWebEnginePage::loadStarted, stop, [stop] { stop->setEnabled(true); });
    connect(m_page, &QWebEnginePage::loadFinished, stop, [stop] { stop->setEnabled(false); });
    // F5 only once the page has left it: a window's menu item holding the key (Tile
    // in the main window) keeps it. Backspace only outside anything that takes typing,
    // where the page did not use it, and where it still is when it answers.
    new KeysLeftByPage(this, m_view, [this](QKeyCombination k) {
        if (k == QKeyCombination(Qt::Key_F5)) {
            Refresh();
            return true;
        }
        if (k != QKeyCombination(Qt::Key_Backspace) || !m_page->history()->canGoBack())
            return false;
        QPointer<WebEngineBrowser> self(this);
        const QUrl at = m_page->url();
        m_page->runJavaScript(QString::fromLatin1(kFocusEditable), QWebEngineScript::ApplicationWorld,
                              [self, at](const QVariant &editable) {
                                  if (self && !editable.toBool() && self->m_page->url() == at
                                      && self->m_page->history()->canGoBack())
                                      self->GoBack();
                              });
        return true;
    });
}

void WebEngineBrowser::installEditWatcher()
{
    m_page->scripts().insert(PageScripts::editWatcherScript());
}

// Read a while after the load, not at once: taking a whole page's text runs a layout
// in its renderer and a copy through the program, which would otherwise land on the
// page's first frames and, at start-up, on the other pages still loading.
void WebEngineBrowser::pageText(std::function<void(const QString &)> answer)
{
    QPointer<WebEngineBrowser> self(this);
    const quint64 load = m_loads;
    QTimer::singleShot(kTextReadDelayMs, this, [self, load, answer = std::move(answer)]() mutable {
        if (!self || self->m_loads != load || self->m_loading)
            return;
        self->m_page->toPlainText([self, load, answer = std::move(answer)](const QString &text) {
            if (self && self->m_loads == load)
                answer(text);
        });
    });
}

void WebEngineBrowser::connectLoadEvents()
{
    connect(m_page, &QWebEnginePage::titleChanged, this, &BrowserControl::titleChanged);
    connect(m_page, &WebPage::mainFrameNavigation, this, &BrowserControl::BeforeNavigate2);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_requested = false;
        ++m_loads;
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
        m_page->setLeaveRequested(false);
        reportHistoryState();
        emit DownloadComplete();
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] {
        // An address asked for here shows at once, before its load starts: it is
        // reported once the load is under way, in the order every load reports.
        if (m_requested && !m_loading) {
            m_addressHeld = true;
            return;
        }
        emit NavigateComplete2();
        // A page that changes its own address (history.pushState, #anchors) loads
        // nothing, and what the person typed there stays theirs.
        if (!m_loading)
            reportHistoryState();
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                // A discarded page's renderer was ended on purpose.
                if (status != QWebEnginePage::NormalTerminationStatus
                    && m_lifecycle->state() != QWebEnginePage::LifecycleState::Discarded)
                    emit RendererCrashed();
            });
}

// What the page asks of the program: status texts, the front, full screen, focus.
void WebEngineBrowser::connectPageRequests()
{
    connect(m_page, &WebPage::statusMessage, this, &BrowserControl::statusText);
    PagePrint::followPageRequests(m_view);
    connect(m_page, &WebPage::wantsFront, this, [this] {
        emit wantsFront();
        m_view->setFocus();
    });
    // The page's own full screen: its view goes over the whole screen until the page
    // leaves it (Esc there, or the page's own button).
    connect(m_page, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
        if (request.toggleOn() == bool(m_fullScreen))
            return request.accept();
        request.accept();
        if (request.toggleOn())
            m_fullScreen = new PageFullScreen(m_view, m_page->siteName(), this);
        else
            delete m_fullScreen;
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && (now == m_view || m_view->isAncestorOf(now)))
            emit GotFocus();
    });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page hides as its view goes: nothing of this object may answer that.
    disconnect(m_page, nullptr, this, nullptr);
    // The page goes back to its view before either goes.
    delete m_fullScreen;
}

int WebEngineBrowser::zoomPercent() const { return m_zoom->percent(); }
void WebEngineBrowser::setZoomPercent(int percent) { m_zoom->setPercent(percent); }
void WebEngineBrowser::zoomIn() { m_zoom->zoomIn(); }
void WebEngineBrowser::zoomOut() { m_zoom->zoomOut(); }

void WebEngineBrowser::reportHistoryState()
{
    QWebEngineHistory *h = m_page->history();
    emit CommandStateChange(1, h->canGoForward());
    emit CommandStateChange(2, h->canGoBack());
}

// Whatever the person asks of the page ends any automatic reload still waiting.
void WebEngineBrowser::personNavigates()
{
    m_page->setAutomaticReload(false);
    m_page->setLeaveRequested(true);
    m_requested = true;
    m_lifecycle->wake();
}

void WebEngineBrowser::Navigate(const QString &address)
{
    personNavigates();
    m_page->setUrl(QUrl::fromUserInput(address));
}

void WebEngineBrowser::GoBack()
{
    if (!m_page->history()->canGoBack())
        throw RuntimeError::componentFailure();
    personNavigates();
    m_page->triggerAction(QWebEnginePage::Back);
}

void WebEngineBrowser::GoForward()
{
    if (!m_page->history()->canGoForward())
        throw RuntimeError::componentFailure();
    personNavigates();
    m_page->triggerAction(QWebEnginePage::Forward);
}

void WebEngineBrowser::Refresh()
{
    m_page->setAutomaticReload(false);
    m_page->setLeaveRequested(true);
    m_page->triggerAction(QWebEnginePage::Reload);
}

// Nobody is at the page to answer its leave-this-page question, and the person's
// typing is already protected (queryUserEdits), so the question is answered for them.
void WebEngineBrowser::AutoRefresh()
{
    if (!m_lifecycle->autoReloadNow())
        return;
    m_page->setAutomaticReload(true);
    m_page->triggerAction(QWebEnginePage::Reload);
}

void WebEngineBrowser::Stop()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

QString WebEngineBrowser::LocationURL() const
{
    return m_page->url().toString();
}

QString WebEngineBrowser::LocationName() const
{
    const QString t = m_page->title();
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
    PagePrint::run(m_view);
}

// Only the person's own typing since the page loaded counts (see PageScripts).
// A discarded page holds no edits; a frozen one runs no script, so it is woken to answer.
void WebEngineBrowser::queryUserEdits(std::function<void(bool editing)> answer)
{
    if (m_lifecycle->state() == QWebEnginePage::LifecycleState::Discarded)
        return answer(false);
    m_lifecycle->hold();
    QPointer<WebEngineBrowser> self(this);
    QPointer<PageLifecycle> lifecycle(m_lifecycle);
    m_page->runJavaScript(PageScripts::editsQuery(), QWebEngineScript::ApplicationWorld,
                          [self, lifecycle, answer](const QVariant &result) {
                              if (self)
                                  answer(result.toBool());
                              if (lifecycle)
                                  lifecycle->release();
                          });
}

// A page holding the person's edits is only ever frozen: discarding it would bring
// back plain fields at best, and an editor of its own empty.
void WebEngineBrowser::allowDiscarding(int minuteMs, std::function<bool()> allowed)
{
    m_lifecycle->setDiscarding(minuteMs, [this, allowed = std::move(allowed)] { return !m_holdsEdits && allowed(); });
}

void WebEngineBrowser::watchEditsOutOfSight()
{
    // Nobody types into a page out of sight: what it holds when it goes stays so.
    connect(m_page, &QWebEnginePage::visibleChanged, this, [this](bool visible) {
        if (visible)
            return;
        QPointer<WebEngineBrowser> self(this);
        queryUserEdits([self](bool editing) {
            if (self)
                self->m_holdsEdits = editing;
        });
    });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { m_holdsEdits = false; });
    // Typing while an automatic reload is on its way (the old page is still shown)
    // stops the reload: the keys go to the page the person sees.
    m_view->installEventFilter(this);
    for (QObject *child : m_view->children())
        child->installEventFilter(this);
}

// A page's own Copy button works as the person presses it, and at no other time.
void WebEngineBrowser::allowClipboardWrites()
{
    QWebEngineSettings *settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    if (!m_clipboardWindow) {
        m_clipboardWindow = new QTimer(this);
        m_clipboardWindow->setSingleShot(true);
        m_clipboardWindow->setInterval(kClipboardMs);
        connect(m_clipboardWindow, &QTimer::timeout, this, [this] {
            m_page->settings()->resetAttribute(QWebEngineSettings::JavascriptCanAccessClipboard);
        });
    }
    m_clipboardWindow->start();
}

bool WebEngineBrowser::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_view)
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
        break;
    case QEvent::MouseButtonPress:
        if (watched != m_view)
            allowClipboardWrites();
        break;
    case QEvent::KeyPress:
    case QEvent::InputMethod:
        if (watched != m_view)
            allowClipboardWrites();
        if (watched != m_view && m_page->automaticReload() && !m_page->askingToLeave()) {
            m_page->setAutomaticReload(false);
            m_page->triggerAction(QWebEnginePage::Stop);
            emit autoReloadStopped();
        }
        break;
    default:
        break;
    }
    return false;
}

bool WebEngineBrowser::mayLeave()
{
    // A page that was never loaded or has been discarded holds nothing to lose.
    if (m_page->url().isEmpty() || m_lifecycle->state() == QWebEnginePage::LifecycleState::Discarded)
        return true;
    QPointer<WebEngineBrowser> self(this);
    m_lifecycle->hold(); // a frozen page runs no script, its guard included
    m_page->setLeaveRequested(true);
    QEventLoop loop;
    bool leave = true;
    connect(m_page, &QWebEnginePage::windowCloseRequested, &loop, &QEventLoop::quit);
    connect(m_page, &WebPage::leaveAnswered, &loop, [&](bool yes) {
        leave = yes;
        loop.quit();
    });
    // A page that does not answer (a busy script, a dead renderer) does not hold the
    // window; one whose question is on screen waits for the person.
    QTimer patience;
    connect(&patience, &QTimer::timeout, &loop, [&] {
        if (!self || !m_page->askingToLeave())
            loop.quit();
    });
    patience.start(2000);
    m_page->triggerAction(QWebEnginePage::RequestClose);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (self) {
        m_page->setLeaveRequested(false);
        m_lifecycle->release();
    }
    return leave;
}

void WebEngineBrowser::focusPage()
{
    m_view->setFocus();
}
