#include "browser/PageButtons.h"
#include "platform/AppContext.h"
#include "platform/ToolBar.h"

namespace PageButtons {

QList<VToolBar::ButtonSpec> navigationSpecs()
{
    using S = VToolBar::ButtonStyle;
    return {
        {S::Button, QStringLiteral("cmdRefresh"), QStringLiteral("Refresh"), QStringLiteral(":/icons/refresh.svg")},
        {S::Button, QStringLiteral("cmdBack"), QStringLiteral("Go Back"), QStringLiteral(":/icons/back.svg"), false},
        {S::Button, QStringLiteral("cmdForward"), QStringLiteral("Go Forward"), QStringLiteral(":/icons/forward.svg"), false},
        {S::Button, {}, QStringLiteral("Stop downloading"), QStringLiteral(":/icons/stop.svg"), false},
        {S::Button, {}, QStringLiteral("Home"), QStringLiteral(":/icons/home.svg")},
    };
}

void navigationStarting(VToolBar &toolbar)
{
    toolbar.setButtonEnabled(Back, false);
    toolbar.setButtonEnabled(Forward, false);
    toolbar.setButtonEnabled(Stop, true);
}

void historyChanged(VToolBar &toolbar, int command, bool enable)
{
    if (command == 1)
        toolbar.setButtonEnabled(Forward, enable);
    else if (command == 2)
        toolbar.setButtonEnabled(Back, enable);
}

ErrorPolicy loadPolicy(AppContext &ctx, VToolBar &toolbar)
{
    ErrorPolicy p;
    p.custom = [&ctx, &toolbar](const RuntimeError &e) {
        if (e.number() < 0)
            return false;
        toolbar.setButtonEnabled(Stop, false);
        ctx.setScreenBusy(false);
        ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                  + QStringLiteral(". Unable to load web page."));
        return true;
    };
    return p;
}

} // namespace PageButtons
