#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "engine/BrowserControl.h"
#include "platform/Geometry.h"
#include "browser/PageController.h"
#include "browser/PageKeeper.h"
#include "engine/FindBar.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/ToolBar.h"
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <algorithm>

namespace {

QList<VToolBar::ButtonSpec> navigationButtons()
{
    using S = VToolBar::ButtonStyle;
    QList<VToolBar::ButtonSpec> buttons{
        {S::Button, {}, QStringLiteral("Restore"), QStringLiteral(":/icons/restore.svg")},
        {S::Separator, {}, {}, {}},
        {S::Placeholder, {}, {}, {}},
    };
    buttons += PageController::navigationSpecs(); // positions 4 to 8
    buttons += QList<VToolBar::ButtonSpec>{
        {S::Separator, {}, {}, {}},
        {S::Button, {}, QStringLiteral("Favorites"), QStringLiteral(":/icons/favorites.svg")},
        {S::Button, {}, QStringLiteral("History"), QStringLiteral(":/icons/history.svg"), true, false},
    };
    return buttons;
}

QList<VToolBar::ButtonSpec> cornerButtons()
{
    using S = VToolBar::ButtonStyle;
    return {
        {S::Button, {}, QStringLiteral("Minimize"), QStringLiteral(":/icons/minimize.svg")},
        {S::Button, {}, QStringLiteral("Restore"), QStringLiteral(":/icons/restore.svg")},
        {S::Button, {}, QStringLiteral("Close"), QStringLiteral(":/icons/close.svg")},
    };
}

// F11 returns to the main window whatever modifiers are held.
QList<QKeySequence> f11WithAnyModifiers()
{
    QList<QKeySequence> keys;
    for (int bits = 0; bits < 16; ++bits) // Shift, Ctrl, Alt, Meta in the four bits
        keys.append(QKeySequence(QKeyCombination(Qt::KeyboardModifiers(bits << 25), Qt::Key_F11)));
    return keys;
}

// NavigateComplete2 here: 35601 and 35602 pass silently, 5 and 423 reset the pointer
// without a message, any other error is reported as a navigation error.
ErrorPolicy navigateCompletePolicy(AppContext &ctx)
{
    ErrorPolicy p;
    p.custom = [&ctx](const RuntimeError &e) {
        const int n = e.number();
        if (n < 0 || n == 35601 || n == 35602)
            return false;
        if (n != 5 && n != 423)
            ctx.error(navigationErrorText(e));
        ctx.setScreenBusy(false);
        return true;
    };
    return p;
}

} // namespace

