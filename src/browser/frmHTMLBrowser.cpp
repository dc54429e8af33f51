#include "browser/frmHTMLBrowser.h"
#include "browser/Geometry.h"
#include "mainwindow/MDIForm1.h"
#include "platform/AppContext.h"

frmHTMLBrowser::frmHTMLBrowser(AppContext &ctx, MDIForm1 &frame, const UrlRecord &record)
    : BrowserWindowBase(ctx, frame, record, QStringLiteral("Ready - Browser"))
{
    setObjectName(QStringLiteral("frmHTMLBrowser"));
}

void frmHTMLBrowser::Form_Activate()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] {
        if (m_ctx.state.InTray == -1)
            MaximizeForm(m_ctx);
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
            hideBrowserMenus();
    });
}

ErrorPolicy frmHTMLBrowser::beforeNavigatePolicy() const
{
    return ErrorPolicy::navigation();
}

ErrorPolicy frmHTMLBrowser::downloadBeginPolicy() const
{
    return ErrorPolicy::navigation();
}

ErrorPolicy frmHTMLBrowser::showFullScreenPolicy() const
{
    return ErrorPolicy::navigation().also(9).also(5);
}
