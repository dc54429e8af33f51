#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include <QLineEdit>
#include "app/clsTaskBar.h"
#include "app/CommandLine.h"
#include "fullscreen/WallMode.h"
#include "mainwindow/MDIForm1.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/Icons.h"
#include "platform/PanelBar.h"
#include "core/DataFolder.h"
#include <QCursor>
#include <QEvent>
#include <QDir>
#include <QLockFile>
#include <QMenu>
#include <QSysInfo>
#include <QTimer>

frmRightClick::frmRightClick(AppContext &ctx) : m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmRightClick"));
    setWindowTitle(QStringLiteral("Velloran"));
    setWindowIcon(sharedIcon(QStringLiteral(":/icons/velloran.svg")));
    ctx.windows.join(this);

    mnuPopup = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    // A StatusNotifier host sends its clicks by item over D-Bus, hidden and disabled
    // items too: only an item the person can see and use runs its command.
    const auto item = [this](const QString &text, void (frmRightClick::*command)()) {
        QAction *a = mnuPopup->addAction(text);
        connect(a, &QAction::triggered, this, [this, a, command] {
            if (a->isVisible() && a->isEnabled())
                (this->*command)();
        });
        return a;
    };
    mnuRestore = item(QStringLiteral("Restore"), &frmRightClick::mnuRestore_Click);
    mnuMinimize = item(QStringLiteral("Minimize"), &frmRightClick::mnuMinimize_Click);
    mnuMaximize = item(QStringLiteral("Maximize"), &frmRightClick::mnuMaximize_Click);
    mnuMaximize->setEnabled(false);
    mnuWallMode = item(QStringLiteral("Wall Mode"), &frmRightClick::mnuWallMode_Click);
    mnuWallMode->setCheckable(true);
    sep0 = mnuPopup->addSeparator();
    mnuSendToTray = mnuPopup->addAction(QStringLiteral("Send to Icon Tray"));
    mnuSendToTray->setCheckable(true);
    // The handler toggles on the check mark as it stood before the click.
    connect(mnuSendToTray, &QAction::triggered, this, [this](bool checked) {
        mnuSendToTray->setChecked(!checked);
        if (mnuSendToTray->isVisible() && mnuSendToTray->isEnabled())
            mnuSendToTray_Click();
    });
    sep1 = mnuPopup->addSeparator();
    mnuExit = item(QStringLiteral("Exit"), &frmRightClick::mnuExit_Click);
    // Checked while the wall runs, however it was started.
    connect(mnuPopup, &QMenu::aboutToShow, this,
            [this] { mnuWallMode->setChecked(m_main && m_main->wallMode()); });
    connect(mnuPopup, &QMenu::aboutToShow, this, &frmRightClick::onHostMenuShown);
    connect(mnuPopup, &QMenu::aboutToHide, this, &frmRightClick::onHostMenuClosed);
}

const QString frmRightClick::NoTrayNote =
    QStringLiteral(" This desktop has no icon tray: Send to Icon Tray minimizes the window instead. ");

frmRightClick::~frmRightClick()
{
    m_ctx.windows.leave(this);
}

clsTaskBar *frmRightClick::taskBar()
{
    if (!m_taskBar)
        m_taskBar = new clsTaskBar(*m_ctx.tray, this);
    return m_taskBar;
}

bool frmRightClick::takeInstanceLock()
{
    // One Velloran per data folder; a lock left by a dead process is taken over.
    m_instanceLock = std::make_unique<QLockFile>(QDir(m_ctx.dataFolder).filePath(QStringLiteral("velloran.lock")));
    m_instanceLock->setStaleLockTime(0);
    if (m_instanceLock->tryLock(0))
        return true;
    // Only a running copy ends this one silently; any other failure says what is wrong.
    const QString problem = dataFolderProblem(m_ctx.dataFolder, m_instanceLock->error());
    m_instanceLock.reset();
    if (!problem.isEmpty())
        m_ctx.error(problem);
    m_ctx.endProgram(problem.isEmpty() ? 0 : 1);
    return false;
}

