#include "browser/BrowserWindowBase.h"
#include "engine/BrowserControl.h"
#include "platform/Geometry.h"
#include "browser/PageKeeper.h"
#include "platform/AppContext.h"
#include "platform/Icons.h"
#include "platform/ToolBar.h"
#include <QCloseEvent>
#include <QIcon>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QMdiArea>
#include <QMenu>

namespace {

QList<VToolBar::ButtonSpec> toolbarButtons()
{
    using S = VToolBar::ButtonStyle;
    QList<VToolBar::ButtonSpec> buttons{
        {S::Placeholder, {}, QStringLiteral("Refresh"), {}},
        {S::Button, {}, QStringLiteral("Open in IE"), QStringLiteral(":/icons/openexternal.svg")},
        {S::Placeholder, {}, {}, {}},
    };
    buttons += PageController::navigationSpecs(); // positions 4 to 8
    buttons += QList<VToolBar::ButtonSpec>{
        {S::Separator, {}, {}, {}},
        {S::Button, {}, QStringLiteral("Print"), QStringLiteral(":/icons/print.svg")},
        {S::Placeholder, {}, {}, {}},
        {S::Placeholder, {}, {}, {}},
        {S::Button, {}, QStringLiteral("Full Screen"), QStringLiteral(":/icons/fullscreen.svg")},
        {S::Placeholder, {}, {}, {}},
        {S::Placeholder, {}, {}, {}},
        {S::Button, {}, QStringLiteral("Send Velloran To Icon Tray"), QStringLiteral(":/icons/tray.svg")},
        {S::Separator, {}, {}, {}},
        {S::Button, {}, QStringLiteral("Favorites"), QStringLiteral(":/icons/favorites.svg")},
        {S::Button, {}, QStringLiteral("History"), QStringLiteral(":/icons/history.svg"), true, false},
    };
    return buttons;
}

} // namespace

BrowserWindowBase::BrowserWindowBase(AppContext &ctx, const UrlRecord &record, const QString &readyCaption,
                                     const PageController::Policies &policies)
    : m_ctx(ctx), m_slot(record.slot), m_homeCaption(record.caption())
{
    HomeURL = record.url;
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(readyCaption);
    setWindowIcon(sharedIcon(QStringLiteral(":/icons/velloran.svg")));
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("pageArea"));
    setWidget(m_body);
    Toolbar1 = new VToolBar(toolbarButtons(), m_body);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("Page toolbar"));
    WebBrowser1 = ctx.browserFactory(m_body);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->allowDiscarding(ctx.minuteMs, [&ctx] { return ctx.state.RefreshOnActive != 0; });
    // Holds the title of the page last loaded; never placed in the layout.
    txtCurrentURL = new QLineEdit(m_body);
    txtCurrentURL->hide();
    m_body->installEventFilter(this);

    connect(Toolbar1, &VToolBar::buttonClick, this, &BrowserWindowBase::Toolbar1_ButtonClick);
    m_page = new PageController(ctx, this, WebBrowser1, Toolbar1, txtCurrentURL, [this] { return caption(); }, policies);
    connect(m_page, &PageController::noteChanged, this, &BrowserWindowBase::statusNote);
    connect(m_page, &PageController::downloadStarted, this, &BrowserWindowBase::showDownloading);
    connect(m_page, &PageController::relayoutWanted, this, [this] { layoutPage(false, false, false); });
    connect(m_page, &PageController::loadFinished, this, &BrowserWindowBase::showLoadedPage);
    connect(m_page, &PageController::loadFinished, this, &BrowserWindowBase::pageLoaded);
    connect(WebBrowser1, &BrowserControl::GotFocus, this, &BrowserWindowBase::WebBrowser1_GotFocus);
    connect(WebBrowser1, &BrowserControl::statusText, this, &BrowserWindowBase::statusNote);
    // One of the page's notifications was clicked: the page comes to the front.
    connect(WebBrowser1, &BrowserControl::wantsFront, this, &BrowserWindowBase::frontWanted);

    // The registry finds a slot's window by its Tag.
    setFormTag(this, QString::number(m_slot));
    ctx.windows.join(this);
}

