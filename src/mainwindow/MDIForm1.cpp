#include "mainwindow/MDIForm1.h"
#include "browser/BrowserControl.h"
#include "platform/Geometry.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "favorites/frmListFiles.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "info/frmShortcuts.h"
#include "info/frmSplash.h"
#include "mainwindow/FindBar.h"
#include "mainwindow/Tips.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include "core/IniFile.h"
#include "core/UrlDataFile.h"
#include "setup/frmURLs.h"
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

const QString MDIForm1::StartTip = Tips::Start;

MDIForm1::MDIForm1(AppContext &ctx, QWidget *parent) : QMainWindow(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Velloran"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
    setAttribute(Qt::WA_QuitOnClose, false);
    ctx.windows.join(this);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setAccessibleName(QStringLiteral("Pages"));
    m_mdi->viewport()->installEventFilter(this);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MDIForm1::onSubWindowActivated);

    createBars();
    createMenus();

    m_findBar = new FindBar(this);
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(StatusBarTabs);
    layout->addWidget(m_mdi, 1);
    layout->addWidget(m_findBar);
    layout->addWidget(StatusBar1);
    setCentralWidget(central);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(ctx.minuteMs);
    connect(Timer1, &QTimer::timeout, this, &MDIForm1::Timer1_Timer);
    Timer1->start();
}

MDIForm1::~MDIForm1()
{
    m_ctx.windows.leave(this);
}

void MDIForm1::createBars()
{
    const double tpp = m_ctx.screen ? m_ctx.screen->twipsPerPixelX() : 15.0;
    StatusBarTabs = new PanelBar(this);
    StatusBarTabs->setObjectName(QStringLiteral("StatusBarTabs"));
    StatusBarTabs->setAccessibleName(QStringLiteral("Tabs"));
    QList<PanelBar::PanelSpec> tabs{{71, {}}};
    for (int i = 0; i < 8; ++i)
        tabs.append(PanelBar::PanelSpec{1764, {}});
    tabs.append(PanelBar::PanelSpec{423, QStringLiteral("X")});
    StatusBarTabs->setPanels(tabs, tpp);
    QFont tabFont(QStringLiteral("Arial"));
    tabFont.setPointSizeF(8.25);
    tabFont.setBold(true);
    tabFont.setUnderline(true);
    StatusBarTabs->setCellFont(tabFont);
    for (int i = 2; i <= 10; ++i)
        StatusBarTabs->setBevel(i, 2);
    StatusBarTabs->setToolTip(10, QStringLiteral("Close Window"));
    StatusBarTabs->setCellNames(10, QStringLiteral("Close Window"));
    // The spacer at the left edge is never a tab: no focus, no clicks, a plain name.
    StatusBarTabs->setCellNames(1, QStringLiteral("Left edge"));
    StatusBarTabs->cell(1)->setFocusPolicy(Qt::NoFocus);
    StatusBarTabs->cell(1)->setEnabled(false);
    for (int i = 2; i <= 9; ++i)
        StatusBarTabs->setCellNames(i, QString(), QStringLiteral("Empty tab %1").arg(i - 1));
    StatusBarTabs->hide();
    connect(StatusBarTabs, &PanelBar::panelClick, this, &MDIForm1::StatusBarTabs_PanelClick);

    StatusBar1 = new PanelBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    StatusBar1->setPanels({{8819, {}, true}, {8819, StartTip}}, tpp);
    StatusBar1->setToolTip(2, StartTip);
    StatusBar1->setCellIcon(2, QIcon(QStringLiteral(":/icons/tip.svg")));
    for (int i = 1; i <= 2; ++i)
        StatusBar1->setBevel(i, 1);
}

