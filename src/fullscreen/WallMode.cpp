#include "fullscreen/WallMode.h"
#include "browser/BrowserWindowBase.h"
#include "core/SiteOptions.h"
#include "engine/BrowserControl.h"
#include "engine/SiteSettings.h"
#include "mainwindow/SiteWatch.h"
#include "platform/AppContext.h"
#include "platform/ScreenSaverInhibitor.h"
#include "platform/ToolBar.h"
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kLineHeight = 4;
constexpr int kLeadMaxMs = 5000;

// The time left of the page's turn, as a line along the bottom edge that shrinks.
class ProgressLine : public QWidget
{
public:
    explicit ProgressLine(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("wallProgress"));
        setAccessibleName(QStringLiteral("Time left on this page"));
        // It paints every pixel: the page under it need not be drawn again.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    double left = 1.0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int w = int(width() * std::clamp(left, 0.0, 1.0));
        p.fillRect(QRect(0, 0, w, height()), QColor(0x3d, 0x8b, 0xfd));
        p.fillRect(QRect(w, 0, width() - w, height()), QColor(0x20, 0x20, 0x20));
    }
};

QString dayWord(const QDateTime &now, const QDateTime &at)
{
    const qint64 days = now.date().daysTo(at.date());
    if (days == 0)
        return QStringLiteral("today");
    if (days == 1)
        return QStringLiteral("tomorrow");
    return QStringLiteral("on ") + QLocale::c().dayName(at.date().dayOfWeek());
}

} // namespace

WallMode::WallMode(AppContext &ctx, std::function<QList<BrowserWindowBase *>()> windows,
                   std::function<SiteWatch *()> watch)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_ctx(ctx), m_windows(std::move(windows)),
      m_watch(std::move(watch))
{
    setObjectName(QStringLiteral("WallMode"));
    setWindowTitle(QStringLiteral("Velloran - Wall Mode"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setStyleSheet(QStringLiteral("WallMode { background: #101418; }"));

    m_stage = new QWidget(this);
    m_stage->setObjectName(QStringLiteral("wallStage"));
    m_stage->setMouseTracking(true);
    m_rest = new QLabel(m_stage);
    m_rest->setObjectName(QStringLiteral("wallRest"));
    m_rest->setAlignment(Qt::AlignCenter);
    m_rest->setWordWrap(true);
    m_rest->setAutoFillBackground(true);
    m_rest->setStyleSheet(QStringLiteral("QLabel { background: #101418; color: #c8ccd0; font-size: 28pt; }"));
    m_rest->setMouseTracking(true);
    m_line = new ProgressLine(this);

    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("wallBar"));
    m_bar->setAccessibleName(QStringLiteral("Wall Mode bar"));
    m_bar->setAttribute(Qt::WA_StyledBackground);
    m_bar->setStyleSheet(QStringLiteral(
        "#wallBar { background: #202428; border: 1px solid #5a6068; border-radius: 6px; }"
        "#wallBar QLabel { color: #f0f0f0; padding: 0 12px; font-weight: bold; }"
        "#wallBar QPushButton { color: #f0f0f0; background: #353a40; border: 1px solid #5a6068;"
        " border-radius: 4px; padding: 6px 14px; }"
        "#wallBar QPushButton:focus { border: 2px solid #3d8bfd; }"
        "#wallBar QPushButton:checked { background: #2c5aa0; }"));
    auto *row = new QHBoxLayout(m_bar);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);
    const auto button = [this, row](const char *name, const QString &text, const QString &accessible) {
        auto *b = new QPushButton(text, m_bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(accessible);
        b->setFocusPolicy(Qt::StrongFocus);
        row->addWidget(b);
        return b;
    };
    cmdPrevious = button("cmdPrevious", QStringLiteral("Previous"), QStringLiteral("Previous page"));
    cmdPause = button("cmdPause", QStringLiteral("Pause"), QStringLiteral("Pause"));
    cmdNext = button("cmdNext", QStringLiteral("Next"), QStringLiteral("Next page"));
    lblPage = new QLabel(m_bar);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPage->setAccessibleName(QStringLiteral("Page shown"));
    row->addWidget(lblPage, 1);
    chkProgress = button("chkProgress", QStringLiteral("Progress Line"), QStringLiteral("Progress line"));
    chkProgress->setCheckable(true);
    chkProgress->setChecked(true);
    cmdLeave = button("cmdLeave", QStringLiteral("Leave Wall Mode"), QStringLiteral("Leave Wall Mode"));
    m_bar->hide();
    connect(cmdPrevious, &QPushButton::clicked, this, &WallMode::showPrevious);
    connect(cmdNext, &QPushButton::clicked, this, &WallMode::showNext);
    connect(cmdPause, &QPushButton::clicked, this, &WallMode::togglePause);
    connect(chkProgress, &QPushButton::toggled, this, &WallMode::setProgressLine);
    connect(cmdLeave, &QPushButton::clicked, this, &WallMode::leave);

    const auto timer = [this](bool single, void (WallMode::*step)()) {
        auto *t = new QTimer(this);
        t->setSingleShot(single);
        // A coarse timer may be late by a twentieth of its interval: a quarter of a
        // second on a five-second dwell.
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, step);
        return t;
    };
    m_turn = timer(true, &WallMode::turnEnded);
    m_prepare = timer(true, &WallMode::prepareNext);
    m_retry = timer(true, &WallMode::turnEnded);
    m_idle = timer(true, &WallMode::idleMinutePassed);
    m_tick = timer(false, &WallMode::updateProgress);
}

