#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWebEnginePage>
#include <functional>

// Lets a page nobody is looking at give back what it holds. Once loaded, a page out of
// sight is frozen (no script, no timers, no drawing) and keeps its document; one out of
// sight for a whole minute is discarded (its renderer's memory released) where the
// window allows it, and the engine reloads it when it is shown again. The engine's own
// recommendation is a floor: a page playing sound or still loading stays active.
//
// Follows the view's show and hide (the page's visibility), its loads and the engine's
// recommendation. A view in a window that other windows of the same area cover
// entirely is out of sight too: its page is hidden until something of it shows again.
class PageLifecycle : public QObject
{
    Q_OBJECT
public:
    using State = QWebEnginePage::LifecycleState;

    // What the decision depends on; `target` is a pure function of it.
    struct Facts
    {
        bool visible = false;
        bool busy = false;            // loading, about to load, or answering a question
        bool hiddenAMinute = false;
        bool mayDiscard = false;
        bool awake = false;           // the site may notify the person: its scripts keep running
        State current = State::Active;
        State recommended = State::Active;
    };
    static State target(const Facts &f);
    // Whether nothing of `area` inside `bounds` is left once the rectangles `above` are
    // taken away (an empty area is never covered).
    static bool covered(const QRect &area, const QRect &bounds, const QList<QRect> &above);

    explicit PageLifecycle(QWebEnginePage *page);

    // Discarding is allowed while `allowed` says so, after `minuteMs` out of sight.
    void setDiscarding(int minuteMs, std::function<bool()> allowed);

    // While `awake` says so the page is never frozen or discarded out of sight (a site
    // allowed to show notifications must keep running to show them).
    void setStaysAwake(std::function<bool()> awake) { m_awake = std::move(awake); }

    // An automatic reload is asked for. False when it is not to be started now: a
    // discarded page waits until it is shown. A frozen page is woken for it and
    // freezes again once loaded.
    bool autoReloadNow();
    // A navigation asked for by the person: the page is woken for it.
    void wake();
    // Keeps the page awake (a frozen page runs no script) until the matching release.
    void hold();
    void release();

    State state() const;

    // Hides the page while `view`'s window lies under other windows of its area.
    void watchCovering(QWidget *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update();
    void visibilityChanged(bool visible);
    void watchWindows();
    bool viewCovered() const;
    void applyCovering();

    QWebEnginePage *m_page;
    QTimer m_minute;
    QTimer m_coverCheck;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_area;         // the area whose windows may cover the view's
    std::function<bool()> m_mayDiscard;
    std::function<bool()> m_awake;
    int m_holds = 0;
    bool m_loading = false;
    bool m_loadAwaited = false;
    bool m_hiddenAMinute = false;
};
