#pragma once
#include "platform/ErrorTrap.h"
#include "platform/ToolBar.h"
#include <QObject>
#include <functional>

class AppContext;
class BrowserControl;
class PageKeeper;
class QLineEdit;
class QWidget;

// One page's load, status and history events, handled alike by every window that shows
// a page (the framed ones and the full-screen one): the toolbar's Back, Forward and Stop,
// the busy pointer, the page title kept in the hidden address box and the PageKeeper.
// Each window gives what differs: its error policies, and its own steps, which it hangs
// on the signals below (each signal is one step of a handler, at its place in the order).
class PageController : public QObject
{
    Q_OBJECT
public:
    // The buttons at positions 4 to 8, the same on every page window's toolbar.
    enum Button { Refresh = 4, Back = 5, Forward = 6, Stop = 7, Home = 8 };

    // How each handler reports its errors, where the windows differ.
    struct Policies
    {
        ErrorPolicy beforeNavigate;
        ErrorPolicy downloadBegin;
        ErrorPolicy navigateComplete;
    };

    // `window` shows the busy pointer; `caption` names the page in the keeper's notes.
    // The crash notice is laid over the browser control, in the browser's parent.
    PageController(AppContext &ctx, QWidget *window, BrowserControl *browser, VToolBar *toolbar,
                   QLineEdit *address, std::function<QString()> caption, Policies policies);

    // Refresh, Go Back, Go Forward, Stop downloading, Home.
    static QList<VToolBar::ButtonSpec> navigationSpecs();
    // A page window's load: any non-negative error turns Stop off, resets the pointer,
    // reports "Unable to load web page." and ends the load there.
    ErrorPolicy loadPolicy() const;

    PageKeeper *keeper() const { return m_keeper; }

    // The toolbar commands both kinds of window carry out alike.
    void RefreshPage(); // the person's reload: the crash count starts afresh
    void NavigateBack();
    void NavigateForward();

    void WebBrowser1_BeforeNavigate2();
    void WebBrowser1_CommandStateChange(int command, bool enable);
    void WebBrowser1_DownloadBegin();
    void WebBrowser1_DownloadComplete();
    void WebBrowser1_NavigateComplete2();

signals:
    // A status text about this page from its keeper (a skipped reload, a crash).
    void noteChanged(const QString &text);
    // The last step of DownloadBegin, after Stop is on.
    void downloadStarted();
    // DownloadComplete, after the crash notice went: the keeper's note as it now stands.
    void loadedNote(const QString &note);
    // DownloadComplete, after Stop is off: the page area is laid out again.
    void relayoutWanted();
    // The last step of DownloadComplete, after the page title is kept.
    void loadFinished();

private:
    AppContext &m_ctx;
    QWidget *m_window;
    BrowserControl *m_browser;
    VToolBar *m_toolbar;
    QLineEdit *m_address;
    PageKeeper *m_keeper;
    const Policies m_policies;
};
