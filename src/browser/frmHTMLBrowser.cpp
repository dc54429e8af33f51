#include "browser/frmHTMLBrowser.h"
#include "platform/Geometry.h"
#include "platform/AppContext.h"

frmHTMLBrowser::frmHTMLBrowser(AppContext &ctx, const UrlRecord &record)
    : BrowserWindowBase(ctx, record, QStringLiteral("Ready - Browser"),
                        {.beforeNavigate = ErrorPolicy::navigation(),
                         .downloadBegin = ErrorPolicy::navigation(),
                         .navigateComplete = ErrorPolicy::shortMsg()})
{
    setObjectName(QStringLiteral("frmHTMLBrowser"));
}

void frmHTMLBrowser::Form_Activate()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] {
        if (m_ctx.state.InTray == -1)
            maximizeFrontWindow();
    });
    t([&] { layoutPage(true, true, false); });
    commonActivate();
}

void frmHTMLBrowser::Form_Resize()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { layoutPage(true, true, true); });
    t([&] { update(); });
}

void frmHTMLBrowser::Form_Unload()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { unloadCommonSteps(); });
    t([&] {
        if (isLastBrowserWindow())
            emit lastPageClosed(false);
    });
}

ErrorPolicy frmHTMLBrowser::showFullScreenPolicy() const
{
    return ErrorPolicy::navigation().also(9).also(5);
}
