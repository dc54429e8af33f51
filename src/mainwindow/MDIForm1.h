#pragma once
#include <optional>
#include <QMainWindow>
#include <QPointer>
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class AppContext;
class PanelBar;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QTimer;
class QToolButton;
class BrowserWindowBase;
class FindBar;
class TabStrip;
class SiteWatch;
class frmHTMLBrowserFullScreen;
class WallMode;
struct UrlRecord;
class UrlDataReader;
class RuntimeError;
class Trap;

// The main frame: holds the browser windows of the Top 8, the tab strip along its
// top edge, the status bar along its bottom, the menus and the refresh timer.
class MDIForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIForm1(AppContext &ctx, QWidget *parent = nullptr);
    ~MDIForm1() override;

    // Start-up: reads the settings and the Top 8 and opens the windows.
    void Form_Load();

    // The frame's active child window (nullptr when none is open).
    BrowserWindowBase *activeChild() const;
    QList<BrowserWindowBase *> childWindows() const;
    // Asks every open page's leave-this-page guard, the full-screen one first.
    bool pagesMayLeave();
    QMdiArea *mdiArea() const { return m_mdi; }

    // The one way a slot's page opens: a window of the kind the layout asks for, on
    // the record's address; its tab is labelled, its entry filled, and the URL menu no
    // longer lists it. `show` false leaves it unshown (a tab behind the first).
    BrowserWindowBase *openSlot(const UrlRecord &r, bool show);
    // Closes a slot's window (the first, should the data file give it two); nothing
    // happens when it has none. The close commands close the window in front instead.
    void closeSlot(int slot);
    // Brings a slot's window to the front, when it has one.
    void showSlot(int slot);
    // Labels a slot's tab: panel slot + 1.
    void labelTab(int slot, const QString &url, const QString &alias, const QString &caption);
    // The File menu's entry of a slot: listed under its caption (with the separator
    // above the list shown), or hidden with its caption cleared. Slots are 1..8.
    void listSlot(int slot, const QString &caption);
    void unlistSlot(int slot);
    // Shows a child window the way the current arrangement shows windows; the active
    // one, hidden and shown again, runs its activation again.
    void showChild(BrowserWindowBase *w);

    void LockFrameDrawing(int mode);
    // The status bar's page cell.
    void showStatus(const QString &text);
    QString status() const;
    // The full-screen window while it is open.
    frmHTMLBrowserFullScreen *fullScreenWindow() const { return m_fullScreen; }

    // Each open slot's schedule, change mark and badge.
    SiteWatch *siteWatch() const { return m_watch; }
    // The slot's own options, in their dialog; the page follows them at once.
    void editSiteOptions(int slot);

    // The refresh timer's tick.
    void Timer1_Timer();
    int16_t MinutesElapsed = 0;

    // Commands.
    void mnuURLs_Click(int index);
    void mnuCloseWindow_Click();
    void mnuClose_Click();
    void mnuSendToTray_Click();
    void mnuFavorites_Click();
    void mnuSetup_Click();
    void mnuFullScreen_Click();
    // Starts wall mode, or ends it while it runs; the wall while it runs, else nullptr.
    void mnuWallMode_Click();
    WallMode *wallMode() const;
    void mnuCascade_Click();
    void mnuTile_Click();
    void mnuNavigationBar_Click();
    void mnuToolbar_Click();
    void mnuStatusBar_Click();
    void StatusBarTabs_PanelClick(int panel);
    // One above another, each the frame's full width.
    void tileHorizontally();
    // Overlapping windows, each offset by a title bar from the one before, the last on top.
    void cascade();
    // The arrangement the layout settings ask for: cascade, tile, or tabs with the
    // lowest labelled tab shown.
    void arrangeWindows();

    static const QString StartTip;

