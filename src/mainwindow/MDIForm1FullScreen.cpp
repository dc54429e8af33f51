// The frame's side of full screen and wall mode: the frame hides while the full-screen
// window shows one page, or the wall the pages in turn, and comes back showing the slot
// that was current there.
#include "mainwindow/MDIForm1.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "mainwindow/FrameDrawingLock.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "fullscreen/WallMode.h"
#include <QApplication>

void MDIForm1::mnuFullScreen_Click()
{
    Trap t(m_ctx, ErrorPolicy::navigation().also(9));
    t([&] { hide(); });
    t([&] { openFullScreenWindow(); });
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
    FrameDrawingLock lock(*this);
    show();
    // By slot: list positions shift whenever slots were opened out of order or closed.
    showSlot(m_ctx.state.CurrentSlot);
}

WallMode *MDIForm1::wallMode() const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *wall = qobject_cast<WallMode *>(w); wall && &wall->context() == &m_ctx && wall->running())
            return wall;
    return nullptr;
}

// The frame hides, as for full screen, while the wall shows the open pages in turn;
// it comes back as it was, showing the slot that was current before.
void MDIForm1::mnuWallMode_Click()
{
    if (WallMode *wall = wallMode()) {
        wall->leave();
        return;
    }
    // The full-screen window holds one page of its own: it gives way first.
    if (m_fullScreen) {
        m_fullScreen->ReturnToMainWindow();
        if (m_fullScreen && m_fullScreen->isVisible())
            return;
    }
    const bool inTray = isHidden();
    auto *wall = new WallMode(
        m_ctx, [frame = QPointer<MDIForm1>(this)] { return frame ? frame->childWindows() : QList<BrowserWindowBase *>(); },
        [frame = QPointer<MDIForm1>(this)] { return frame ? frame->siteWatch() : nullptr; });
    connect(wall, &WallMode::ended, this, [this, inTray] {
        if (inTray)
            emit trayLeaveWanted();
        FrameDrawingLock lock(*this);
        show();
        raise();
        activateWindow();
        showSlot(m_ctx.state.CurrentSlot);
    });
    m_ctx.screen->follow(this);
    hide();
    wall->start(m_ctx.state.CurrentSlot);
}