WallMode::~WallMode()
{
    // Closed with the program, not by leave(): the pages still go home first.
    if (!m_left) {
        m_left = true;
        qApp->removeEventFilter(this);
        giveAllBack();
        if (m_inhibitor)
            m_inhibitor->uninhibit();
    }
}

// ---------------------------------------------------------------------------
// Which pages take a turn

BrowserWindowBase *WallMode::windowOf(int slot) const
{
    for (BrowserWindowBase *w : m_windows())
        if (w && w->slot() == slot)
            return w;
    return nullptr;
}

int WallMode::dwellMs(int slot) const
{
    const BrowserWindowBase *w = windowOf(slot);
    const SiteOptions o = w && m_ctx.sites ? m_ctx.sites->options(w->HomeURL) : SiteOptions();
    // Scaled as the refresh timer's minute is, so tests can shorten both.
    return int(qint64(o.dwellSeconds) * m_ctx.minuteMs / 60);
}

bool WallMode::takesTurn(int slot) const
{
    const BrowserWindowBase *w = windowOf(slot);
    if (!w || dwellMs(slot) <= 0)
        return false;
    if (SiteWatch *watch = m_watch ? m_watch() : nullptr)
        return watch->insideHours(slot);
    const ActiveHours hours = m_ctx.sites ? m_ctx.sites->options(w->HomeURL).hours : ActiveHours();
    return !hours.limited() || hours.contains(m_ctx.localTime());
}

QList<int> WallMode::rotation() const
{
    QList<int> order;
    for (BrowserWindowBase *w : m_windows())
        if (w && takesTurn(w->slot()) && !order.contains(w->slot()))
            order.append(w->slot());
    std::sort(order.begin(), order.end());
    return order;
}

// The slot `step` turns after (or before) `slot` in the rotation; 0 when none takes a turn.
int WallMode::slotAfter(int slot, int step) const
{
    const QList<int> order = rotation();
    if (order.isEmpty())
        return 0;
    if (step > 0) {
        const auto it = std::upper_bound(order.begin(), order.end(), slot);
        return it == order.end() ? order.first() : *it;
    }
    const auto it = std::lower_bound(order.begin(), order.end(), slot);
    return it == order.begin() ? order.last() : *(it - 1);
}