signals:
    // What only the host can do: it owns the tray icon and ends the program.
    void sendToTrayWanted();
    void exitWanted();
    // The main window is coming to the front: out of the tray, if it is there.
    void trayLeaveWanted();
    void windowStateChanged(Qt::WindowStates state);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Exit without asking: the host removes the tray icon and ends the program.
    void exitProgram();
    // Slots (MDIForm1Slots.cpp).
    BrowserWindowBase *createBrowserWindow(const UrlRecord &r);
    void connectPage(BrowserWindowBase *w);
    void bringPageToFront(BrowserWindowBase *w);
    void openFromFile(UrlDataReader &file, int slot);
    // The tab window that comes to the front once `closing` has gone: the one most
    // recently active of the rest, as the page area orders them.
    BrowserWindowBase *nextTabWindow(const BrowserWindowBase *closing) const;
    // A tab window brought to the front as its tab's click would: shown, selected, current.
    void bringTabForward(BrowserWindowBase *w);
    void makeSlotCurrent(int slot);
    // Start-up (MDIForm1StartUp.cpp).
    void readSettings(Trap &t);
    void openStartUpSlots(UrlDataReader &file);
    void startUpFailed(const RuntimeError &e, QWidget *splash);
    void runSetUp(const QList<UrlRecord> &salvaged = {});
    // Menus (MDIForm1Menus.cpp).
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createViewMenu();
    void createCommandItems();
    void createWindowMenu();
    void createHelpMenu();
    void connectPageCommands();
    void showPageMenus(bool shown);
    void updateWindowList();
    // Shows an open window again in front; false when there is none.
    static bool bringToFront(QWidget *window);
    // Full screen (MDIForm1FullScreen.cpp).
    void enterFullScreen();
    void openFullScreenWindow();
    void returnFromFullScreen();
    // The tab strip's clicks and states (MDIForm1Tabs.cpp).
    void selectTab(int slot);
    // A tab's context menu: its site's options.
    void tabMenu(int cell, const QPoint &at);
    void lastPageClosed(bool tabWindow);
    void closeFromTabStrip();
    // The frame (MDIForm1.cpp).
    void createStatusBar();
    void Form_Resize();
    void onSubWindowActivated(QMdiSubWindow *w);
    // A page's activation: the find bar follows it, and it runs its own (reload with
    // On Active, status text, tip).
    void activateChild(BrowserWindowBase *b);

    AppContext &m_ctx;
    QMdiArea *m_mdi = nullptr;
    std::unique_ptr<TabStrip> m_tabs;
    FindBar *m_findBar = nullptr;
    QPointer<QMdiSubWindow> m_lastActivated;
    QPointer<frmHTMLBrowserFullScreen> m_fullScreen;
    QPointer<QWidget> m_help, m_about, m_shortcuts;
    std::optional<QPoint> m_hiddenAt;

    // The tab strip's bar (its cells are the tab strip's business: see TabStrip).
    PanelBar *StatusBarTabs = nullptr;
    PanelBar *StatusBar1 = nullptr;
    QTimer *Timer1 = nullptr;
    SiteWatch *m_watch = nullptr;
    // The tabs, the Window menu and the tray tooltip follow the pages' marks.
    void showMarks();
    QString m_trayTip; // the tooltip last given to the tray

    // Menu items, by their names.
    QMenu *mnuFile = nullptr, *mnuEdit = nullptr, *mnuView = nullptr, *mnuWindows = nullptr, *mnuHelp = nullptr;
    QAction *mnuOpenInIE = nullptr, *sep0 = nullptr, *mnuCloseWindow = nullptr, *sep1 = nullptr,
            *mnuPrint = nullptr, *sep1a = nullptr, *sep1b = nullptr, *mnuSendToTray = nullptr,
            *sep2 = nullptr, *mnuClose = nullptr;
    std::array<QAction *, 8> mnuURLs{};
    QAction *mnuCut = nullptr, *mnuCopy = nullptr, *mnuPaste = nullptr, *mnuSelectAll = nullptr, *mnuFind = nullptr;
    QAction *mnuNavigationBar = nullptr, *mnuToolbar = nullptr, *mnuStatusBar = nullptr, *mnuFwd = nullptr,
            *mnuBack = nullptr, *mnuRefresh = nullptr, *mnuStop = nullptr, *mnuFullScreen = nullptr;
    QAction *mnuWallMode = nullptr;
    QAction *mnuFavorites = nullptr, *mnuHistory = nullptr, *mnuSetup = nullptr;
    QAction *mnuCascade = nullptr, *mnuTile = nullptr, *mnuFullScreenWindows = nullptr;
    QAction *mnuHelpContents = nullptr, *mnuScuts = nullptr, *mnuAbout = nullptr;
    // The close box of the tab window in front; it closes it as the X cell does.
    QToolButton *cmdCloseTab = nullptr;
};