void MDIForm1::createMenus()
{
    QMenuBar *bar = menuBar();
    auto add = [](QMenu *menu, const QString &name, const QString &caption, const QKeySequence &key = {}) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        return a;
    };
    auto sep = [](QMenu *menu, const QString &name) {
        QAction *a = menu->addSeparator();
        a->setObjectName(name);
        return a;
    };

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpenInIE = add(mnuFile, QStringLiteral("mnuOpenInIE"), QStringLiteral("&Open in Internet Explorer"), QKeySequence(Qt::CTRL | Qt::Key_N));
    sep0 = sep(mnuFile, QStringLiteral("sep0"));
    mnuCloseWindow = add(mnuFile, QStringLiteral("mnuCloseWindow"), QStringLiteral("&Close Window"));
    sep1 = sep(mnuFile, QStringLiteral("sep1"));
    mnuPrint = add(mnuFile, QStringLiteral("mnuPrint"), QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    sep1a = sep(mnuFile, QStringLiteral("sep1a"));
    for (int i = 0; i < 8; ++i) {
        mnuURLs[size_t(i)] = add(mnuFile, QStringLiteral("mnuURLs%1").arg(i), QString());
        mnuURLs[size_t(i)]->setVisible(false);
        connect(mnuURLs[size_t(i)], &QAction::triggered, this, [this, i] { mnuURLs_Click(i); });
    }
    sep1b = sep(mnuFile, QStringLiteral("sep1b"));
    mnuSendToTray = add(mnuFile, QStringLiteral("mnuSendToTray"), QStringLiteral("&Send to Icon Tray"), QKeySequence(Qt::CTRL | Qt::Key_T));
    sep2 = sep(mnuFile, QStringLiteral("sep2"));
    mnuClose = add(mnuFile, QStringLiteral("mnuClose"), QStringLiteral("E&xit"));

    mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuCut = add(mnuEdit, QStringLiteral("mnuCut"), QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = add(mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = add(mnuEdit, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    sep(mnuEdit, QStringLiteral("sep2a"));
    mnuSelectAll = add(mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    sep(mnuEdit, QStringLiteral("sep2b"));
    mnuFind = add(mnuEdit, QStringLiteral("mnuFind"), QStringLiteral("&Find (on This Page)..."), QKeySequence(Qt::CTRL | Qt::Key_F));

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuNavigationBar = add(mnuView, QStringLiteral("mnuNavigationBar"), QStringLiteral("&Navigation Bar"));
    mnuToolbar = add(mnuView, QStringLiteral("mnuToolbar"), QStringLiteral("&Toolbar"));
    mnuStatusBar = add(mnuView, QStringLiteral("mnuStatusBar"), QStringLiteral("Status &Bar"));
    for (QAction *a : {mnuNavigationBar, mnuToolbar, mnuStatusBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    sep(mnuView, QStringLiteral("sep3"));
    mnuFwd = add(mnuView, QStringLiteral("mnuFwd"), QStringLiteral("Go &Forward") + QString(10, QLatin1Char(' ')) + QStringLiteral("Alt+Right Arrow"));
    mnuBack = add(mnuView, QStringLiteral("mnuBack"), QStringLiteral("Go &Back") + QString(14, QLatin1Char(' ')) + QStringLiteral("Alt+Left Arrow"));
    sep(mnuView, QStringLiteral("sep4"));
    mnuRefresh = add(mnuView, QStringLiteral("mnuRefresh"), QStringLiteral("&Refresh") + QString(15, QLatin1Char(' ')) + QStringLiteral("F5"));
    mnuStop = add(mnuView, QStringLiteral("mnuStop"), QStringLiteral("&Stop") + QString(20, QLatin1Char(' ')) + QStringLiteral("Esc"));
    sep(mnuView, QStringLiteral("sep4a"));
    mnuFullScreen = add(mnuView, QStringLiteral("mnuFullScreen"), QStringLiteral("&Full Screen") + QString(10, QLatin1Char(' ')) + QStringLiteral("F11"));

    mnuFavorites = bar->addAction(QStringLiteral("&Favorites"));
    mnuFavorites->setObjectName(QStringLiteral("mnuFavorites"));
    // Never shown, so kept off the bar: its access key would clash with Help's.
    mnuHistory = new QAction(QStringLiteral("&History"), this);
    mnuHistory->setObjectName(QStringLiteral("mnuHistory"));
    mnuHistory->setVisible(false);
    mnuSetup = bar->addAction(QStringLiteral("&Setup..."));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));

    mnuWindows = bar->addMenu(QStringLiteral("&Window"));
    mnuWindows->setObjectName(QStringLiteral("mnuWindows"));
    mnuCascade = add(mnuWindows, QStringLiteral("mnuCascade"), QStringLiteral("&Cascade"), QKeySequence(Qt::Key_F4));
    mnuTile = add(mnuWindows, QStringLiteral("mnuTile"), QStringLiteral("&Tile"), QKeySequence(Qt::Key_F5));
    mnuFullScreenWindows = add(mnuWindows, QStringLiteral("mnuFullScreenWindows"), QStringLiteral("&Full Screen"), QKeySequence(Qt::Key_F11));
    connect(mnuWindows, &QMenu::aboutToShow, this, &MDIForm1::updateWindowList);

    // A tab window fills the frame without a title bar of its own; its close box sits
    // at the end of the menu bar, where a maximized document's close box belongs.
    cmdCloseTab = new QToolButton(bar);
    cmdCloseTab->setObjectName(QStringLiteral("cmdCloseTab"));
    cmdCloseTab->setIcon(QIcon(QStringLiteral(":/icons/close.svg")));
    cmdCloseTab->setAutoRaise(true);
    cmdCloseTab->setToolTip(QStringLiteral("Close Window (Ctrl+W)"));
    cmdCloseTab->setAccessibleName(QStringLiteral("Close Window"));
    cmdCloseTab->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    cmdCloseTab->hide();
    bar->setCornerWidget(cmdCloseTab, Qt::TopRightCorner);
    connect(cmdCloseTab, &QToolButton::clicked, this, [this] { StatusBarTabs_PanelClick(10); });

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = add(mnuHelp, QStringLiteral("mnuHelpContents"), QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    mnuScuts = add(mnuHelp, QStringLiteral("mnuScuts"), QStringLiteral("&Keyboard Shortcuts"));
    sep(mnuHelp, QStringLiteral("sep5"));
    mnuAbout = add(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About Velloran"));

    // The page menus show once the first browser window has loaded.
    mnuEdit->menuAction()->setVisible(false);
    mnuView->menuAction()->setVisible(false);

    // Shortcuts stay live while the main window is shown, whichever child has the focus.
    for (QAction *a : findChildren<QAction *>())
        a->setShortcutContext(Qt::WindowShortcut);

    connect(mnuCloseWindow, &QAction::triggered, this, &MDIForm1::mnuCloseWindow_Click);
    connect(mnuClose, &QAction::triggered, this, &MDIForm1::mnuClose_Click);
    connect(mnuSendToTray, &QAction::triggered, this, &MDIForm1::mnuSendToTray_Click);
    connect(mnuFavorites, &QAction::triggered, this, &MDIForm1::mnuFavorites_Click);
    connect(mnuSetup, &QAction::triggered, this, &MDIForm1::mnuSetup_Click);
    connect(mnuFullScreen, &QAction::triggered, this, &MDIForm1::mnuFullScreen_Click);
    connect(mnuFullScreenWindows, &QAction::triggered, this, &MDIForm1::mnuFullScreen_Click);
    connect(mnuCascade, &QAction::triggered, this, &MDIForm1::mnuCascade_Click);
    connect(mnuTile, &QAction::triggered, this, &MDIForm1::mnuTile_Click);
    connect(mnuNavigationBar, &QAction::triggered, this, &MDIForm1::mnuNavigationBar_Click);
    connect(mnuToolbar, &QAction::triggered, this, &MDIForm1::mnuToolbar_Click);
    connect(mnuStatusBar, &QAction::triggered, this, &MDIForm1::mnuStatusBar_Click);

    // Commands on the active page.
    auto page = [this](QAction *a, ErrorPolicy policy, std::function<void(BrowserWindowBase *)> step) {
        connect(a, &QAction::triggered, this, [this, policy, step] {
            Trap t(m_ctx, policy);
            t([&] {
                BrowserWindowBase *w = activeChild();
                if (!w)
                    throw RuntimeError::noObject();
                step(w);
            });
        });
    };
    const ErrorPolicy nav = ErrorPolicy::navigation();
    page(mnuOpenInIE, ErrorPolicy::shortMsg().negativeShown(), [this](BrowserWindowBase *w) {
        const QUrl url = QUrl::fromUserInput(w->WebBrowser1->LocationURL());
        if (!url.isEmpty())
            m_ctx.shell->open(url);
    });
    page(mnuPrint, ErrorPolicy::shortMsg().negativeShown(), [](BrowserWindowBase *w) { w->WebBrowser1->Print(); });
    page(mnuCut, nav, [this](BrowserWindowBase *w) {
        w->WebBrowser1->Cut();
        mnuCut->setEnabled(false);
        mnuCopy->setEnabled(false);
        mnuPaste->setEnabled(true);
    });
    page(mnuCopy, nav, [this](BrowserWindowBase *w) {
        w->WebBrowser1->Copy();
        mnuCopy->setEnabled(false);
        mnuCut->setEnabled(false);
        mnuPaste->setEnabled(true);
    });
    page(mnuPaste, nav, [this](BrowserWindowBase *w) {
        w->WebBrowser1->Paste();
        mnuCut->setEnabled(true);
        mnuCopy->setEnabled(true);
        mnuPaste->setEnabled(false);
    });
    page(mnuSelectAll, nav, [](BrowserWindowBase *w) { w->WebBrowser1->SelectAll(); });
    page(mnuFind, nav, [this](BrowserWindowBase *w) {
        m_findBar->attach(w->WebBrowser1);
        m_findBar->open();
    });
    page(mnuFwd, nav, [](BrowserWindowBase *w) { w->WebBrowser1->GoForward(); });
    page(mnuBack, nav, [](BrowserWindowBase *w) { w->WebBrowser1->GoBack(); });
    page(mnuRefresh, nav, [](BrowserWindowBase *w) { w->WebBrowser1->Refresh(); });
    page(mnuStop, nav, [](BrowserWindowBase *w) { w->WebBrowser1->Stop(); });

    auto info = [this](QAction *a, ErrorPolicy policy, std::function<void()> step) {
        connect(a, &QAction::triggered, this, [this, policy, step] {
            Trap t(m_ctx, policy);
            t(step);
        });
    };
    // One of each information window: choosing it again brings the open one to the front.
    info(mnuHelpContents, ErrorPolicy::shortMsg().negativeShown(), [this] {
        if (!bringToFront(m_help))
            m_ctx.dialogs->exec(qobject_cast<QDialog *>(m_help = new frmHelp(m_ctx, this)));
    });
    info(mnuScuts, ErrorPolicy::shortMsg().negativeShown(), [this] {
        if (!bringToFront(m_shortcuts)) {
            m_shortcuts = new frmShortcuts(m_ctx, this);
            m_shortcuts->show();
        }
    });
    info(mnuAbout, ErrorPolicy::shortMsg().negativeShown().also(404), [this] {
        if (!bringToFront(m_about))
            m_ctx.dialogs->exec(qobject_cast<QDialog *>(m_about = new frmAbout(m_ctx, this)));
    });
}

bool MDIForm1::bringToFront(QWidget *window)
{
    if (!window)
        return false;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

BrowserWindowBase *MDIForm1::activeChild() const
{
    return qobject_cast<BrowserWindowBase *>(m_mdi->currentSubWindow());
}

QList<BrowserWindowBase *> MDIForm1::childWindows() const
{
    QList<BrowserWindowBase *> out;
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto *b = qobject_cast<BrowserWindowBase *>(w))
            out.append(b);
    return out;
}

void MDIForm1::LockFrameDrawing(int mode)
{
    if (mode == 0)
        setUpdatesEnabled(false);
    else if (mode == 1)
        setUpdatesEnabled(true);
}

BrowserWindowBase *MDIForm1::createBrowserWindow(const UrlRecord &r)
{
    auto &s = m_ctx.state;
    BrowserWindowBase *w;
    if (s.TabbedLayout == -1) {
        s.TabbedActive = -1;
        w = new frmHTMLBrowserTab(m_ctx, r);
    } else {
        s.TabbedActive = 0;
        w = new frmHTMLBrowser(m_ctx, r);
    }
    connectPage(w);
    m_mdi->addSubWindow(w);
    w->Form_Load();
    return w;
}

// What a page asks for, the frame carries out.
void MDIForm1::connectPage(BrowserWindowBase *w)
{
    using B = BrowserWindowBase;
    connect(w, &B::statusText, this, &MDIForm1::showStatus);
    connect(w, &B::activated, this, [this] { StatusBar1->setText(2, alternateTip(StatusBar1->text(2))); });
    connect(w, &B::firstLoaded, this, [this] { showPageMenus(true); });
    connect(w, &B::tabSelected, this, &MDIForm1::selectTab);
    connect(w, &B::slotReleased, this, &MDIForm1::listSlot);
    connect(w, &B::lastPageClosed, this, &MDIForm1::lastPageClosed);
    connect(w, &B::favoritesWanted, this, &MDIForm1::mnuFavorites_Click);
    connect(w, &B::fullScreenWanted, this, &MDIForm1::enterFullScreen);
    connect(w, &B::sendToTrayWanted, this, &MDIForm1::sendToTrayWanted);
    connect(w, &B::frontWanted, this, [this, w] { bringPageToFront(w); });
}

void MDIForm1::bringPageToFront(BrowserWindowBase *w)
{
    emit trayLeaveWanted();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    showChild(w);
}

void MDIForm1::showStatus(const QString &text)
{
    StatusBar1->setText(1, text);
    StatusBar1->refresh();
}

QString MDIForm1::status() const
{
    return StatusBar1->text(1);
}

void MDIForm1::showPageMenus(bool shown)
{
    if (shown && mnuView->menuAction()->isVisible())
        return;
    mnuEdit->menuAction()->setVisible(shown);
    mnuView->menuAction()->setVisible(shown);
    mnuWindows->menuAction()->setVisible(shown);
    mnuOpenInIE->setVisible(shown);
    sep0->setVisible(shown);
}

void MDIForm1::selectTab(int slot)
{
    LockFrameDrawing(0);
    for (int i = 2; i <= 9; ++i)
        StatusBarTabs->setBevel(i, slot != i - 1 ? 2 : 1);
    LockFrameDrawing(1);
}

void MDIForm1::lastPageClosed(bool tabWindow)
{
    LockFrameDrawing(0);
    showPageMenus(false);
    if (tabWindow) {
        for (int i = 2; i <= 9; ++i)
            StatusBarTabs->setBevel(i, 2);
        StatusBarTabs->setText(10, QString());
        StatusBarTabs->setBevel(10, 0);
    }
    LockFrameDrawing(1);
}

void MDIForm1::enterFullScreen()
{
    hide();
    openFullScreenWindow();
}

void MDIForm1::openFullScreenWindow()
{
    // A window that was only minimized keeps its page: it is just shown again.
    if (!m_fullScreen) {
        using F = frmHTMLBrowserFullScreen;
        auto *w = new F(m_ctx);
        m_fullScreen = w;
        connect(w, &F::returnWanted, this, &MDIForm1::returnFromFullScreen);
        connect(w, &F::favoritesWanted, this, &MDIForm1::mnuFavorites_Click);
        connect(w, &F::exitWanted, this, &MDIForm1::exitWanted);
        connect(w, &F::unloaded, this, [this, w] {
            if (m_fullScreen == w)
                m_fullScreen = nullptr;
        });
        w->Form_Load();
    }
    m_fullScreen->showInFront();
}

void MDIForm1::returnFromFullScreen()
{
    LockFrameDrawing(0);
    show();
    // By slot: list positions shift whenever slots were opened out of order or closed.
    showSlot(m_ctx.state.CurrentSlot);
    LockFrameDrawing(1);
}

void MDIForm1::runSetUp(const QList<UrlRecord> &salvaged)
{
    auto *dialog = new frmURLs(m_ctx, this, salvaged);
    connect(dialog, &frmURLs::frameFrozen, this, [this](bool frozen) { LockFrameDrawing(frozen ? 0 : 1); });
    connect(dialog, &frmURLs::slotClosing, this, &MDIForm1::closeSlot);
    connect(dialog, &frmURLs::slotOpening, this, [this](const UrlRecord &r) {
        openSlot(r, true);
        sep1b->setVisible(false);
    });
    connect(dialog, &frmURLs::slotListed, this, &MDIForm1::listSlot);
    connect(dialog, &frmURLs::arrangeWanted, this, &MDIForm1::arrangeWindows);
    connect(dialog, &frmURLs::tileWanted, this, &MDIForm1::tileHorizontally);
    connect(dialog, &frmURLs::cascadeWanted, this, &MDIForm1::cascade);
    m_ctx.dialogs->exec(dialog);
}

BrowserWindowBase *MDIForm1::openSlot(const UrlRecord &r, bool show)
{
    auto &entry = m_ctx.state.Slots(r.slot);
    BrowserWindowBase *w = createBrowserWindow(r);
    entry.url = r.url;
    entry.caption = r.caption();
    labelTab(r.slot, r.url, r.alias, r.caption());
    if (show)
        showChild(w);
    unlistSlot(r.slot);
    entry.closed = 0;
    return w;
}

void MDIForm1::closeSlot(int slot)
{
    QWidget *w = m_ctx.windows.findByTag(QString::number(slot));
    if (auto *b = qobject_cast<BrowserWindowBase *>(w))
        b->unload();
    else if (w)
        w->close();
}

void MDIForm1::showSlot(int slot)
{
    if (auto *w = qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(slot))))
        showChild(w);
}

void MDIForm1::labelTab(int slot, const QString &url, const QString &alias, const QString &caption)
{
    const int panel = slot + 1;
    StatusBarTabs->setText(panel, alias.isEmpty() ? url.right(m_ctx.state.TabTextLength)
                                                  : caption.left(m_ctx.state.TabTextLength));
    StatusBarTabs->setToolTip(panel, url);
    StatusBarTabs->setTag(panel, slot);
}

static QAction *slotItem(const std::array<QAction *, 8> &items, int slot)
{
    if (slot < 1 || slot > 8)
        throw RuntimeError::subscript();
    return items[size_t(slot - 1)];
}

void MDIForm1::listSlot(int slot, const QString &caption)
{
    QAction *item = slotItem(mnuURLs, slot);
    sep1b->setVisible(true);
    QString text = caption;
    item->setText(text.replace(QLatin1Char('&'), QStringLiteral("&&"))); // no access keys from captions
    item->setVisible(true);
}

void MDIForm1::unlistSlot(int slot)
{
    QAction *item = slotItem(mnuURLs, slot);
    item->setText(QString());
    item->setVisible(false);
}

void MDIForm1::showChild(BrowserWindowBase *w)
{
    if (w->isTabWindow()) {
        // One tab at a time: the others are hidden rather than merely covered, so
        // their pages know they are in the background and draw nothing.
        for (BrowserWindowBase *other : childWindows())
            if (other != w && other->isTabWindow())
                other->hide();
        w->showMaximized();
    } else {
        w->show();
    }
    m_mdi->setActiveSubWindow(w);
}

// The next record, or error 62 for any record that cannot be one of the Top 8 (a slot
// outside 1 to 8, a field that is not a number, a stray line): the file is damaged,
// not the program.
static UrlRecord readTop8Record(UrlDataReader &file)
{
    UrlRecord r;
    try {
        r = file.read();
    } catch (const RuntimeError &) {
        throw RuntimeError::pastEndOfFile();
    }
    if (r.slot < 1 || r.slot > 8)
        throw RuntimeError::pastEndOfFile();
    return r;
}

void MDIForm1::Form_Load()
{
    auto &s = m_ctx.state;
    QPointer<frmSplash> splash;
    std::optional<UrlDataReader> file;

    auto releaseAll = [&] {
        LockFrameDrawing(1);
        file.reset();
        m_ctx.setScreenBusy(false);
    };
    ErrorPolicy p;
    p.custom = [&](const RuntimeError &e) {
        if (e.number() == 55 || e.number() == 384)
            return false;
        releaseAll();
        if (e.number() == 53 || e.number() == 62) {
            const auto all = m_ctx.windows.windows();
            for (auto it = all.rbegin(); it != all.rend(); ++it)
                if (auto *b = qobject_cast<BrowserWindowBase *>(*it))
                    b->unload();
            delete splash;
            // What can still be read goes into Set Up; the damaged file is kept aside.
            QList<UrlRecord> salvaged;
            if (e.number() == 62) {
                salvaged = readableRecords(s.DataFilePath);
                setAsideDamagedFile(s.DataFilePath);
            }
            m_ctx.error(QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs."));
            s.FirstRun = -1;
            runSetUp(salvaged);
        } else {
            delete splash;
            m_ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                        + QStringLiteral(". Unable to start. Re-install Velloran"));
            m_ctx.endProgram(1);
        }
        return true;
    };
    Trap t(m_ctx, p);

    t([&] {
        const QSize px = m_ctx.screen->screenSizePixels();
        s.TabTextLength = tabTextLengthFor(px.width(), px.height());
    });
    t([&] {
        if (!isMaximized())
            FitHeightToWorkArea(this, *m_ctx.screen);
    });
    t([&] {
        s.FirstRun = 0;
        s.ToolbarOn = -1;
        MinutesElapsed = 0;
    });
    t([&] {
        if (!ReadSettings(s, m_ctx.settingsPath()))
            s.applySettingsDefaults();
    });
    t([&] { s.DataFilePath = m_ctx.dataFolder; });
    t([&] {
        s.Slots.create();
    });
    t([&] {
        splash = new frmSplash(m_ctx);
        splash->show();
    });
    t([&] { m_ctx.setScreenBusy(true); });
    t([&] { s.DataFilePath = m_ctx.dataFilePath(); });
    t([&] { LockFrameDrawing(0); });
    t([&] { file.emplace(s.DataFilePath); });
    t([&] {
        while (!file->atEnd()) {
            const UrlRecord r = readTop8Record(*file);
            if (r.url.isEmpty()) {
                s.Slots(r.slot).closed = -1;
                continue;
            }
            if (r.autoload != -1) {
                listSlot(r.slot, r.caption());
                continue;
            }
            // In the tabbed arrangement only the first tab is shown, below; a page that
            // was never shown needs no drawing surface, which saves memory on start.
            const bool tabbedArrangement = s.CascadeLayout != -1 && s.TileLayout != -1;
            openSlot(r, !(s.TabbedLayout == -1 && tabbedArrangement));
        }
    });
    t([&] { file.reset(); });
    t([&] { arrangeWindows(); });
    t([&] { LockFrameDrawing(1); });
    t([&] { m_ctx.setScreenBusy(false); });
    t([&] { delete splash; });
    t([&] {
        if (m_ctx.windows.count() == 2)
            runSetUp();
    });
}

void MDIForm1::arrangeWindows()
{
    const auto &s = m_ctx.state;
    if (s.CascadeLayout == -1) {
        mnuNavigationBar->setVisible(false);
        cascade();
    } else if (s.TileLayout == -1) {
        mnuNavigationBar->setVisible(false);
        tileHorizontally();
    } else {
        sep1b->setVisible(true);
        mnuCascade->setVisible(false);
        mnuTile->setVisible(false);
        // The lowest tab whose page is open: a tab may keep the text of a window that
        // has gone, and must not be drawn selected beside the real one.
        BrowserWindowBase *first = nullptr;
        for (int panel = 2; panel <= 9; ++panel) {
            auto *w = qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(panel - 1)));
            const bool selected = !first && w && !StatusBarTabs->text(panel).isEmpty();
            if (selected)
                first = w;
            StatusBarTabs->setBevel(panel, selected ? 1 : 2);
        }
        if (first)
            showChild(first);
        StatusBarTabs->setVisible(true);
    }
}

// The child windows an arrangement moves: shown and not minimized, in creation order.
QList<QMdiSubWindow *> MDIForm1::arrangeableChildren() const
{
    QList<QMdiSubWindow *> out;
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized())
            out.append(w);
    return out;
}

void MDIForm1::cascade()
{
    const QList<QMdiSubWindow *> visible = arrangeableChildren();
    if (visible.isEmpty())
        return;
    // The frame's own cascade shrinks windows to their smallest size; pages need room.
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(visible.size());
    const int step = std::max(20, visible.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, visible.first()) + 6);
    const int width = std::max(area.width() / 2, area.width() - (n - 1) * step);
    const int height = std::max(area.height() / 2, area.height() - (n - 1) * step);
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = visible[i];
        if (w->isMaximized())
            w->showNormal();
        w->setGeometry(i * step, i * step, width, height);
        w->raise();
    }
    m_mdi->setActiveSubWindow(visible.last());
}