QString WallMode::restText() const
{
    const QDateTime now = m_ctx.localTime();
    QDateTime soonest;
    bool anyOpen = false, anyDwell = false;
    for (BrowserWindowBase *w : m_windows()) {
        if (!w)
            continue;
        anyOpen = true;
        if (dwellMs(w->slot()) <= 0)
            continue;
        anyDwell = true;
        SiteWatch *watch = m_watch ? m_watch() : nullptr;
        const ActiveHours hours = m_ctx.sites ? m_ctx.sites->options(w->HomeURL).hours : ActiveHours();
        const QDateTime at = watch ? watch->hoursResume(w->slot()) : hours.nextStart(now);
        if (at.isValid() && (!soonest.isValid() || at < soonest))
            soonest = at;
    }
    if (!anyOpen)
        return QStringLiteral("No Top 8 page is open.");
    if (!anyDwell)
        return QStringLiteral("No open page is set to show on the wall.");
    if (!soonest.isValid())
        return QStringLiteral("The pages are loading.");
    return QStringLiteral("Next page at %1 %2").arg(soonest.toString(QStringLiteral("HH:mm")), dayWord(now, soonest));
}

// ---------------------------------------------------------------------------
// Borrowing the pages

WallMode::Borrowed *WallMode::borrow(int slot)
{
    if (auto it = m_borrowed.find(slot); it != m_borrowed.end() && it->control)
        return &*it;
    BrowserWindowBase *w = windowOf(slot);
    if (!w || !w->WebBrowser1)
        return nullptr;
    Borrowed b;
    b.window = w;
    b.control = w->WebBrowser1;
    b.home = b.control->parentWidget();
    b.geometry = b.control->geometry();
    b.minimum = b.control->minimumSize();
    b.maximum = b.control->maximumSize();
    b.hidden = b.control->isHidden();
    BrowserControl *c = b.control;
    c->hide();
    c->setParent(m_stage);
    // Fixed: the window's own layout steps (after each load) resize its page, and
    // would otherwise pull it to the size it has inside the hidden main window.
    c->setFixedSize(m_stage->size());
    c->move(0, 0);
    c->setMouseTracking(true);
    c->installEventFilter(this);
    connect(c, &BrowserControl::DownloadComplete, this, [this, slot] { pageLoaded(slot); });
    // A window closed meanwhile (Set Up) takes its page with it.
    connect(w, &QObject::destroyed, this, [this, slot, control = b.control] {
        delete control.data();
        m_borrowed.remove(slot);
        if (m_current == slot || m_next == slot)
            QTimer::singleShot(0, this, [this, slot] {
                if (m_next == slot)
                    m_next = 0;
                if (m_current == slot && m_running) {
                    m_current = 0;
                    showNext();
                }
            });
    });
    return &*m_borrowed.insert(slot, b);
}

void WallMode::giveBack(Borrowed &b)
{
    BrowserControl *c = b.control;
    if (!c)
        return;
    c->removeEventFilter(this);
    disconnect(c, nullptr, this, nullptr);
    if (b.window)
        disconnect(b.window, nullptr, this, nullptr);
    if (!b.home || !b.window) {
        delete c;
        return;
    }
    c->hide();
    c->setMinimumSize(b.minimum);
    c->setMaximumSize(b.maximum);
    c->setParent(b.home);
    c->setGeometry(b.geometry);
    c->setVisible(!b.hidden);
    b.window->layoutPage(false, true, false);
}

void WallMode::giveAllBack()
{
    for (Borrowed &b : m_borrowed)
        giveBack(b);
    m_borrowed.clear();
}

bool WallMode::loading(int slot) const
{
    const BrowserWindowBase *w = windowOf(slot);
    // Stop is enabled exactly while the page loads.
    return w && w->Toolbar1 && w->Toolbar1->buttonEnabled(BrowserWindowBase::BtnStop);
}

int WallMode::msUntilReady(int slot)
{
    Borrowed *b = borrow(slot);
    if (!b)
        return 0;
    if (loading(slot))
        return -1;
    qint64 wait = 0;
    if (b->laidOut.isValid())
        wait = std::max(wait, settleMs - b->laidOut.elapsed());
    if (b->loaded.isValid())
        wait = std::max(wait, settleMs - b->loaded.elapsed());
    return int(std::max<qint64>(0, wait));
}

