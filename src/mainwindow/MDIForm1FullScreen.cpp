// The frame's side of full screen: the frame hides while the full-screen window shows
// one page, and comes back showing the slot that was current there.
#include "mainwindow/MDIForm1.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "mainwindow/FrameDrawingLock.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"

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