void MDIForm1::tileHorizontally()
{
    // One above another, each the frame's full width.
    const QList<QMdiSubWindow *> visible = arrangeableChildren();
    if (visible.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int h = area.height() / int(visible.size());
    int y = 0;
    for (QMdiSubWindow *w : visible) {
        if (w->isMaximized())
            w->showNormal();
        const int height = (w == visible.last()) ? area.height() - y : h;
        w->setGeometry(0, y, area.width(), height);
        y += height;
    }
}

void MDIForm1::onSubWindowActivated(QMdiSubWindow *w)
{
    auto *page = qobject_cast<BrowserWindowBase *>(w);
    cmdCloseTab->setVisible(page && page->isTabWindow());
    // A child's activation runs once each time it becomes the active child.
    if (!w || w == m_lastActivated)
        return;
    m_lastActivated = w;
    if (auto *b = qobject_cast<BrowserWindowBase *>(w)) {
        if (m_findBar->isVisible())
            m_findBar->attach(b->WebBrowser1);
        b->Form_Activate();
    }
}

void MDIForm1::Timer1_Timer()
{
    auto &s = m_ctx.state;
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { StatusBar1->setText(2, rotateTip(StatusBar1->text(2))); });
    // The counter comes round to 0 instead of overflowing, so a count left above the
    // interval meets it again and timed reloads resume.
    t([&] { MinutesElapsed = MinutesElapsed == 32767 ? 0 : int16_t(MinutesElapsed + 1); });
    // Reaching or passing the interval: lowering it below the minutes already counted
    // must not wait for the counter to come round again.
    const bool due = MinutesElapsed >= s.RefreshMinutes && s.RefreshEvery != 0;
    t.setPolicy(ErrorPolicy::ignoreAll());
    const auto all = m_ctx.windows.windows();
    // A page skipped last time (typing in it, or its site down) is tried again each tick.
    if (!due && s.RefreshEvery != 0) {
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (auto *b = qobject_cast<BrowserWindowBase *>(*it); b && b->reloadPending())
                t([&] { b->refreshSafely(); });
        t([&] {
            if (m_fullScreen && m_fullScreen->isVisible() && m_fullScreen->reloadPending())
                m_fullScreen->refreshSafely();
        });
    }
    if (due) {
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (auto *b = qobject_cast<BrowserWindowBase *>(*it))
                t([&] { b->refreshSafely(); });
        t([&] {
            if (m_fullScreen && m_fullScreen->isVisible())
                m_fullScreen->refreshSafely();
        });
        MinutesElapsed = 0;
    }
}

