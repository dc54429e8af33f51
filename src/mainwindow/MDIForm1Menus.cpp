// The frame's menus: built one menu at a time in the menu bar's order, and the
// commands behind their items.
#include "mainwindow/MDIForm1.h"
#include "mainwindow/SiteWatch.h"
#include "engine/BrowserControl.h"
#include "browser/BrowserWindowBase.h"
#include "favorites/frmListFiles.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "info/frmShortcuts.h"
#include "engine/FindBar.h"
#include "mainwindow/TabStrip.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/PanelBar.h"
#include "platform/ToolBar.h"
#include <QMenuBar>
#include <QToolButton>

namespace {

QAction *addItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &key = {})
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

QAction *addSeparator(QMenu *menu, const QString &name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

// A caption with its key name set apart by spaces, as the View menu shows them.
QString withKeyName(const QString &caption, int spaces, const QString &key)
{
    return caption + QString(spaces, QLatin1Char(' ')) + key;
}

} // namespace

void MDIForm1::createMenus()
{
    createFileMenu();
    createEditMenu();
    createViewMenu();
    createCommandItems();
    createWindowMenu();
    createHelpMenu();

    // The page menus show once the first browser window has loaded.
    mnuEdit->menuAction()->setVisible(false);
    mnuView->menuAction()->setVisible(false);

    // Shortcuts stay live while the main window is shown, whichever child has the focus.
    for (QAction *a : findChildren<QAction *>())
        a->setShortcutContext(Qt::WindowShortcut);

    connectPageCommands();
}

void MDIForm1::createFileMenu()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpenInIE = addItem(mnuFile, QStringLiteral("mnuOpenInIE"), QStringLiteral("&Open in Internet Explorer"), QKeySequence(Qt::CTRL | Qt::Key_N));
    sep0 = addSeparator(mnuFile, QStringLiteral("sep0"));
    mnuCloseWindow = addItem(mnuFile, QStringLiteral("mnuCloseWindow"), QStringLiteral("&Close Window"));
    sep1 = addSeparator(mnuFile, QStringLiteral("sep1"));
    mnuPrint = addItem(mnuFile, QStringLiteral("mnuPrint"), QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    sep1a = addSeparator(mnuFile, QStringLiteral("sep1a"));
    for (int i = 0; i < 8; ++i) {
        mnuURLs[size_t(i)] = addItem(mnuFile, QStringLiteral("mnuURLs%1").arg(i), QString());
        mnuURLs[size_t(i)]->setVisible(false);
        connect(mnuURLs[size_t(i)], &QAction::triggered, this, [this, i] { mnuURLs_Click(i); });
    }
    sep1b = addSeparator(mnuFile, QStringLiteral("sep1b"));
    mnuSendToTray = addItem(mnuFile, QStringLiteral("mnuSendToTray"), QStringLiteral("&Send to Icon Tray"), QKeySequence(Qt::CTRL | Qt::Key_T));
    sep2 = addSeparator(mnuFile, QStringLiteral("sep2"));
    mnuClose = addItem(mnuFile, QStringLiteral("mnuClose"), QStringLiteral("E&xit"));

    connect(mnuCloseWindow, &QAction::triggered, this, &MDIForm1::mnuCloseWindow_Click);
    connect(mnuClose, &QAction::triggered, this, &MDIForm1::mnuClose_Click);
    connect(mnuSendToTray, &QAction::triggered, this, &MDIForm1::mnuSendToTray_Click);
}