frmHTMLBrowserFullScreen::frmHTMLBrowserFullScreen(AppContext &ctx)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmHTMLBrowserFullScreen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
    // The whole screen the main window was on; Load trims the height to the work area.
    const QRect whole(ctx.screen->screenTopLeftPixels(), ctx.screen->screenSizePixels());
    if (QScreen *screen = QGuiApplication::screenAt(whole.center()))
        setScreen(screen);
    setGeometry(whole);

    Toolbar1 = new VToolBar(navigationButtons(), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setAccessibleName(QStringLiteral("Page toolbar"));
    cmbTop8 = new QComboBox(Toolbar1);
    cmbTop8->setObjectName(QStringLiteral("cmbTop8"));
    cmbTop8->setAccessibleName(QStringLiteral("Top 8 page"));
    // Editable only so activation can show the current page even when it is not listed;
    // the user still just picks.
    cmbTop8->setEditable(true);
    cmbTop8->lineEdit()->setReadOnly(true);
    cmbTop8->setInsertPolicy(QComboBox::NoInsert);
    cmbTop8->setMinimumWidth(300);
    Toolbar1->addWidget(cmbTop8);
    // Why the last automatic reload of this page was skipped; there is no status bar here.
    lblNote = new QLabel(Toolbar1);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setAccessibleName(QStringLiteral("Page note"));
    lblNote->setContentsMargins(8, 0, 8, 0);
    Toolbar1->addWidget(lblNote);
    Toolbar2 = new VToolBar(cornerButtons(), this);
    Toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    Toolbar2->setAccessibleName(QStringLiteral("Window toolbar"));
    WebBrowser1 = ctx.browserFactory(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // Holds the title of the page last loaded; never shown.
    txtCurrentURL = new QLineEdit(this);
    txtCurrentURL->hide();
    createPageController();

    // A window-wide shortcut sees F11 even while the page holds the keyboard focus.
    auto *f11 = new QShortcut(this);
    f11->setKeys(f11WithAnyModifiers());
    f11->setContext(Qt::WindowShortcut);
    connect(f11, &QShortcut::activated, this, &frmHTMLBrowserFullScreen::F11Pressed);
    addPageWindowKeys();

    connect(Toolbar1, &VToolBar::buttonClick, this, &frmHTMLBrowserFullScreen::Toolbar1_ButtonClick);
    connect(Toolbar2, &VToolBar::buttonClick, this, &frmHTMLBrowserFullScreen::Toolbar2_ButtonClick);
    // activated, not currentIndexChanged: only the user's own choice navigates.
    connect(cmbTop8, &QComboBox::activated, this, &frmHTMLBrowserFullScreen::cmbTop8_Click);

    ctx.windows.join(this);
}

void frmHTMLBrowserFullScreen::createPageController()
{
    m_page = new PageController(m_ctx, this, WebBrowser1, Toolbar1, txtCurrentURL, [this] { return HomeCaption; },
                                {.beforeNavigate = ErrorPolicy::navigation(),
                                 .downloadBegin = ErrorPolicy::navigation(),
                                 .navigateComplete = navigateCompletePolicy(m_ctx)});
    connect(m_page, &PageController::noteChanged, this, &frmHTMLBrowserFullScreen::showNote);
    connect(m_page, &PageController::loadedNote, this, &frmHTMLBrowserFullScreen::showNote);
    connect(m_page, &PageController::relayoutWanted, this, &frmHTMLBrowserFullScreen::resizePage);
    connect(m_page, &PageController::loadFinished, this, &frmHTMLBrowserFullScreen::refreshButtonOn);
}

frmHTMLBrowserFullScreen::~frmHTMLBrowserFullScreen()
{
    m_ctx.windows.leave(this);
}

void frmHTMLBrowserFullScreen::Form_Load()
{
    Trap t(m_ctx, m_page->loadPolicy());
    const auto &s = m_ctx.state;
    t([&] { ReturningToMainWindow = false; });
    t([&] { HomeURL = s.CurrentURL; });
    t([&] { HomeCaption = s.CurrentCaption; });
    // Names the page, so the window manager and the user can tell this window apart.
    t([&] { setWindowTitle(QStringLiteral("Velloran - ") + HomeCaption); });
    t([&] { WebBrowser1->Navigate(HomeURL); });
    t([&] { FillTop8List(); });
    t([&] { Toolbar1->setButtonToolTip(BtnHome, QStringLiteral("Home - ") + HomeCaption); });
    t([&] { FitHeightToWorkArea(this, *m_ctx.screen); });
}

void frmHTMLBrowserFullScreen::FillTop8List()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    auto &s = m_ctx.state;
    // All eight slots are looked at, not only as many as there are open pages: the
    // open ones need not be the first.
    for (int i = 1; i <= 8; ++i) {
        t([&] {
            if (s.Slots(i).closed == 0 && !s.Slots(i).caption.isEmpty())
                cmbTop8->addItem(QString::number(i) + QStringLiteral(". ") + s.Slots(i).caption);
        });
    }
}

void frmHTMLBrowserFullScreen::LayoutFullScreen()
{
    ClientWidth = width();
    Toolbar1->setGeometry(0, 0, width(), Toolbar1->sizeHint().height());
    Toolbar2->resize(Toolbar2->sizeHint());
    Toolbar2->move(width() - Toolbar2->width(), 0);
    Toolbar2->raise();
    WebBrowser1->move(0, Toolbar1->height());
    resizePage();
    m_page->keeper()->placeNotice();
}

