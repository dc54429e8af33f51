#include "engine/PageLifecycle.h"
#include <QEvent>
#include <QMdiSubWindow>
#include <QRegion>
#include <algorithm>

PageLifecycle::State PageLifecycle::target(const Facts &f)
{
    if (f.visible)
        return State::Active;
    // Nothing leaves the discarded state but being shown (the engine allows no other way).
    if (f.current == State::Discarded)
        return State::Discarded;
    if (f.busy || f.awake)
        return State::Active;
    const State wanted = f.hiddenAMinute && f.mayDiscard ? State::Discarded : State::Frozen;
    // Never further than the engine recommends: the states are ordered Active, Frozen, Discarded.
    return std::min(wanted, f.recommended);
}

bool PageLifecycle::covered(const QRect &area, const QRect &bounds, const QList<QRect> &above)
{
    if (area.isEmpty())
        return false;
    QRegion left = QRegion(area).intersected(bounds);
    for (const QRect &r : above)
        left -= r;
    return left.isEmpty();
}

PageLifecycle::PageLifecycle(QWebEnginePage *page) : QObject(page), m_page(page)
{
    m_coverCheck.setSingleShot(true);
    m_coverCheck.setInterval(0);
    connect(&m_coverCheck, &QTimer::timeout, this, &PageLifecycle::applyCovering);
    m_minute.setSingleShot(true);
    m_minute.setInterval(60000);
    connect(&m_minute, &QTimer::timeout, this, [this] {
        m_hiddenAMinute = true;
        update();
    });
    connect(page, &QWebEnginePage::visibleChanged, this, &PageLifecycle::visibilityChanged);
    connect(page, &QWebEnginePage::recommendedStateChanged, this, &PageLifecycle::update);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        m_loading = true;
        m_loadAwaited = false;
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        m_loading = false;
        m_loadAwaited = false;
        update();
    });
    // A page starts out of sight until its view is first shown.
    if (!page->isVisible())
        m_minute.start();
}

void PageLifecycle::setDiscarding(int minuteMs, std::function<bool()> allowed)
{
    m_minute.setInterval(std::max(1, minuteMs));
    m_mayDiscard = std::move(allowed);
    if (m_minute.isActive())
        m_minute.start();
}

PageLifecycle::State PageLifecycle::state() const
{
    return m_page->lifecycleState();
}

void PageLifecycle::visibilityChanged(bool visible)
{
    m_hiddenAMinute = false;
    if (visible) {
        // Shown, it stays active anyway: nothing to wait for any more.
        m_loadAwaited = false;
        m_minute.stop();
        return;
    }
    m_minute.start();
    update();
}

void PageLifecycle::update()
{
    Facts f;
    f.visible = m_page->isVisible();
    f.busy = m_loading || m_loadAwaited || m_holds > 0;
    f.hiddenAMinute = m_hiddenAMinute;
    f.mayDiscard = m_mayDiscard && m_mayDiscard();
    f.awake = m_awake && m_awake();
    f.current = m_page->lifecycleState();
    f.recommended = m_page->recommendedState();
    const State next = target(f);
    if (next != f.current)
        m_page->setLifecycleState(next);
}

bool PageLifecycle::autoReloadNow()
{
    // A discarded page is brought back when it is shown, and the reload asked for then
    // (on activation) is a real one: the engine's own restore takes the page from its
    // cache, stale or not, and a reload now replaces that restore while it is under way.
    if (state() == State::Discarded)
        return false;
    wake();
    return true;
}

void PageLifecycle::wake()
{
    // Held awake until its load has started; once loaded it freezes again if still out of sight.
    m_loadAwaited = true;
    if (state() != State::Active)
        m_page->setLifecycleState(State::Active);
}

void PageLifecycle::hold()
{
    ++m_holds;
    if (state() == State::Frozen)
        m_page->setLifecycleState(State::Active);
}

void PageLifecycle::release()
{
    if (m_holds > 0 && --m_holds == 0)
        update();
}

void PageLifecycle::watchCovering(QWidget *view)
{
    m_view = view;
    view->installEventFilter(this);
}

// The view's window and every window beside it in its area: any move, resize, show,
// hide, raise or state change of one may cover or uncover the view.
void PageLifecycle::watchWindows()
{
    QWidget *window = m_view ? m_view->parentWidget() : nullptr;
    while (window && !qobject_cast<QMdiSubWindow *>(window))
        window = window->parentWidget();
    QWidget *area = window ? window->parentWidget() : nullptr;
    if (!area || area == m_area)
        return;
    m_area = area;
    area->installEventFilter(this);
    for (QObject *child : area->children())
        if (qobject_cast<QMdiSubWindow *>(child))
            child->installEventFilter(this);
}

bool PageLifecycle::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == m_area) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (qobject_cast<QMdiSubWindow *>(child))
                child->installEventFilter(this);
        }
        m_coverCheck.start();
        break;
    case QEvent::Show:
        if (watched == m_view)
            watchWindows();
        m_coverCheck.start();
        break;
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ZOrderChange:
    case QEvent::WindowStateChange:
    case QEvent::ChildRemoved:
        m_coverCheck.start();
        break;
    default:
        break;
    }
    return false;
}

bool PageLifecycle::viewCovered() const
{
    if (!m_view || !m_area || !m_view->isVisible())
        return false;
    QWidget *window = m_view->parentWidget();
    while (window && window->parentWidget() != m_area)
        window = window->parentWidget();
    if (!window)
        return false;
    // The area's children are in stacking order: those after the view's window lie over it.
    QList<QRect> above;
    bool over = false;
    for (QObject *child : m_area->children()) {
        auto *w = qobject_cast<QMdiSubWindow *>(child);
        if (w == window)
            over = true;
        else if (over && w && w->isVisible())
            above.append(w->geometry());
    }
    const QRect area(m_view->mapTo(m_area.data(), QPoint(0, 0)), m_view->size());
    return covered(area, m_area->rect(), above);
}

void PageLifecycle::applyCovering()
{
    // The engine follows the view's own show and hide; covered, the page is hidden
    // like a tab behind another, and shown again as soon as any of it can be seen.
    const bool shown = m_view && m_view->isVisible() && !viewCovered();
    if (m_page->isVisible() != shown)
        m_page->setVisible(shown);
}