void MDIForm1::StatusBarTabs_PanelClick(int panel)
{
    auto &s = m_ctx.state;
    ErrorPolicy p = ErrorPolicy::shortMsg().negativeShown().also(9);
    p.custom = [this](const RuntimeError &e) {
        LockFrameDrawing(1);
        if (e.number() != 9)
            m_ctx.error(shortErrorText(e));
        return false;
    };
    Trap t(m_ctx, p);
    t([&] { s.InTray = 0; });
    if (StatusBarTabs->text(panel).isEmpty())
        return;
    if (panel == 10) {
        t([&] { StatusBarTabs->setBevel(10, 1); });
        t([&] { LockFrameDrawing(0); });
        t([&] { mnuCloseWindow_Click(); });
        t([&] { LockFrameDrawing(1); });
        t([&] {
            if (BrowserWindowBase::loadedCount(m_ctx) == 0) {
                StatusBarTabs->setText(10, QString());
                StatusBarTabs->setBevel(10, 0);
            } else {
                StatusBarTabs->setBevel(10, 2);
            }
        });
        return;
    }
    // The frame itself stays shown: hiding and re-showing it would only flicker.
    t([&] {
        // The hidden host is never shown and stays so.
        for (QWidget *w : m_ctx.windows.windows())
            if (w != this && !w->isHidden())
                w->hide();
    });
    t([&] { LockFrameDrawing(0); });
    const int slot = panel - 1;
    t([&] {
        StatusBarTabs->setBevel(panel, 1);
        showSlot(slot);
        for (int i = 2; i <= 9; ++i)
            if (i != panel)
                StatusBarTabs->setBevel(i, 2);
    });
    t([&] {
        if (m_ctx.windows.findByTag(QString::number(slot))) {
            s.CurrentURL = s.Slots(slot).url;
            s.CurrentCaption = s.Slots(slot).caption;
            s.CurrentSlot = int16_t(slot);
        }
    });
    t([&] { LockFrameDrawing(1); });
}