// The page fills the window below the top bar, less the find bar while it is open.
int frmHTMLBrowserFullScreen::pageHeight() const
{
    const int find = m_find && !m_find->isHidden() ? m_find->sizeHint().height() : 0;
    return std::max(0, height() - Toolbar1->height() - find);
}

void frmHTMLBrowserFullScreen::addPageWindowKeys()
{
    // The main window's bar is out of sight here: the page gets one of its own.
    m_find = new FindBar(this);
    m_find->setAutoFillBackground(true);
    m_find->attach(WebBrowser1);
    connect(m_find, &FindBar::shownOrHidden, this, [this] {
        if (!m_unloaded)
            LayoutFullScreen();
    });
    const auto key = [this](QKeyCombination k, ErrorPolicy policy, std::function<void()> step) {
        auto *shortcut = new QShortcut(QKeySequence(k), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, policy, step] {
            Trap t(m_ctx, policy);
            t(step);
        });
    };
    key(Qt::CTRL | Qt::Key_F, ErrorPolicy::navigation(), [this] { m_find->open(); });
    key(Qt::CTRL | Qt::Key_P, ErrorPolicy::shortMsg().negativeShown(), [this] { WebBrowser1->Print(); });
    key(Qt::CTRL | Qt::Key_N, ErrorPolicy::shortMsg().negativeShown(), [this] {
        const QUrl url = QUrl::fromUserInput(WebBrowser1->LocationURL());
        if (url.isValid() && !url.isEmpty())
            m_ctx.shell->open(url);
    });
}

void frmHTMLBrowserFullScreen::refreshSafely() { m_page->keeper()->refreshSafely(); }
bool frmHTMLBrowserFullScreen::reloadPending() const { return m_page->keeper()->reloadPending(); }
PageKeeper *frmHTMLBrowserFullScreen::keeper() const { return m_page->keeper(); }

void frmHTMLBrowserFullScreen::showNote(const QString &text)
{
    lblNote->setText(text.trimmed());
}

void frmHTMLBrowserFullScreen::Form_Activate()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    const auto &s = m_ctx.state;
    t([&] { LayoutFullScreen(); });
    t([&] {
        const QString text = QString::number(s.CurrentSlot) + QStringLiteral(". ") + s.CurrentCaption;
        // Neither call emits activated, so showing the current page never navigates.
        cmbTop8->setCurrentIndex(cmbTop8->findText(text));
        cmbTop8->setEditText(text);
    });
    t([&] {
        if (s.RefreshOnActive != 0)
            refreshSafely();
    });
    t([&] { WebBrowser1->focusPage(); });
}

void frmHTMLBrowserFullScreen::activateOnce()
{
    if (m_unloaded || m_activated)
        return;
    m_activated = true;
    Form_Activate();
}

void frmHTMLBrowserFullScreen::Form_Resize()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { LayoutFullScreen(); });
}

void frmHTMLBrowserFullScreen::cmbTop8_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    auto &s = m_ctx.state;
    int slot = 0;
    t([&] {
        bool ok = false;
        slot = cmbTop8->currentText().left(1).toInt(&ok);
        if (!ok)
            throw RuntimeError::typeMismatch();
    });
    t([&] { s.CurrentURL = s.Slots(slot).url; });
    t([&] { s.CurrentCaption = s.Slots(slot).caption; });
    t([&] { s.CurrentSlot = int16_t(slot); });
    t([&] { HomeURL = s.CurrentURL; });
    t([&] { HomeCaption = s.CurrentCaption; });
    t([&] { setWindowTitle(QStringLiteral("Velloran - ") + HomeCaption); });
    t([&] { WebBrowser1->Navigate(HomeURL); });
    t([&] { update(); });
}