void WallMode::pageLoaded(int slot)
{
    if (auto it = m_borrowed.find(slot); it != m_borrowed.end())
        it->loaded.start();
    // The page the turn waits for has loaded: it gets its moment to draw, then shows.
    if (slot == m_next && m_waitingSince.isValid() && !m_paused)
        m_retry->start(settleMs);
}

// ---------------------------------------------------------------------------
// Turns

QWidget *WallMode::shownWidget() const
{
    if (m_current) {
        const auto it = m_borrowed.constFind(m_current);
        if (it != m_borrowed.constEnd() && it->control)
            return it->control;
    }
    return m_rest;
}

// The slot's page lies under the one shown, visible to the engine, so it is woken,
// loaded or refreshed as due, and drawn before its turn.
void WallMode::layUnder(int slot)
{
    Borrowed *b = borrow(slot);
    if (!b)
        return;
    m_next = slot;
    if (b->control->isHidden()) {
        b->control->stackUnder(shownWidget());
        b->control->show();
        b->laidOut.start();
    }
    if (m_ctx.state.RefreshOnActive != 0)
        b->window->refreshSafely();
    else if (SiteWatch *watch = m_watch ? m_watch() : nullptr)
        watch->refreshIfDue(slot);
}

void WallMode::show(int slot)
{
    Borrowed *b = borrow(slot);
    if (!b) {
        showRest();
        return;
    }
    m_current = slot;
    m_next = 0;
    if (b->control->isHidden())
        b->laidOut.start();
    b->control->show();
    b->control->raise();
    for (auto it = m_borrowed.begin(); it != m_borrowed.end(); ++it)
        if (it.key() != slot && it->control)
            it->control->hide();
    m_rest->hide();
    m_line->raise();
    m_bar->raise();
    m_caption = QStringLiteral("%1. %2").arg(slot).arg(b->window->caption());
    updateLabel();
    if (SiteWatch *watch = m_watch ? m_watch() : nullptr)
        watch->looked(slot);
    startTurn();
}

void WallMode::showRest()
{
    m_current = 0;
    m_rest->setText(restText());
    m_rest->show();
    m_rest->raise();
    for (auto it = m_borrowed.begin(); it != m_borrowed.end(); ++it)
        if (it.key() != m_next && it->control)
            it->control->hide();
    m_line->raise();
    m_bar->raise();
    m_caption = QStringLiteral("No page to show");
    updateLabel();
    startTurn();
}

// The turn of what is shown now starts: its dwell, and the next page's preparation
// ahead of its end. The dark page looks again every minute, or when the next page's
// hours begin.
void WallMode::startTurn()
{
    stopTimers();
    m_waitingSince.invalidate();
    m_shownAt.start();
    if (m_current) {
        m_turnMs = dwellMs(m_current);
    } else {
        m_turnMs = m_ctx.minuteMs;
        const QDateTime now = m_ctx.localTime();
        for (BrowserWindowBase *w : m_windows()) {
            SiteWatch *watch = m_watch ? m_watch() : nullptr;
            if (!w || dwellMs(w->slot()) <= 0)
                continue;
            const ActiveHours hours = m_ctx.sites ? m_ctx.sites->options(w->HomeURL).hours : ActiveHours();
            const QDateTime at = watch ? watch->hoursResume(w->slot()) : hours.nextStart(now);
            if (at.isValid())
                m_turnMs = int(std::clamp<qint64>(now.msecsTo(at), 0, m_turnMs));
        }
        // A page that takes a turn already only waits to be drawn; else the dark page
        // looks again at least a second on.
        m_turnMs = rotation().isEmpty() ? std::max(m_turnMs, 1000) : 0;
    }
    if (m_paused)
        return;
    m_turn->start(m_turnMs);
    // Half the turn ahead, at most five seconds, and never less than the time to draw.
    const int lead = std::min({m_turnMs, kLeadMaxMs, std::max(m_turnMs / 2, settleMs + 100)});
    m_prepare->start(m_turnMs - lead);
    updateProgress();
    if (m_line->isVisible())
        m_tick->start(std::clamp(m_turnMs / std::max(1, width()), 40, 1000));
}