void MDIForm1::mnuCloseWindow_Click()
{
    auto &s = m_ctx.state;
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown().also(91));
    BrowserWindowBase *w = activeChild();
    if (!w)
        return; // nothing to close: no message
    const int slot = w->slot();
    t([&] { s.InTray = 0; });
    t([&] { closeSlot(slot); });
    t([&] {
        if (s.TabbedActive == -1) {
            const int panel = slot + 1;
            StatusBarTabs->setText(panel, QString());
            StatusBarTabs->setToolTip(panel, QString());
            StatusBarTabs->setTag(panel, QString());
        }
    });
}

void MDIForm1::mnuClose_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
    t([&] { emit exitWanted(); });
    m_ctx.endProgram(0);
}

void MDIForm1::mnuSendToTray_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg().negativeShown());
    t([&] { m_ctx.state.InTray = 0; });
    t([&] { emit sendToTrayWanted(); });
}

void MDIForm1::mnuFavorites_Click()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    t([&] {
        BrowserWindowBase *w = activeChild();
        if (!w)
            throw RuntimeError::noObject();
        m_ctx.state.FavoritesBrowser = w->WebBrowser1;
    });
    t([&] { showFavoritesWindow(m_ctx); });
}

void MDIForm1::mnuSetup_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
    t([&] { runSetUp(); });
}

