// The one way a slot's page opens and the one way it closes, and what the frame does
// for a page: its signals, its tab, its entry on the File menu.
#include "mainwindow/MDIForm1.h"
#include "engine/BrowserControl.h"
#include "mainwindow/SiteWatch.h"
#include "browser/frmHTMLBrowser.h"
#include "browser/frmHTMLBrowserTab.h"
#include "core/UrlDataFile.h"
#include "info/frmSplash.h"
#include "mainwindow/FrameDrawingLock.h"
#include "mainwindow/TabStrip.h"
#include "mainwindow/Tips.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/PanelBar.h"
#include "platform/ScreenBusy.h"
#include "setup/frmSiteOptions.h"
#include "setup/frmURLs.h"
#include <QMdiArea>
#include <optional>

BrowserWindowBase *MDIForm1::openSlot(const UrlRecord &r, bool show)
{
    auto &entry = m_ctx.state.Slots(r.slot);
    BrowserWindowBase *w = createBrowserWindow(r);
    m_watch->watch(w);
    entry.url = r.url;
    entry.caption = r.caption();
    labelTab(r.slot, r.url, r.alias, r.caption());
    m_tabs->showClose(); // there is a page for it to close
    if (show)
        showChild(w);
    unlistSlot(r.slot);
    entry.closed = 0;
    showMarks(); // its tooltip says when its hours are over
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
    const int length = m_ctx.state.TabTextLength;
    m_tabs->label(slot, alias.isEmpty() ? url.right(length) : caption.left(length), url);
}

void MDIForm1::showChild(BrowserWindowBase *w)
{
    // The active child hidden and shown again (a click on its own tab) gets no new
    // activation from the page area; it has come to the front all the same.
    const bool shownAgain = w->isHidden() && w == m_lastActivated;
    if (w->isTabWindow()) {
        // One tab at a time: the others are hidden rather than merely covered, so
        // their pages know they are in the background and draw nothing.
        for (BrowserWindowBase *other : childWindows())
            if (other != w && other->isTabWindow())
                other->hide();
        // A hidden window that is maximized is shown at its old size, hidden and shown
        // again; its page would wake, freeze and wake. The page area waits for the end.
        QWidget *body = w->isMaximized() || !w->isHidden() ? nullptr : w->widget();
        if (body)
            body->hide();
        w->showMaximized();
        if (body)
            body->show();
    } else {
        w->show();
    }
    m_mdi->setActiveSubWindow(w);
    if (shownAgain)
        activateChild(w);
}

BrowserWindowBase *MDIForm1::nextTabWindow(const BrowserWindowBase *closing) const
{
    const auto order = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        auto *b = qobject_cast<BrowserWindowBase *>(*it);
        if (b && b != closing && b->isTabWindow() && m_ctx.windows.contains(b))
            return b;
    }
    return nullptr;
}

void MDIForm1::bringTabForward(BrowserWindowBase *w)
{
    showChild(w);
    m_tabs->select(w->slot());
    makeSlotCurrent(w->slot());
}

void MDIForm1::makeSlotCurrent(int slot)
{
    auto &s = m_ctx.state;
    if (m_ctx.windows.findByTag(QString::number(slot))) {
        s.CurrentURL = s.Slots(slot).url;
        s.CurrentCaption = s.Slots(slot).caption;
        s.CurrentSlot = int16_t(slot);
    }
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
    connect(w->WebBrowser1, &BrowserControl::siteOptionsWanted, this, [this, w] { editSiteOptions(w->slot()); });
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

// A slot listed on the File menu: its record is read again, as Set Up may have
// changed it since it was listed.
void MDIForm1::mnuURLs_Click(int index)
{
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
    t([&] { m_ctx.state.InTray = 0; });
    t([&] {
        splash = new frmSplash(m_ctx);
        splash->show();
    });
    {
        ScreenBusy busy(m_ctx);
        FrameDrawingLock lock(*this);
        std::optional<UrlDataReader> file;
        t([&] { file.emplace(m_ctx.dataFilePath()); });
        t([&] {
            if (file) // not there: reported once above, nothing to read
                openFromFile(*file, slot);
        });
    }
    t([&] { delete splash; });
}

void MDIForm1::openFromFile(UrlDataReader &file, int slot)
{
    while (!file.atEnd()) {
        const UrlRecord r = file.read();
        if (r.slot != slot)
            continue;
        if (r.url.isEmpty()) {
            // The entry was blanked in Set Up since it was listed: nothing to open.
            unlistSlot(slot);
            m_ctx.state.Slots(slot).closed = -1;
            continue;
        }
        openSlot(r, true);
    }
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
    QPointer<BrowserWindowBase> guard(w);
    if (!w->mayLeave() || !guard)
        return;
    // The rest are hidden: the one that would be activated next is shown in its place.
    QPointer<BrowserWindowBase> next = w->isTabWindow() ? nextTabWindow(w) : nullptr;
    // This window, not the first of its slot: a data file may give one slot two pages.
    t([&] {
        if (guard)
            guard->unload();
    });
    t([&] {
        if (s.TabbedActive == -1 && !m_ctx.windows.findByTag(QString::number(slot)))
            m_tabs->clear(slot);
    });
    t([&] {
        if (next)
            bringTabForward(next);
    });
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
    // Its rows reach each site's own options.
    for (BrowserWindowBase *w : childWindows())
        m_watch->optionsChanged(w->slot());
    showMarks();
}

void MDIForm1::editSiteOptions(int slot)
{
    auto *w = qobject_cast<BrowserWindowBase *>(m_ctx.windows.findByTag(QString::number(slot)));
    if (!w || !frmSiteOptions::edit(m_ctx, w->HomeURL, w->caption(), this))
        return;
    m_watch->optionsChanged(slot);
    showMarks();
}