void WallMode::stopTimers()
{
    m_turn->stop();
    m_prepare->stop();
    m_retry->stop();
    m_tick->stop();
}

void WallMode::prepareNext()
{
    if (m_paused)
        return;
    // The page laid under the dark page at the start keeps its place.
    const int next = m_next && takesTurn(m_next) ? m_next : slotAfter(m_current, +1);
    if (next && next != m_current)
        layUnder(next);
}

void WallMode::turnEnded()
{
    if (m_paused || !m_running)
        return;
    int next = m_next && takesTurn(m_next) ? m_next : slotAfter(m_current, +1);
    if (!next) {
        showRest();
        return;
    }
    if (next == m_current) {
        startTurn();
        return;
    }
    if (m_next != next)
        layUnder(next);
    const int wait = msUntilReady(next);
    if (wait == 0) {
        show(next);
        return;
    }
    if (!m_waitingSince.isValid())
        m_waitingSince.start();
    // A page that has not loaded within a minute of its turn is passed over this time.
    if (m_waitingSince.elapsed() >= m_ctx.minuteMs) {
        m_waitingSince.invalidate();
        const int after = slotAfter(next, +1);
        m_next = 0;
        if (auto it = m_borrowed.find(next); it != m_borrowed.end() && it->control)
            it->control->hide();
        if (after && after != next && after != m_current) {
            layUnder(after);
            m_retry->start(settleMs);
        } else {
            startTurn();
        }
        return;
    }
    // Still loading: its load's end starts the retry; meanwhile look again now and then.
    m_retry->start(wait > 0 ? wait : std::min(m_ctx.minuteMs, 1000));
}

// ---------------------------------------------------------------------------
// Start and end

void WallMode::start(int firstSlot)
{
    m_running = true;
    m_inhibitor = ScreenSaverInhibitor::create();
    m_inhibitor->inhibit(QStringLiteral("Showing web pages on a wall screen"));
    const QRect whole(m_ctx.screen->screenTopLeftPixels(), m_ctx.screen->screenSizePixels());
    if (QScreen *screen = QGuiApplication::screenAt(whole.center()))
        setScreen(screen);
    setGeometry(whole);
    placeOverlays();
    qApp->installEventFilter(this);
    // The dark page first, while the first page is laid under it and drawn.
    m_current = 0;
    m_rest->setText(QString());
    m_rest->show();
    m_rest->raise();
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
    const int first = takesTurn(firstSlot) ? firstSlot : slotAfter(0, +1);
    if (first) {
        layUnder(first);
        m_retry->start(settleMs);
    } else {
        showRest();
    }
}

void WallMode::leave()
{
    if (m_left)
        return;
    m_left = true;
    m_running = false;
    stopTimers();
    m_idle->stop();
    qApp->removeEventFilter(this);
    giveAllBack();
    if (m_inhibitor)
        m_inhibitor->uninhibit();
    emit ended();
    close();
}

void WallMode::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager (Alt+F4): back to the main window, as Esc does.
    if (!m_left) {
        event->ignore();
        QTimer::singleShot(0, this, &WallMode::leave);
        return;
    }
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------------------
// People at the screen

void WallMode::input(bool key)
{
    m_idle->start(m_ctx.minuteMs);
    if (m_bar->isVisible())
        return;
    pause();
    showBar();
    if (key)
        cmdPause->setFocus();
}

void WallMode::pause()
{
    m_paused = true;
    stopTimers();
    updateProgress();
    cmdPause->setText(QStringLiteral("Play"));
    cmdPause->setAccessibleName(QStringLiteral("Play"));
    updateLabel();
}

// The page's name, and whether the turns wait: the bar says so in words.
void WallMode::updateLabel()
{
    lblPage->setText(m_paused ? m_caption + QStringLiteral("  (paused)") : m_caption);
}