void MDIForm1::mnuFullScreen_Click()
{
    Trap t(m_ctx, ErrorPolicy::navigation().also(9));
    t([&] { hide(); });
    t([&] { openFullScreenWindow(); });
}

void MDIForm1::mnuCascade_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
    t([&] { cascade(); });
}

void MDIForm1::mnuTile_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
    t([&] { tileHorizontally(); });
}

void MDIForm1::mnuNavigationBar_Click()
{
    // The item toggled its own check mark already; the bar follows it.
    Trap t(m_ctx, ErrorPolicy::navigation());
    t([&] { StatusBarTabs->setVisible(mnuNavigationBar->isChecked()); });
}

void MDIForm1::mnuStatusBar_Click()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    t([&] { StatusBar1->setVisible(mnuStatusBar->isChecked()); });
}

void MDIForm1::mnuToolbar_Click()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    BrowserWindowBase *w = activeChild();
    const bool on = mnuToolbar->isChecked();
    t([&] {
        if (!w)
            throw RuntimeError::noObject();
        w->Toolbar1->setVisible(on);
    });
    m_ctx.state.ToolbarOn = on ? -1 : 0;
    t([&] {
        if (w)
            w->layoutPage(true, true, false);
    });
}

void MDIForm1::mnuURLs_Click(int index)
{
    auto &s = m_ctx.state;
    const int slot = index + 1;
    ErrorPolicy p;
    p.custom = [this](const RuntimeError &e) {
        if (e.number() >= 0) {
            LockFrameDrawing(1);
            m_ctx.error(shortErrorText(e));
        }
        return false;
    };
    Trap t(m_ctx, p);
    QPointer<frmSplash> splash;
    std::optional<UrlDataReader> file;
    bool opened = false;
    t([&] { s.InTray = 0; });
    t([&] {
        splash = new frmSplash(m_ctx);
        splash->show();
    });
    t([&] { m_ctx.setScreenBusy(true); });
    t([&] { LockFrameDrawing(0); });
    t([&] { file.emplace(m_ctx.dataFilePath()); });
    t([&] {
        if (!file)
            return; // reported once above; nothing to read
        while (!file->atEnd()) {
            const UrlRecord r = file->read();
            if (r.slot != slot)
                continue;
            if (r.url.isEmpty()) {
                // The entry was blanked in Set Up since it was listed: nothing to open.
                unlistSlot(slot);
                s.Slots(slot).closed = -1;
                continue;
            }
            openSlot(r, true);
            opened = true;
        }
    });
    t([&] { file.reset(); });
    t([&] { LockFrameDrawing(1); });
    t([&] { m_ctx.setScreenBusy(false); });
    t([&] { delete splash; });
    t([&] {
        if (opened) {
            StatusBarTabs->setText(10, QStringLiteral("X"));
            StatusBarTabs->setBevel(10, 2);
        }
    });
}

