#include "mainwindow/MDIForm1.h"
#include "mainwindow/SiteWatch.h"
#include "browser/BrowserWindowBase.h"
#include "engine/BrowserControl.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "engine/FindBar.h"
#include "mainwindow/PageArrangement.h"
#include "mainwindow/PageRefresh.h"
#include "mainwindow/TabStrip.h"
#include "mainwindow/Tips.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/Icons.h"
#include "platform/PanelBar.h"
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

const QString MDIForm1::StartTip = Tips::Start;

MDIForm1::MDIForm1(AppContext &ctx, QWidget *parent) : QMainWindow(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Velloran"));
    setWindowIcon(sharedIcon(QStringLiteral(":/icons/velloran.svg")));
    setAttribute(Qt::WA_QuitOnClose, false);
    ctx.windows.join(this);
    if (ctx.screen)
        ctx.screen->follow(this);
    ctx.pagesMayLeave = [frame = QPointer<MDIForm1>(this)] { return !frame || frame->pagesMayLeave(); };

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setAccessibleName(QStringLiteral("Pages"));
    m_mdi->viewport()->installEventFilter(this);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MDIForm1::onSubWindowActivated);

    m_tabs = std::make_unique<TabStrip>(this, m_ctx.screen ? m_ctx.screen->twipsPerPixelX() : 15.0);
    StatusBarTabs = m_tabs->bar();
    connect(StatusBarTabs, &PanelBar::panelClick, this, &MDIForm1::StatusBarTabs_PanelClick);
    connect(StatusBarTabs, &PanelBar::panelMenu, this, &MDIForm1::tabMenu);
    createStatusBar();
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

    m_watch = new SiteWatch(m_ctx, this);
    connect(m_watch, &SiteWatch::marksChanged, this, &MDIForm1::showMarks);
    connect(m_watch, &SiteWatch::frontWanted, this, [this](int slot) {
        if (auto *b = qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(slot))))
            bringPageToFront(b);
    });
}

MDIForm1::~MDIForm1()
{
    // The frame's parts are deleted only after this destructor, and still signal as they
    // go (the page area reports its last page leaving): nothing may reach the frame then.
    Timer1->stop();
    delete m_watch;
    m_watch = nullptr;
    for (QObject *part : findChildren<QObject *>())
        disconnect(part, nullptr, this, nullptr);
    if (m_fullScreen)
        disconnect(m_fullScreen, nullptr, this, nullptr);
    m_ctx.windows.leave(this);
}

void MDIForm1::createStatusBar()
{
    StatusBar1 = new PanelBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    StatusBar1->setPanels({{8819, {}, true}, {8819, StartTip}}, m_ctx.screen ? m_ctx.screen->twipsPerPixelX() : 15.0);
    StatusBar1->setToolTip(2, StartTip);
    StatusBar1->setCellIcon(2, QIcon(QStringLiteral(":/icons/tip.svg")));
    for (int i = 1; i <= 2; ++i)
        StatusBar1->setBevel(i, 1);
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

bool MDIForm1::pagesMayLeave()
{
    if (m_fullScreen && m_fullScreen->WebBrowser1 && !m_fullScreen->WebBrowser1->mayLeave())
        return false;
    for (const QPointer<BrowserWindowBase> &w : childWindows())
        if (w && !w->mayLeave())
            return false;
    return true;
}

void MDIForm1::LockFrameDrawing(int mode)
{
    if (mode == 0)
        setUpdatesEnabled(false);
    else if (mode == 1)
        setUpdatesEnabled(true);
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
        int first = 0;
        for (int slot = 1; slot <= TabStrip::SlotCount && !first; ++slot)
            if (m_tabs->isLabelled(slot) && qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(slot))))
                first = slot;
        m_tabs->select(first);
        if (first)
            showSlot(first);
        else
            m_tabs->hideClose(); // nothing for it to close
        StatusBarTabs->setVisible(true);
    }
}

void MDIForm1::cascade()
{
    cascadeWindows(*m_mdi);
}

void MDIForm1::tileHorizontally()
{
    tileWindows(*m_mdi);
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

void MDIForm1::onSubWindowActivated(QMdiSubWindow *w)
{
    auto *page = qobject_cast<BrowserWindowBase *>(w);
    cmdCloseTab->setVisible(page && page->isTabWindow());
    // A child's activation runs once each time it becomes the active child.
    if (!w || w == m_lastActivated)
        return;
    m_lastActivated = w;
    if (page)
        activateChild(page);
}

void MDIForm1::activateChild(BrowserWindowBase *b)
{
    if (m_findBar->isVisible())
        m_findBar->attach(b->WebBrowser1);
    b->Form_Activate();
    if (isActiveWindow())
        m_watch->looked(b->slot());
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
    // A page skipped last time (typing in it, or its site down) is tried again each tick.
    if (!due && s.RefreshEvery != 0) {
        // Outside its active hours a page waits for them, skipped reload or not.
        QList<QWidget *> awake;
        for (QWidget *w : m_ctx.windows.windows())
            if (auto *b = qobject_cast<BrowserWindowBase *>(w); !b || m_watch->insideHours(b->slot()))
                awake.append(w);
        refreshPages(awake, m_fullScreen, true, t);
    }
    if (due) {
        // Each page's turn, spread so they do not all load in the same second; pages
        // with a rhythm of their own keep it.
        t([&] { m_watch->commonTurn(); });
        refreshPages({}, m_fullScreen, false, t);
        MinutesElapsed = 0;
    }
    t([&] { showMarks(); });
}

void MDIForm1::showMarks()
{
    int changed = 0;
    for (int slot = 1; slot <= TabStrip::SlotCount; ++slot) {
        const bool marked = m_watch->changed(slot);
        changed += marked;
        if (m_tabs->isLabelled(slot))
            m_tabs->mark(slot, marked, m_watch->badge(slot), m_watch->scheduleNote(slot));
    }
    // Only a new text goes to the tray: a page flipping its title must not flood the
    // desktop's tray host with tooltip updates.
    const QString tip = changed ? QStringLiteral("Velloran - %1 %2 changed").arg(changed).arg(changed == 1 ? "page" : "pages")
                                : QStringLiteral("Velloran");
    if (m_ctx.trayTip && tip != std::exchange(m_trayTip, tip))
        m_ctx.trayTip(tip);
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (BrowserWindowBase *b = activeChild())
            m_watch->looked(b->slot());
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
    // Shown again after being hidden (full screen, the tray): where it was, on its own
    // monitor. Qt forgets a maximized window's place while it is hidden, and the window
    // manager would put it wherever new windows go.
    if (event->type() == QEvent::Hide && !event->spontaneous() && !isMinimized())
        m_hiddenAt = pos();
    if (event->type() == QEvent::Show && !event->spontaneous() && m_hiddenAt) {
        move(*m_hiddenAt);
        m_hiddenAt.reset();
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
    if (!m_ctx.mayEnd())
        return;
    const auto windows = childWindows();
    for (BrowserWindowBase *w : windows)
        w->unload();
    exitProgram();
}
