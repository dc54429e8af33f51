#pragma once
#include <QList>
#include <QPointer>

class QWidget;
class Trap;
class frmHTMLBrowserFullScreen;

// A refresh tick reaching the pages: every loaded page window, newest first, then the
// full-screen window while it is shown, is asked to reload if that is safe (see
// PageKeeper). With `onlySkipped`, only those whose last automatic reload was skipped
// are asked. Each page is one step of the caller's trap, so one failing page does not
// keep the others from their turn.
void refreshPages(const QList<QWidget *> &windows, const QPointer<frmHTMLBrowserFullScreen> &fullScreen,
                  bool onlySkipped, Trap &t);