BrowserWindowBase::~BrowserWindowBase()
{
    m_ctx.windows.leave(this);
}

QString BrowserWindowBase::tag() const
{
    return formTag(this);
}

int BrowserWindowBase::innerWidth() const { return m_body->width(); }
int BrowserWindowBase::innerHeight() const { return m_body->height(); }

void BrowserWindowBase::layoutPage(bool recomputeWidth, bool move, bool setToolbarVisibility)
{
    // BrowserWidth is kept in pixels: the page area is laid out in the window's own units.
    if (recomputeWidth)
        BrowserWidth = innerWidth();
    Toolbar1->setGeometry(0, 0, innerWidth(), Toolbar1->sizeHint().height());
    const bool toolbarOn = m_ctx.state.ToolbarOn != 0;
    if (setToolbarVisibility)
        Toolbar1->setVisible(toolbarOn);
    const int top = toolbarOn ? Toolbar1->height() : 0;
    if (move)
        WebBrowser1->move(0, top);
    WebBrowser1->resize(int(BrowserWidth), std::max(0, innerHeight() - top));
    m_page->keeper()->placeNotice();
}

void BrowserWindowBase::Form_Load()
{
    Trap t(m_ctx, m_page->loadPolicy());
    t([&] { setWindowTitle(m_homeCaption); });
    t([&] { WebBrowser1->Navigate(HomeURL); });
    t([&] { emit firstLoaded(); });
    t([&] { emit statusText(caption() + QLatin1Char(' ')); });
    t([&] { Toolbar1->setButtonToolTip(BtnHome, QStringLiteral("Home - ") + caption()); });
    t([&] { FitHeightToWorkArea(this, *m_ctx.screen); });
}

void BrowserWindowBase::commonActivate()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] {
        if (m_ctx.state.RefreshOnActive != 0)
            refreshSafely();
    });
    t([&] { emit statusText(pageStatus(txtCurrentURL->text() + QLatin1Char(' '))); });
    t([&] { emit activated(); });
}

void BrowserWindowBase::tabHighlighting()
{
    emit tabSelected(m_slot);
}

bool BrowserWindowBase::isFront() const
{
    return mdiArea() && mdiArea()->currentSubWindow() == this;
}

void BrowserWindowBase::maximizeFrontWindow()
{
    QMdiSubWindow *front = mdiArea() ? mdiArea()->currentSubWindow() : nullptr;
    if (!front)
        throw RuntimeError::noObject();
    front->showMaximized();
}

void BrowserWindowBase::currentWindowPick()
{
    auto &s = m_ctx.state;
    // A slot only listed on the URL menu has no window: it cannot be the current page.
    for (int i = 1; i <= 8; ++i) {
        auto *w = qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(i)));
        if (s.Slots(i).closed == 0 && w && !w->m_unloaded) {
            s.CurrentURL = s.Slots(i).url;
            s.CurrentCaption = s.Slots(i).caption;
            s.CurrentSlot = int16_t(i);
            return;
        }
    }
}

void BrowserWindowBase::unloadCommonSteps()
{
    emit slotReleased(m_slot, caption());
    m_ctx.state.Slots(m_slot).closed = -1;
}

int BrowserWindowBase::loadedCount(const AppContext &ctx)
{
    int n = 0;
    for (QWidget *w : ctx.windows.windows())
        n += qobject_cast<BrowserWindowBase *>(w) != nullptr;
    return n;
}

bool BrowserWindowBase::isLastBrowserWindow() const
{
    // Favorites, Keyboard Shortcuts or full screen being open must not keep the page
    // menus alive once the last page has gone.
    return loadedCount(m_ctx) == 1;
}

void BrowserWindowBase::statusNote(const QString &text)
{
    // A note about a page in the background would be overwritten at once by the
    // page in front; it is shown when its own page comes to the front instead.
    if (isFront())
        emit statusText(text);
}

void BrowserWindowBase::refreshSafely() { m_page->keeper()->refreshSafely(); }
bool BrowserWindowBase::reloadPending() const { return m_page->keeper()->reloadPending(); }
int BrowserWindowBase::recentCrashes() const { return m_page->keeper()->recentCrashes(); }
QLabel *BrowserWindowBase::crashNotice() const { return m_page->keeper()->crashNotice(); }

