#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "app/frmRightClick.h"
#include "browser/BrowserControl.h"
#include "browser/BrowserWindowBase.h"
#include "mainwindow/MDIForm1.h"
#include "platform/AppContext.h"
#include <QCloseEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QVBoxLayout>

frmHTMLBrowserFullScreen::frmHTMLBrowserFullScreen(AppContext &ctx) : m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmHTMLBrowserFullScreen"));
    setWindowTitle(ctx.state.CurrentCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    ctx.fullScreen = this;
    ctx.windows.join(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    WebBrowser1 = ctx.browserFactory(this);
    layout->addWidget(WebBrowser1);
    // F11 returns even while the page has the keyboard focus.
    auto *f11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    f11->setContext(Qt::WindowShortcut);
    connect(f11, &QShortcut::activated, this, &frmHTMLBrowserFullScreen::ReturnToMainWindow);
    WebBrowser1->Navigate(ctx.state.CurrentURL);
}

frmHTMLBrowserFullScreen::~frmHTMLBrowserFullScreen()
{
    m_ctx.windows.leave(this);
}

void frmHTMLBrowserFullScreen::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F11) {
        ReturnToMainWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmHTMLBrowserFullScreen::ReturnToMainWindow()
{
    Trap t(m_ctx, ErrorPolicy::navigation().also(5));
    t([&] { m_ctx.mainForm->LockFrameDrawing(0); });
    t([&] {
        ReturningToMainWindow = true;
        close();
    });
    t([&] { m_ctx.mainForm->show(); });
    t([&] {
        if (auto *w = qobject_cast<BrowserWindowBase *>(m_ctx.windows.at(m_ctx.state.CurrentSlot + 1)))
            m_ctx.mainForm->showChild(w);
    });
    t([&] { m_ctx.mainForm->LockFrameDrawing(1); });
}

void frmHTMLBrowserFullScreen::closeEvent(QCloseEvent *event)
{
    m_ctx.windows.leave(this);
    event->accept();
    if (!ReturningToMainWindow && m_ctx.host)
        m_ctx.host->Form_Unload();
}

void showFullScreenWindow(AppContext &ctx)
{
    auto *w = ctx.fullScreen ? ctx.fullScreen.data() : new frmHTMLBrowserFullScreen(ctx);
    w->showFullScreen();
    w->activateWindow();
    w->WebBrowser1->focusPage();
}