void MDIForm1::createEditMenu()
{
    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuCut = addItem(mnuEdit, QStringLiteral("mnuCut"), QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = addItem(mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = addItem(mnuEdit, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    addSeparator(mnuEdit, QStringLiteral("sep2a"));
    mnuSelectAll = addItem(mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    addSeparator(mnuEdit, QStringLiteral("sep2b"));
    mnuFind = addItem(mnuEdit, QStringLiteral("mnuFind"), QStringLiteral("&Find (on This Page)..."), QKeySequence(Qt::CTRL | Qt::Key_F));
}

void MDIForm1::createViewMenu()
{
    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuNavigationBar = addItem(mnuView, QStringLiteral("mnuNavigationBar"), QStringLiteral("&Navigation Bar"));
    mnuToolbar = addItem(mnuView, QStringLiteral("mnuToolbar"), QStringLiteral("&Toolbar"));
    mnuStatusBar = addItem(mnuView, QStringLiteral("mnuStatusBar"), QStringLiteral("Status &Bar"));
    for (QAction *a : {mnuNavigationBar, mnuToolbar, mnuStatusBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    addSeparator(mnuView, QStringLiteral("sep3"));
    mnuFwd = addItem(mnuView, QStringLiteral("mnuFwd"), withKeyName(QStringLiteral("Go &Forward"), 10, QStringLiteral("Alt+Right Arrow")));
    mnuBack = addItem(mnuView, QStringLiteral("mnuBack"), withKeyName(QStringLiteral("Go &Back"), 14, QStringLiteral("Alt+Left Arrow")));
    addSeparator(mnuView, QStringLiteral("sep4"));
    mnuRefresh = addItem(mnuView, QStringLiteral("mnuRefresh"), withKeyName(QStringLiteral("&Refresh"), 15, QStringLiteral("F5")));
    mnuStop = addItem(mnuView, QStringLiteral("mnuStop"), withKeyName(QStringLiteral("&Stop"), 20, QStringLiteral("Esc")));
    addSeparator(mnuView, QStringLiteral("sep4a"));
    mnuFullScreen = addItem(mnuView, QStringLiteral("mnuFullScreen"), withKeyName(QStringLiteral("&Full Screen"), 10, QStringLiteral("F11")));
    mnuWallMode = addItem(mnuView, QStringLiteral("mnuWallMode"), QStringLiteral("&Wall Mode"));

    connect(mnuNavigationBar, &QAction::triggered, this, &MDIForm1::mnuNavigationBar_Click);
    connect(mnuToolbar, &QAction::triggered, this, &MDIForm1::mnuToolbar_Click);
    connect(mnuStatusBar, &QAction::triggered, this, &MDIForm1::mnuStatusBar_Click);
    connect(mnuFullScreen, &QAction::triggered, this, &MDIForm1::mnuFullScreen_Click);
    connect(mnuWallMode, &QAction::triggered, this, &MDIForm1::mnuWallMode_Click);
}

// Favorites and Setup are items of the bar itself, not menus.
void MDIForm1::createCommandItems()
{
    QMenuBar *bar = menuBar();
    mnuFavorites = bar->addAction(QStringLiteral("&Favorites"));
    mnuFavorites->setObjectName(QStringLiteral("mnuFavorites"));
    // Never shown, so kept off the bar: its access key would clash with Help's.
    mnuHistory = new QAction(QStringLiteral("&History"), this);
    mnuHistory->setObjectName(QStringLiteral("mnuHistory"));
    mnuHistory->setVisible(false);
    mnuSetup = bar->addAction(QStringLiteral("&Setup..."));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));

    connect(mnuFavorites, &QAction::triggered, this, &MDIForm1::mnuFavorites_Click);
    connect(mnuSetup, &QAction::triggered, this, &MDIForm1::mnuSetup_Click);
}

void MDIForm1::createWindowMenu()
{
    QMenuBar *bar = menuBar();
    mnuWindows = bar->addMenu(QStringLiteral("&Window"));
    mnuWindows->setObjectName(QStringLiteral("mnuWindows"));
    mnuCascade = addItem(mnuWindows, QStringLiteral("mnuCascade"), QStringLiteral("&Cascade"), QKeySequence(Qt::Key_F4));
    mnuTile = addItem(mnuWindows, QStringLiteral("mnuTile"), QStringLiteral("&Tile"), QKeySequence(Qt::Key_F5));
    mnuFullScreenWindows = addItem(mnuWindows, QStringLiteral("mnuFullScreenWindows"), QStringLiteral("&Full Screen"), QKeySequence(Qt::Key_F11));
    connect(mnuWindows, &QMenu::aboutToShow, this, &MDIForm1::updateWindowList);
    connect(mnuFullScreenWindows, &QAction::triggered, this, &MDIForm1::mnuFullScreen_Click);
    connect(mnuCascade, &QAction::triggered, this, &MDIForm1::mnuCascade_Click);
    connect(mnuTile, &QAction::triggered, this, &MDIForm1::mnuTile_Click);

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
    // Shown only while a tab window is active, so it always has one to close.
    connect(cmdCloseTab, &QToolButton::clicked, this, [this] { closeFromTabStrip(); });
}

void MDIForm1::createHelpMenu()
{
    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = addItem(mnuHelp, QStringLiteral("mnuHelpContents"), QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    mnuScuts = addItem(mnuHelp, QStringLiteral("mnuScuts"), QStringLiteral("&Keyboard Shortcuts"));
    addSeparator(mnuHelp, QStringLiteral("sep5"));
    mnuAbout = addItem(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About Velloran"));

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

// Commands on the active page; with no page, error 91 under the item's policy.
void MDIForm1::connectPageCommands()
{
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
    // After a cut or copy there is something to paste; after a paste, something to cut.
    auto clipboardItems = [this](bool cutCopy, bool paste) {
        mnuCut->setEnabled(cutCopy);
        mnuCopy->setEnabled(cutCopy);
        mnuPaste->setEnabled(paste);
    };
    const ErrorPolicy nav = ErrorPolicy::navigation();
    page(mnuOpenInIE, ErrorPolicy::shortMsg().negativeShown(), [this](BrowserWindowBase *w) {
        const QUrl url = QUrl::fromUserInput(w->WebBrowser1->LocationURL());
        if (!url.isEmpty())
            m_ctx.shell->open(url);
    });
    page(mnuPrint, ErrorPolicy::shortMsg().negativeShown(), [](BrowserWindowBase *w) { w->WebBrowser1->Print(); });
    page(mnuCut, nav, [clipboardItems](BrowserWindowBase *w) {
        w->WebBrowser1->Cut();
        clipboardItems(false, true);
    });
    page(mnuCopy, nav, [clipboardItems](BrowserWindowBase *w) {
        w->WebBrowser1->Copy();
        clipboardItems(false, true);
    });
    page(mnuPaste, nav, [clipboardItems](BrowserWindowBase *w) {
        w->WebBrowser1->Paste();
        clipboardItems(true, false);
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
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (m_watch->changed(w->slot()))
            caption += QStringLiteral(" \u2022 changed");
        QAction *a = mnuWindows->addAction(QStringLiteral("&%1 %2").arg(n++).arg(caption));
        a->setProperty("windowListItem", true);
        a->setCheckable(true);
        a->setChecked(w == activeChild());
        QPointer<BrowserWindowBase> target = w;
        connect(a, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isTabWindow())
                StatusBarTabs_PanelClick(TabStrip::cellOf(target->slot()));
            else
                showChild(target);
        });
    }
}

// The menu commands that are not page commands.
void MDIForm1::mnuClose_Click()
{
    if (m_ctx.mayEnd())
        exitProgram();
}

void MDIForm1::exitProgram()
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
    BrowserControl *target = nullptr;
    t([&] {
        BrowserWindowBase *w = activeChild();
        if (!w)
            throw RuntimeError::noObject();
        target = w->WebBrowser1;
    });
    t([&] { showFavoritesWindow(m_ctx, target); });
}

void MDIForm1::mnuSetup_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg().negativeShown());
    t([&] { runSetUp(); });
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