void frmHTMLBrowserFullScreen::Toolbar1_ButtonClick(int index)
{
    // Each command's own handler reports like this one, except Go Back.
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    switch (index) {
    case BtnRestore: t([&] { ReturnToMainWindow(); }); break;
    case BtnRefresh: t([&] { m_page->RefreshPage(); }); break;
    case BtnBack: m_page->NavigateBack(); break;
    case BtnForward: t([&] { m_page->NavigateForward(); }); break;
    case BtnStop: t([&] { WebBrowser1->Stop(); }); break;
    case BtnHome: t([&] { WebBrowser1->Navigate(HomeURL); }); break;
    case BtnFavorites: t([&] { emit favoritesWanted(); }); break;
    default: break;
    }
    t([&] {
        if (!m_unloaded)
            Toolbar1->setButtonEnabled(BtnStop, false);
    });
}

void frmHTMLBrowserFullScreen::Toolbar2_ButtonClick(int index)
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    switch (index) {
    case BtnMinimize:
        t([&] { MinimizeFullSCRForm(); });
        t([&] { Toolbar1->setButtonEnabled(BtnStop, false); });
        break;
    case BtnCornerRestore: t([&] { ReturnToMainWindow(); }); break;
    case BtnClose:
        if (m_ctx.mayEnd())
            t([&] { ExitProgram(); });
        break;
    default: break;
    }
}

void frmHTMLBrowserFullScreen::MinimizeFullSCRForm()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { showMinimized(); });
    // A minimized window is no longer active: showing it again must run activation.
    m_activated = false;
}

void frmHTMLBrowserFullScreen::ReturnToMainWindow()
{
    // This window's page closes on the way back: the person may stay for what they typed.
    if (WebBrowser1 && !WebBrowser1->mayLeave())
        return;
    Trap t(m_ctx, ErrorPolicy::navigation().also(5));
    t([&] { ReturningToMainWindow = true; });
    t([&] { close(); });
    t([&] { emit returnWanted(); });
}

void frmHTMLBrowserFullScreen::ExitProgram()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { emit exitWanted(); });
    t([&] { m_ctx.endProgram(0); });
}

bool frmHTMLBrowserFullScreen::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        activateOnce();
    else if (event->type() == QEvent::WindowDeactivate)
        m_activated = false;
    return QWidget::event(event);
}

void frmHTMLBrowserFullScreen::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_unloaded)
        Form_Resize();
}

void frmHTMLBrowserFullScreen::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F11) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    F11Pressed();
}

void frmHTMLBrowserFullScreen::F11Pressed()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { ReturnToMainWindow(); });
}

void frmHTMLBrowserFullScreen::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded && !ReturningToMainWindow && !m_ctx.mayEnd()) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_page->keeper()->stop();
    // Leave at once so counts and positions are right before the deferred delete.
    m_ctx.windows.leave(this);
    emit unloaded();
    if (!ReturningToMainWindow) {
        Trap t(m_ctx, ErrorPolicy::shortMsg());
        t([&] { ExitProgram(); });
    }
}

void frmHTMLBrowserFullScreen::resizePage()
{
    WebBrowser1->resize(int(ClientWidth), pageHeight());
    if (m_find && !m_find->isHidden())
        m_find->setGeometry(0, WebBrowser1->y() + pageHeight(), int(ClientWidth), m_find->sizeHint().height());
}

void frmHTMLBrowserFullScreen::refreshButtonOn()
{
    if (!Toolbar1->buttonEnabled(BtnRefresh))
        Toolbar1->setButtonEnabled(BtnRefresh, true);
}

void frmHTMLBrowserFullScreen::showInFront()
{
    m_activated = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // Wayland places a window where the compositor likes and keeps its panels on top,
    // so there only the full-screen state covers the output.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        showFullScreen();
    else
        show();
    raise();
    activateWindow();
    // Some platforms deliver no WindowActivate (or deliver it later); the guard keeps
    // activation to once for this show either way.
    activateOnce();
}
