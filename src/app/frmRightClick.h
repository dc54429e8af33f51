#pragma once
#include "mainwindow/MDIForm1.h"
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>

class AppContext;
class clsTaskBar;
class QLockFile;
class QMenu;
class QAction;

// The hidden host window where the program starts and ends: it refuses a second
// copy, owns the tray icon and its menu, opens the main window, and its unload is
// the one place where the program ends.
class frmRightClick : public QWidget
{
    Q_OBJECT
public:
    explicit frmRightClick(AppContext &ctx);
    ~frmRightClick() override;

    void Form_Load();
    void Form_Unload();

    // The tray icon's notifications.
    void onLeftDoubleClick();
    void onRightButtonUp();

    // Tray menu commands.
    void mnuRestore_Click();
    void mnuMinimize_Click();
    void mnuMaximize_Click();
    void mnuSendToTray_Click();
    void mnuWallMode_Click();
    void mnuExit_Click();

    void MaximizeMDIForm();
    void RestoreMDIForm();
    void MinimizeMDIForm();

    // What every Send to Icon Tray command does to the main window: hides it when
    // its icon sits in a tray; with no tray it minimizes it instead, so the desktop's
    // window list can always bring it back, and says why in the status bar once.
    void hideMainWindow();
    // The tray menu's in-tray state, entered by every Send to Icon Tray command; with
    // no tray the window was only minimized, and the menu stays as it is.
    void enterTrayMenuHiddenState();
    void leaveTrayMenuHiddenState();
    static const QString NoTrayNote;
    // Enables Restore/Minimize/Maximize by the main window's state.
    void updateTrayItemsForState(Qt::WindowStates state);

    clsTaskBar *taskBar();
    // The main window, once start-up has opened it.
    MDIForm1 *mainWindow() const { return m_main; }
    int16_t MinimizedFromTrayMenu = 0;

    QMenu *mnuPopup = nullptr;
    QAction *mnuRestore = nullptr, *mnuMinimize = nullptr, *mnuMaximize = nullptr, *mnuWallMode = nullptr,
            *sep0 = nullptr, *mnuSendToTray = nullptr, *sep1 = nullptr, *mnuExit = nullptr;

private:
    // The commands on the main window bring it back from wall mode first.
    void leaveWallMode();
    // The lock that keeps this copy the only one on its data folder; false ends it.
    bool takeInstanceLock();
    void createMainWindow();
    void unminimizeOnNextShow(QWidget *window);
    QPointer<QObject> m_unminimize;
    // A tray came or went while the program runs.
    void onTrayChanged(bool available);
    // The tray menu's own opening and closing, when a StatusNotifier host draws it.
    void onHostMenuShown();
    void onHostMenuClosed();
    // Step 3 of the right-button release: after the tray menu has closed.
    void afterTrayMenuCloses();

    AppContext &m_ctx;
    QPointer<MDIForm1> m_main;
    clsTaskBar *m_taskBar = nullptr;
    std::unique_ptr<QLockFile> m_instanceLock;
    bool m_unloaded = false;
    bool m_localPopup = false;
    bool m_noTrayNoted = false;
};
