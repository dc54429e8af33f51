#include "mainwindow/PageRefresh.h"
#include "browser/BrowserWindowBase.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "platform/ErrorTrap.h"

void refreshPages(const QList<QWidget *> &windows, const QPointer<frmHTMLBrowserFullScreen> &fullScreen,
                  bool onlySkipped, Trap &t)
{
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (auto *b = qobject_cast<BrowserWindowBase *>(*it); b && (!onlySkipped || b->reloadPending()))
            t([&] { b->refreshSafely(); });
    t([&] {
        if (fullScreen && fullScreen->isVisible() && (!onlySkipped || fullScreen->reloadPending()))
            fullScreen->refreshSafely();
    });
}