void MDIForm1::updateWindowList()
{
    for (QAction *a : mnuWindows->actions())
        if (a->property("windowListItem").toBool())
            mnuWindows->removeAction(a), a->deleteLater();
    const auto windows = childWindows();
    if (windows.isEmpty())
        return;
    mnuWindows->addSeparator()->setProperty("windowListItem", true);
    int n = 1;
    for (BrowserWindowBase *w : windows) {
        QString caption = w->caption();
        QAction *a = mnuWindows->addAction(QStringLiteral("&%1 %2").arg(n++).arg(caption.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setProperty("windowListItem", true);
        a->setCheckable(true);
        a->setChecked(w == activeChild());
        QPointer<BrowserWindowBase> target = w;
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isTabWindow())
                StatusBarTabs_PanelClick(target->slot() + 1);
            else
                showChild(target);
        });
    }
}

void MDIForm1::Form_Resize()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown().also(404));
    t([&] { emit windowStateChanged(windowState()); });
    t([&] {
        const double tx = m_ctx.screen->twipsPerPixelX(), ty = m_ctx.screen->twipsPerPixelY();
        const QRect g = frameGeometry();
        m_ctx.state.FavoritesLeft = float(g.left() * tx + 30);
        m_ctx.state.FavoritesTop = float(g.top() * ty + 30);
        m_ctx.state.FavoritesHeight = float(g.height() * ty);
    });
}

void MDIForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MDIForm1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    Form_Resize();
}

void MDIForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

bool MDIForm1::event(QEvent *event)
{
    // The first web page turns the frame into a GPU-drawn window, and X11 then gets a
    // new native window that has forgotten it was maximized; ask for it again.
    if (event->type() == QEvent::WinIdChange && isVisible() && isMaximized()) {
        QTimer::singleShot(0, this, [this] {
            if (!isVisible() || !isMaximized())
                return;
            setWindowState(windowState() & ~Qt::WindowMaximized);
            setWindowState(windowState() | Qt::WindowMaximized);
        });
    }
    return QMainWindow::event(event);
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mdi->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
            t([&] { m_ctx.menus->popup(mnuWindows, me->globalPosition().toPoint()); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    // The title bar's close: every child runs its own closing first, then Exit.
    if (m_ctx.ended) {
        event->accept();
        return;
    }
    event->ignore();
    const auto windows = childWindows();
    for (BrowserWindowBase *w : windows)
        w->unload();
    mnuClose_Click();
}