void frmRightClick::createMainWindow()
{
    auto *main = new MDIForm1(m_ctx);
    m_main = main;
    connect(main, &MDIForm1::sendToTrayWanted, this, [this] {
        hideMainWindow();
        enterTrayMenuHiddenState();
    });
    connect(main, &MDIForm1::exitWanted, this, &frmRightClick::Form_Unload);
    connect(main, &MDIForm1::trayLeaveWanted, this, [this] {
        if (mnuSendToTray->isChecked())
            mnuSendToTray_Click();
    });
    connect(main, &MDIForm1::windowStateChanged, this, &frmRightClick::updateTrayItemsForState);
    main->showMaximized();
    main->Form_Load();
    // An autostarted screen on a wall goes straight to its pages in turn.
    if (CommandLine::startsInWall() && !m_ctx.ended && m_main)
        m_main->mnuWallMode_Click();
}

void frmRightClick::Form_Load()
{
    if (!takeInstanceLock())
        return;

    Trap t(m_ctx, ErrorPolicy::longMsg());
    bool refused = false;
    t([&] {
        MinimizedFromTrayMenu = 0;
        m_ctx.state.InTray = 0;
    });
    // The system check: this build runs on Linux desktops only.
    t([&] {
        if (QSysInfo::kernelType() != QLatin1String("linux")) {
            m_ctx.error(QStringLiteral("This program can only run under Windows 95 or NT."));
            refused = true;
        }
    });
    if (refused) {
        Form_Unload();
        return;
    }
    t([&] {
        if (taskBar()->fnTaskbarExists() != 1) {
            m_ctx.error(QStringLiteral("There is no taskbar currently available"));
            refused = true;
        }
    });
    if (refused) {
        Form_Unload();
        return;
    }
    t([&] {
        connect(taskBar(), &clsTaskBar::leftDoubleClick, this, &frmRightClick::onLeftDoubleClick);
        connect(taskBar(), &clsTaskBar::rightButtonUp, this, &frmRightClick::onRightButtonUp);
        connect(taskBar(), &clsTaskBar::trayChanged, this, &frmRightClick::onTrayChanged);
        taskBar()->setMenu(mnuPopup);
    });
    t([&] { taskBar()->AddIconToTray(windowIcon(), 1); });
    t([&] { taskBar()->ChangeTip(QStringLiteral("Velloran"), 1); });
    t([&] { createMainWindow(); });
}

void frmRightClick::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { taskBar()->DeleteIcon(1); });
    t([&] { taskBar()->disconnect(this); });
    m_ctx.windows.leave(this);
    m_ctx.endProgram(0);
}

void frmRightClick::onLeftDoubleClick()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] {
        if (mnuRestore->isVisible())
            mnuRestore_Click();
        else
            mnuSendToTray_Click();
    });
}

void frmRightClick::onRightButtonUp()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { m_ctx.state.InTray = -1; });
    t([&] {
        m_localPopup = true;
        m_ctx.menus->popup(mnuPopup, QCursor::pos());
        m_localPopup = false;
    });
    afterTrayMenuCloses();
}

void frmRightClick::afterTrayMenuCloses()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] {
        if (m_main && m_main->isMinimized() && MinimizedFromTrayMenu == 0)
            MaximizeMDIForm();
        else
            MinimizedFromTrayMenu = 0;
    });
}

void frmRightClick::onHostMenuShown()
{
    if (m_localPopup)
        return;
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { m_ctx.state.InTray = -1; });
}

void frmRightClick::onHostMenuClosed()
{
    if (m_localPopup)
        return;
    // The host may report the chosen item just after the menu closed; its command
    // runs first, as it does when the menu is popped up here.
    QTimer::singleShot(300, this, &frmRightClick::afterTrayMenuCloses);
}

void frmRightClick::onTrayChanged(bool available)
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    // The note about the missing tray is out of date once a tray is there.
    if (available && m_main && m_main->status() == NoTrayNote)
        t([&] {
            // The page in front names itself again, as it does when it is activated.
            const BrowserWindowBase *page = m_main->activeChild();
            m_main->showStatus(page ? page->txtCurrentURL->text() + QLatin1Char(' ') : QString());
        });
    // A window hidden in a tray that has gone could never come back: it returns
    // minimized, and the menu leaves its in-tray state.
    if (!available && mnuSendToTray->isChecked()) {
        t([&] {
            if (m_main)
                m_main->showMinimized();
        });
        t([&] { leaveTrayMenuHiddenState(); });
    }
}