void WallMode::play()
{
    m_paused = false;
    cmdPause->setText(QStringLiteral("Pause"));
    cmdPause->setAccessibleName(QStringLiteral("Pause"));
    updateLabel();
    // The page shown gets a whole turn again from now.
    if (m_current && takesTurn(m_current))
        show(m_current);
    else
        turnEnded();
}

void WallMode::togglePause()
{
    if (m_paused)
        play();
    else
        pause();
}

void WallMode::idleMinutePassed()
{
    hideBar();
    if (m_paused)
        play();
}

void WallMode::showBar()
{
    placeOverlays();
    m_bar->show();
    m_bar->raise();
}

void WallMode::hideBar()
{
    m_idle->stop();
    m_bar->hide();
    setFocus();
}

bool WallMode::barShown() const
{
    return m_bar->isVisible();
}

void WallMode::showNext()
{
    const int next = slotAfter(m_current, +1);
    if (next)
        show(next);
    else
        showRest();
}

void WallMode::showPrevious()
{
    const int previous = slotAfter(m_current ? m_current : 9, -1);
    if (previous)
        show(previous);
    else
        showRest();
}

void WallMode::setProgressLine(bool on)
{
    if (chkProgress->isChecked() != on)
        chkProgress->setChecked(on);
    m_line->setVisible(on);
    if (on && !m_paused)
        m_tick->start(std::clamp(m_turnMs / std::max(1, width()), 40, 1000));
    else
        m_tick->stop();
    updateProgress();
}

bool WallMode::progressLineShown() const
{
    return m_line->isVisible();
}

void WallMode::updateProgress()
{
    auto *line = static_cast<ProgressLine *>(m_line);
    const double left = m_turnMs > 0 && m_shownAt.isValid() && !m_paused
                            ? 1.0 - double(m_shownAt.elapsed()) / m_turnMs
                            : (m_paused ? line->left : 0.0);
    if (left != line->left) {
        line->left = left;
        line->update();
    }
}

void WallMode::placeOverlays()
{
    m_stage->setGeometry(rect());
    m_rest->setGeometry(m_stage->rect());
    for (Borrowed &b : m_borrowed)
        if (b.control) {
            b.control->setFixedSize(m_stage->size());
            b.control->move(0, 0);
        }
    m_line->setGeometry(0, height() - kLineHeight, width(), kLineHeight);
    const QSize bar = m_bar->sizeHint().expandedTo(QSize(std::min(width() - 40, 720), 0));
    m_bar->setGeometry((width() - bar.width()) / 2, height() - kLineHeight - bar.height() - 24, bar.width(),
                       bar.height());
}

void WallMode::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
}

bool WallMode::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || m_left)
        return false;
    // A borrowed page moved by its window's layout steps goes back to the corner.
    if (event->type() == QEvent::Move && widget->parentWidget() == m_stage) {
        if (widget->pos() != QPoint(0, 0))
            widget->move(0, 0);
        return false;
    }
    if (widget->window() != this)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool leaves = key->key() == Qt::Key_Escape || key->key() == Qt::Key_F11;
        const bool eaten = leaves || !m_bar->isVisible();
        if (event->type() == QEvent::ShortcutOverride) {
            // Accepted, the key comes here as a key press instead of as a page's shortcut.
            if (eaten)
                event->accept();
            return eaten;
        }
        if (leaves) {
            QTimer::singleShot(0, this, &WallMode::leave);
            return true;
        }
        input(true);
        return eaten;
    }
    case QEvent::MouseMove:
    case QEvent::HoverMove: {
        const QPoint at = static_cast<QSinglePointEvent *>(event)->globalPosition().toPoint();
        // A page laid over a still pointer moves nothing.
        if (at == m_pointer)
            return false;
        const bool first = m_pointer == QPoint(-1, -1);
        m_pointer = at;
        if (!first)
            input(false);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        input(false);
        return false;
    default:
        return false;
    }
}
