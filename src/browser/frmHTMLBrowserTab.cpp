#include "browser/frmHTMLBrowserTab.h"
#include "platform/AppContext.h"

frmHTMLBrowserTab::frmHTMLBrowserTab(AppContext &ctx, const UrlRecord &record)
    : BrowserWindowBase(ctx, record, QStringLiteral("Ready - Tabbed Browser"),
                        {.beforeNavigate = ErrorPolicy::navigation().negativeShown(),
                         .downloadBegin = ErrorPolicy::shortMsg(),
                         .navigateComplete = ErrorPolicy::shortMsg()})
{
    setObjectName(QStringLiteral("frmHTMLBrowserTab"));
    // Tab windows fill the frame without a frame of their own: the strip is their tab bar.
    setWindowFlags(Qt::FramelessWindowHint);
}

void frmHTMLBrowserTab::Form_Activate()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { layoutPage(true, true, false); });
    commonActivate();
    t([&] { tabHighlighting(); });
    t([&] { currentWindowPick(); });
}

void frmHTMLBrowserTab::Form_Resize()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] {
        if (m_ctx.state.InTray == -1)
            tabHighlighting();
    });
    t([&] { layoutPage(true, true, true); });
    t([&] { update(); });
}

void frmHTMLBrowserTab::Form_Unload()
{
    ErrorPolicy p;
    p.custom = [this](const RuntimeError &e) {
        if (e.number() >= 0)
            m_ctx.error(shortErrorText(e));
        return false;
    };
    Trap t(m_ctx, p);
    t([&] { unloadCommonSteps(); });
    t([&] { currentWindowPick(); });
    t([&] {
        if (isLastBrowserWindow())
            emit lastPageClosed(true);
    });
}

ErrorPolicy frmHTMLBrowserTab::showFullScreenPolicy() const
{
    return ErrorPolicy::navigation().also(9);
}
