// The frame's side of the tab strip: clicks on a tab or on the close cell, and the
// strip following the pages as they are selected and closed.
#include "mainwindow/MDIForm1.h"
#include "browser/BrowserWindowBase.h"
#include "mainwindow/FrameDrawingLock.h"
#include "mainwindow/TabStrip.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/PanelBar.h"
#include <QMenu>

// A click on the tab strip: an error draws the frame again before its message, and
// the next step goes on; a tab without a window (error 9) passes silently.
static ErrorPolicy tabStripPolicy(MDIForm1 &frame, AppContext &ctx)
{
    ErrorPolicy p = ErrorPolicy::shortMsg().negativeShown().also(9);
    p.custom = [&frame, &ctx](const RuntimeError &e) {
        frame.LockFrameDrawing(1);
        if (e.number() != 9)
            ctx.error(shortErrorText(e));
        return false;
    };
    return p;
}

void MDIForm1::StatusBarTabs_PanelClick(int panel)
{
    auto &s = m_ctx.state;
    Trap t(m_ctx, tabStripPolicy(*this, m_ctx));
    t([&] { s.InTray = 0; });
    if (StatusBarTabs->text(panel).isEmpty())
        return;
    if (panel == TabStrip::CloseCell) {
        closeFromTabStrip();
        return;
    }
    // The frame itself stays shown: hiding and re-showing it would only flicker.
    t([&] {
        // The hidden host is never shown and stays so.
        for (QWidget *w : m_ctx.windows.windows())
            if (w != this && !w->isHidden())
                w->hide();
    });
    const int slot = TabStrip::slotOf(panel);
    FrameDrawingLock lock(*this);
    t([&] {
        m_tabs->press(slot);
        showSlot(slot);
        m_tabs->select(slot);
    });
    t([&] { makeSlotCurrent(slot); });
}

// The X cell closes the page in front; it stays while any page is left.
void MDIForm1::closeFromTabStrip()
{
    Trap t(m_ctx, tabStripPolicy(*this, m_ctx));
    t([&] { m_tabs->pressClose(); });
    {
        FrameDrawingLock lock(*this);
        t([&] { mnuCloseWindow_Click(); });
    }
    t([&] {
        if (BrowserWindowBase::loadedCount(m_ctx) == 0)
            m_tabs->hideClose();
        else
            m_tabs->releaseClose();
    });
}

void MDIForm1::tabMenu(int cell, const QPoint &at)
{
    if (!TabStrip::isSlotCell(cell) || !m_ctx.windows.findByTag(QString::number(TabStrip::slotOf(cell))))
        return;
    QMenu menu(this);
    QAction *options = menu.addAction(QStringLiteral("Site &Options..."));
    if (m_ctx.menus->popup(&menu, at) == options)
        editSiteOptions(TabStrip::slotOf(cell));
}

void MDIForm1::selectTab(int slot)
{
    FrameDrawingLock lock(*this);
    m_tabs->select(slot);
}

void MDIForm1::lastPageClosed(bool tabWindow)
{
    FrameDrawingLock lock(*this);
    showPageMenus(false);
    if (tabWindow) {
        m_tabs->select(0);
        m_tabs->hideClose();
    }
}