// A page that has moved off its slot's own site says where it is now: its title
// alone could be anyone's.
QString BrowserWindowBase::pageStatus(const QString &text) const
{
    const QString note = m_page->keeper()->note();
    if (!note.isEmpty())
        return note;
    const QUrl now(WebBrowser1->LocationURL());
    const QString home = QUrl::fromUserInput(HomeURL).host();
    if (now.host().isEmpty() || now.host().compare(home, Qt::CaseInsensitive) == 0)
        return text;
    const QString site = now.port() > 0 ? now.host() + QLatin1Char(':') + QString::number(now.port()) : now.host();
    return site + QStringLiteral(" \u2013 ") + text.trimmed() + QLatin1Char(' ');
}

bool BrowserWindowBase::mayLeave()
{
    return m_unloaded || m_leaveSettled || WebBrowser1->mayLeave();
}

void BrowserWindowBase::unload()
{
    m_leaveSettled = true;
    close();
}

void BrowserWindowBase::closeEvent(QCloseEvent *event)
{
    // Closed by the person (its own close button): the page may ask them to stay.
    if (!m_ctx.ended && !mayLeave()) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        m_page->keeper()->stop();
        Form_Unload();
        m_ctx.windows.leave(this);
    }
    event->accept();
    QMdiSubWindow::closeEvent(event);
}

bool BrowserWindowBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_body && event->type() == QEvent::Resize && !m_unloaded)
        Form_Resize();
    return QMdiSubWindow::eventFilter(watched, event);
}

void BrowserWindowBase::Toolbar1_ButtonClick(int index)
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    switch (index) {
    case BtnOpenInIE: t([&] { OpenInNewWindow(); }); break;
    case BtnRefresh: t([&] { m_page->RefreshPage(); }); break;
    case BtnBack: m_page->NavigateBack(); break;
    case BtnForward: t([&] { m_page->NavigateForward(); }); break;
    case BtnStop: t([&] { StopLoading(); }); break;
    case BtnHome: t([&] { NavigateHome(); }); break;
    case BtnPrint: t([&] { PrintPage(); }); break;
    case BtnFullScreen: ShowFullScreen(); break;
    case BtnSendToTray: mnuSendToTray_Click(); break;
    case BtnFavorites: t([&] { emit favoritesWanted(); }); break;
    default: break;
    }
    if (!m_ctx.ended && !m_unloaded)
        Toolbar1->setButtonEnabled(BtnStop, false);
}

void BrowserWindowBase::OpenInNewWindow()
{
    const QUrl url = QUrl::fromUserInput(WebBrowser1->LocationURL());
    if (url.isValid() && !url.isEmpty())
        m_ctx.shell->open(url);
}

void BrowserWindowBase::StopLoading()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { WebBrowser1->Stop(); });
    t([&] { Toolbar1->setButtonEnabled(BtnStop, false); });
}

void BrowserWindowBase::NavigateHome()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { WebBrowser1->Navigate(HomeURL); });
    t([&] { Toolbar1->setButtonEnabled(BtnStop, false); });
}

void BrowserWindowBase::PrintPage() { WebBrowser1->Print(); }

void BrowserWindowBase::ShowFullScreen()
{
    Trap t(m_ctx, showFullScreenPolicy());
    t([&] { emit fullScreenWanted(); });
}

void BrowserWindowBase::mnuSendToTray_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { m_ctx.state.InTray = -1; });
    t([&] { emit sendToTrayWanted(); });
}

void BrowserWindowBase::showDownloading()
{
    if (isFront())
        emit statusText(QStringLiteral(" Downloading ") + WebBrowser1->LocationURL() + QStringLiteral(" ..."));
}

void BrowserWindowBase::showLoadedPage()
{
    if (isFront())
        emit statusText(pageStatus(WebBrowser1->LocationName() + QLatin1Char(' ')));
}

void BrowserWindowBase::WebBrowser1_GotFocus()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { m_ctx.state.CurrentURL = WebBrowser1->LocationURL(); });
    t([&] { m_ctx.state.CurrentCaption = caption(); });
    t([&] { m_ctx.state.CurrentSlot = int16_t(slot()); });
}
