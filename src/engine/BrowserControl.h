#pragma once
#include <QString>
#include <QWidget>
#include <functional>

// The embedded web browser as the windows use it: a handful of operations and events.
// The web engine sits behind this interface in one place (WebEngineBrowser); tests use
// a fake. Failures of the operations are thrown as RuntimeError with a negative number.
class BrowserControl : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void Navigate(const QString &address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;
    // A reload nobody is waiting at the page for (timed, on activation, after a crash):
    // it must never stop at the page's leave-this-page question.
    virtual void AutoRefresh() { Refresh(); }
    virtual void Stop() = 0;
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;

    // The page's own commands, called directly instead of sending keystrokes.
    virtual void Cut() = 0;
    virtual void Copy() = 0;
    virtual void Paste() = 0;
    virtual void SelectAll() = 0;
    // Searches the page; the answer arrives as findFinished.
    virtual void Find(const QString &text, bool backward) = 0;
    // Prints the page with a print dialog.
    virtual void Print() = 0;

    // Gives the page area the keyboard focus.
    virtual void focusPage() = 0;

    // Answers (now or later) whether the page holds edits the user has not sent:
    // changed form fields, or an editable area with the keyboard focus.
    virtual void queryUserEdits(std::function<void(bool editing)> answer) { answer(false); }

    // Answers (now or later) with the text the page shows, for telling whether a reload
    // changed it; not at all when another load starts before the text is read.
    virtual void pageText(std::function<void(const QString &text)> answer) { answer(QString()); }

    // Asks the page's own leave-this-page guard, as closing a browser tab does, and waits
    // for the answer: false when the person chose to stay on the page.
    virtual bool mayLeave() { return true; }

    // Whether a page out of sight for `minuteMs` may give back its memory and be loaded
    // afresh when shown (only when showing it reloads it anyway). Asked each time.
    virtual void allowDiscarding(int /*minuteMs*/, std::function<bool()> /*allowed*/) {}

signals:
    void BeforeNavigate2();
    void CommandStateChange(int command, bool enable); // 1 forward, 2 back
    void DownloadBegin();
    void DownloadComplete();
    void NavigateComplete2();
    void GotFocus();
    void findFinished(const QString &text, int matches);
    // The person typed into the page while an automatic reload was on its way: the
    // reload was stopped and the page kept as it is.
    void autoReloadStopped();
    // The process that drew the page ended abnormally; the page is gone until reloaded.
    void RendererCrashed();
    // A line for the window's status bar: a download's progress and outcome.
    void statusText(const QString &text);
    // The person asked to see this page (clicked one of its notifications): its
    // window comes to the front, out of the tray if need be.
    void wantsFront();
    // The page's title changed (pages count unread items there: "(3) Inbox").
    void titleChanged(const QString &title);
    // The person asked for the options of the site this page shows.
    void siteOptionsWanted();
};
