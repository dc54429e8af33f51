#pragma once
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

class AppContext;
class BrowserControl;
class BrowserWindowBase;
class ScreenSaverInhibitor;
class SiteWatch;
class QLabel;
class QPushButton;
class QTimer;

// The open Top 8 pages one after another over the whole screen, each for its dwell,
// for a screen nobody has to touch. The pages are not copied: each slot's own browser
// control is borrowed from its window while the wall runs and given back when it
// ends. The page whose turn is next lies under the one shown for a moment first, so
// it is loaded (or refreshed when due) and drawn before it is seen. Any input pauses
// the turn and shows a small bar; a minute without input hides it and the turns go on.
// The screen saver is held off meanwhile.
class WallMode : public QWidget
{
    Q_OBJECT
public:
    // `windows` lists the slots' open windows; `watch` their schedules (may answer null).
    WallMode(AppContext &ctx, std::function<QList<BrowserWindowBase *>()> windows,
             std::function<SiteWatch *()> watch);
    ~WallMode() override;

    // Covers the screen the main window is on and starts with `firstSlot`'s page when
    // it takes a turn, else with the first that does.
    void start(int firstSlot);
    // Gives every page back to its window and closes; `ended` follows.
    void leave();

    // The slots that take a turn now: open, with a dwell, inside their hours; in order.
    QList<int> rotation() const;
    int dwellMs(int slot) const;
    // The page shown (0 for the dark page) and the one lying under it for its turn.
    int currentSlot() const { return m_current; }
    int preparedSlot() const { return m_next; }
    bool paused() const { return m_paused; }
    bool running() const { return m_running; }
    bool barShown() const;
    bool progressLineShown() const;
    // What the dark page says while no page takes a turn.
    QString restText() const;
    const AppContext &context() const { return m_ctx; }

    // The timers' steps, public so tests drive them as they drive the refresh timer.
    void prepareNext();
    void turnEnded();
    void idleMinutePassed();

    // The bar's commands.
    void showPrevious();
    void showNext();
    void togglePause();
    void setProgressLine(bool on);

    // How long a page that has just loaded, or just been laid under the page shown, is
    // given to draw before its turn.
    int settleMs = 400;

signals:
    void ended();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Borrowed
    {
        QPointer<BrowserWindowBase> window;
        QPointer<BrowserControl> control;
        QPointer<QWidget> home;
        QRect geometry;
        QSize minimum, maximum;
        bool hidden = false;
        QElapsedTimer laidOut;   // since it was laid in the wall (under or on top)
        QElapsedTimer loaded;    // since its last load finished
    };

    BrowserWindowBase *windowOf(int slot) const;
    Borrowed *borrow(int slot);
    void giveBack(Borrowed &b);
    void giveAllBack();
    bool loading(int slot) const;
    // Ms until the slot's page may be shown: 0 ready, -1 still loading.
    int msUntilReady(int slot);
    bool takesTurn(int slot) const;
    int slotAfter(int slot, int step) const;
    QWidget *shownWidget() const;
    void layUnder(int slot);
    void show(int slot);
    void showRest();
    void startTurn();
    void stopTimers();
    void input(bool key);
    void pause();
    void play();
    void showBar();
    void hideBar();
    void placeOverlays();
    void updateProgress();
    void pageLoaded(int slot);
    void updateLabel();

    AppContext &m_ctx;
    std::function<QList<BrowserWindowBase *>()> m_windows;
    std::function<SiteWatch *()> m_watch;
    std::unique_ptr<ScreenSaverInhibitor> m_inhibitor;
    QHash<int, Borrowed> m_borrowed;
    QWidget *m_stage = nullptr;
    QLabel *m_rest = nullptr;
    QWidget *m_line = nullptr;
    QWidget *m_bar = nullptr;
    QLabel *lblPage = nullptr;
    QPushButton *cmdPrevious = nullptr, *cmdPause = nullptr, *cmdNext = nullptr, *chkProgress = nullptr,
                *cmdLeave = nullptr;
    QTimer *m_turn = nullptr;      // the dwell of the page shown
    QTimer *m_prepare = nullptr;   // lays the next page under it
    QTimer *m_retry = nullptr;     // the next page was not ready at the end of the turn
    QTimer *m_idle = nullptr;      // a minute without input
    QTimer *m_tick = nullptr;      // the progress line
    QElapsedTimer m_shownAt;
    QElapsedTimer m_waitingSince;
    QString m_caption;
    QPoint m_pointer{-1, -1};
    int m_current = 0;
    int m_next = 0;
    int m_turnMs = 0;
    bool m_paused = false;
    bool m_running = false;
    bool m_left = false;
};