void frmRightClick::mnuRestore_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { RestoreMDIForm(); });
    t([&] {
        mnuRestore->setEnabled(false);
        mnuMinimize->setEnabled(true);
        mnuMaximize->setEnabled(true);
    });
}

void frmRightClick::mnuMinimize_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { MinimizeMDIForm(); });
    t([&] { MinimizedFromTrayMenu = -1; });
    t([&] {
        mnuRestore->setEnabled(true);
        mnuMinimize->setEnabled(false);
        mnuMaximize->setEnabled(true);
    });
}

void frmRightClick::mnuMaximize_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] { MaximizeMDIForm(); });
    t([&] {
        mnuRestore->setEnabled(true);
        mnuMinimize->setEnabled(true);
        mnuMaximize->setEnabled(false);
    });
}

void frmRightClick::hideMainWindow()
{
    if (!m_main)
        return;
    if (taskBar()->inTray()) {
        m_main->hide();
        return;
    }
    m_main->showMinimized();
    if (!m_noTrayNoted) {
        m_noTrayNoted = true;
        m_main->showStatus(NoTrayNote);
    }
}

void frmRightClick::enterTrayMenuHiddenState()
{
    if (!taskBar()->inTray())
        return;
    sep0->setVisible(false);
    mnuSendToTray->setChecked(true);
    mnuRestore->setVisible(false);
    mnuMinimize->setVisible(false);
    mnuMaximize->setVisible(false);
    mnuWallMode->setVisible(false);
}

void frmRightClick::leaveTrayMenuHiddenState()
{
    sep0->setVisible(true);
    mnuSendToTray->setChecked(false);
    mnuRestore->setVisible(true);
    mnuMinimize->setVisible(true);
    mnuMaximize->setVisible(true);
    mnuWallMode->setVisible(true);
}

namespace {
// X11 workaround: a window that the window manager once minimized and restored can keep
// a stale hidden state on its native window, which Qt copies back when the window is
// shown again, so the manager maps it minimized. A window coming back from the tray is
// brought out of that once, until it is active.
class UnminimizeOnce : public QObject
{
public:
    explicit UnminimizeOnce(QWidget *w) : QObject(w) { w->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *w = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowStateChange && w->isMinimized()) {
            QTimer::singleShot(0, w, [w] {
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
                w->show();
                w->raise();
                w->activateWindow();
            });
            deleteLater();
        } else if (event->type() == QEvent::WindowActivate) {
            deleteLater();
        }
        return false;
    }
};
} // namespace

void frmRightClick::unminimizeOnNextShow(QWidget *window)
{
    if (window && !m_unminimize)
        m_unminimize = new UnminimizeOnce(window);
}

void frmRightClick::mnuSendToTray_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    if (!mnuSendToTray->isChecked()) {
        t([&] { hideMainWindow(); });
        t([&] { enterTrayMenuHiddenState(); });
    } else {
        t([&] {
            unminimizeOnNextShow(m_main);
            m_main->show();
            m_main->raise();
            m_main->activateWindow();
        });
        t([&] { leaveTrayMenuHiddenState(); });
    }
}

void frmRightClick::mnuWallMode_Click()
{
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] {
        if (m_main)
            m_main->mnuWallMode_Click();
    });
    t([&] { mnuWallMode->setChecked(m_main && m_main->wallMode()); });
}

void frmRightClick::leaveWallMode()
{
    if (WallMode *wall = m_main ? m_main->wallMode() : nullptr)
        wall->leave();
}

void frmRightClick::mnuExit_Click()
{
    if (m_ctx.mayEnd())
        Form_Unload();
}

void frmRightClick::MaximizeMDIForm()
{
    leaveWallMode();
    m_main->showMaximized();
}

void frmRightClick::RestoreMDIForm()
{
    leaveWallMode();
    m_main->showNormal();
}

void frmRightClick::MinimizeMDIForm()
{
    leaveWallMode();
    m_main->showMinimized();
}

void frmRightClick::updateTrayItemsForState(Qt::WindowStates state)
{
    const bool minimized = state & Qt::WindowMinimized;
    const bool maximized = !minimized && (state & Qt::WindowMaximized);
    mnuRestore->setEnabled(minimized || maximized);
    mnuMinimize->setEnabled(!minimized);
    mnuMaximize->setEnabled(!maximized);
}
