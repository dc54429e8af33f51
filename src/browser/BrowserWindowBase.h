#pragma once
#include "browser/PageController.h"
#include "platform/ErrorTrap.h"
#include "core/UrlDataFile.h"
#include <QMdiSubWindow>

class AppContext;
class BrowserControl;
class VToolBar;
class QLineEdit;
class QLabel;

// One slot's page inside the main frame: a toolbar over the browser control. The tab
// window and the cascade/tile window share everything here; each subclass holds only
// what differs (activation, resize, unload and a few error policies). The page's load,
// status and history events are its PageController's.
class BrowserWindowBase : public QMdiSubWindow
{
    Q_OBJECT
public:
    // A window for one slot of the Top 8: it opens on the record's address and is
    // named after its caption once loaded. `policies` are how its page events report errors.
    BrowserWindowBase(AppContext &ctx, const UrlRecord &record, const QString &readyCaption,
                      const PageController::Policies &policies);
    ~BrowserWindowBase() override;

    enum Button { BtnOpenInIE = 2, BtnRefresh = 4, BtnBack = 5, BtnForward = 6, BtnStop = 7, BtnHome = 8,
                  BtnPrint = 10, BtnFullScreen = 13, BtnSendToTray = 16, BtnFavorites = 18, BtnHistory = 19 };

    virtual bool isTabWindow() const = 0;
    // How many browser windows are loaded (a closing one counts until it has unloaded).
    static int loadedCount(const AppContext &ctx);

    void Form_Load();
    virtual void Form_Activate() = 0;
    virtual void Form_Resize() = 0;
    void Toolbar1_ButtonClick(int index);
    void mnuSendToTray_Click();

    int slot() const { return m_slot; }
    QString tag() const;           // the slot as text, as the window registry finds it
    QString caption() const { return windowTitle(); }

    BrowserControl *WebBrowser1 = nullptr;
    VToolBar *Toolbar1 = nullptr;
    QLineEdit *txtCurrentURL = nullptr;
    QString HomeURL;               // the slot's address, as the data file holds it
    long BrowserWidth = 0;

    // Page-area layout; the flags select the variations of activation, resize and
    // download completion.
    void layoutPage(bool recomputeWidth, bool move, bool setToolbarVisibility);
    int innerWidth() const;
    int innerHeight() const;

    // Asks the page whether it may be closed (its leave-this-page guard).
    bool mayLeave();
    // Public so the frame can unload a window on the user's behalf, once asked.
    void unload();
    // This window is the frame's active child.
    bool isFront() const;

signals:
    // What happened to the page, or what it needs; the frame decides what follows.
    void statusText(const QString &text);       // for the status bar's page cell
    void activated();                           // its activation ran: the tip turns
    void firstLoaded();                         // the page menus are wanted
    void tabSelected(int slot);                 // its tab is drawn selected, the others not
    void slotReleased(int slot, const QString &caption); // back on the URL menu
    void lastPageClosed(bool tabWindow);        // no browser window is left
    void favoritesWanted();
    void fullScreenWanted();
    void sendToTrayWanted();
    void frontWanted();                         // the person asked to see this page
    void pageLoaded();                          // a load of its page finished

public:
    // Reloads the page unless that would lose the user's typing or swap the page for
    // an error page (the site does not answer); then it stays marked for the next try.
    void refreshSafely();
    bool reloadPending() const;
    // How many times the page healed itself after its renderer died, in the last minute.
    int recentCrashes() const;
    QLabel *crashNotice() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    virtual void Form_Unload() = 0;
    void commonActivate();                     // reload on activate, status texts, tips
    void unloadCommonSteps();                  // slot back to the URL menu, closed in its entry
    bool isLastBrowserWindow() const;          // no other browser window is loaded
    void currentWindowPick();
    void tabHighlighting();

    virtual ErrorPolicy showFullScreenPolicy() const = 0;

    void statusNote(const QString &text);
    // The page's own status text: the note on a skipped reload while there is one,
    // else the given text.
    QString pageStatus(const QString &text) const;

    // Shows the frame's active child maximized (error 91 when there is none).
    void maximizeFrontWindow();

    AppContext &m_ctx;
    PageController *m_page = nullptr;
    QWidget *m_body = nullptr;
    bool m_unloaded = false;
    bool m_leaveSettled = false; // closing without asking the page (asked already, or exiting)

private:
    const int m_slot;
    const QString m_homeCaption;

    void OpenInNewWindow();
    void StopLoading();
    void NavigateHome();
    void PrintPage();
    void ShowFullScreen();

    // This window's own steps of its page's DownloadBegin and DownloadComplete.
    void showDownloading();
    void showLoadedPage();
    void WebBrowser1_GotFocus();
};
