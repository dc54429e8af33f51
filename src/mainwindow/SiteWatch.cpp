#include "mainwindow/SiteWatch.h"
#include "browser/BrowserWindowBase.h"
#include "engine/BrowserControl.h"
#include "engine/SiteSettings.h"
#include "platform/AppContext.h"
#include <QApplication>
#include <QCryptographicHash>
#include <QEvent>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

struct SiteWatch::Watched
{
    QPointer<BrowserWindowBase> window;
    SiteOptions options;
    qint64 lastInput = std::numeric_limits<qint64>::min() / 2;
    bool changed = false;
    int badge = 0;
    bool seenKnown = false;
    QByteArray seen;       // what the person last saw, as compared
    QString lastText;      // the text the page showed at its last load
    bool textSeen = false; // the watched text was there at the last load
    bool textNotified = false; // said once until the person looks, however often it comes back
};

namespace {

QByteArray digest(const QString &text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1);
}

// Catches the person's keys and mouse anywhere in a slot's window, the page's own
// drawing widgets included (they are children the window does not see events of).
class InputWatch : public QObject
{
public:
    std::function<void(QWidget *)> used;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
            if (o->isWidgetType() && used)
                used(static_cast<QWidget *>(o));
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

SiteWatch::SiteWatch(AppContext &ctx, QObject *parent)
    : QObject(parent), m_ctx(ctx), m_schedule(ctx.clockMs, ctx.localTime, ctx.spreadMaxMs), m_poll(new QTimer(this))
{
    // A second at most between looks, shorter with a shortened minute.
    m_poll->setInterval(std::clamp(ctx.minuteMs / 60, 50, 1000));
    connect(m_poll, &QTimer::timeout, this, &SiteWatch::poll);
    m_poll->start();
    m_soon = new QTimer(this);
    m_soon->setSingleShot(true);
    m_soon->setTimerType(Qt::PreciseTimer);
    connect(m_soon, &QTimer::timeout, this, &SiteWatch::poll);
    auto *input = new InputWatch;
    input->setParent(this);
    input->used = [this](QWidget *w) {
        for (QWidget *p = w; p; p = p->parentWidget())
            if (auto *b = qobject_cast<BrowserWindowBase *>(p)) {
                if (Watched *s = find(b->slot()); s && s->window == b)
                    s->lastInput = m_ctx.clockMs();
                return;
            }
    };
    qApp->installEventFilter(input);
}

SiteWatch::~SiteWatch() = default;

SiteWatch::Watched *SiteWatch::find(int slot) const
{
    return m_slots.value(slot).get();
}

BrowserWindowBase *SiteWatch::windowOf(int slot) const
{
    Watched *s = find(slot);
    return s ? s->window.data() : nullptr;
}

qint64 SiteWatch::intervalMs(const SiteOptions &o) const
{
    return qint64(o.intervalSeconds) * m_ctx.minuteMs / 60;
}

void SiteWatch::watch(BrowserWindowBase *window)
{
    const int slot = window->slot();
    auto s = std::make_shared<Watched>();
    s->window = window;
    m_slots.insert(slot, s);
    optionsChanged(slot);
    connect(window, &BrowserWindowBase::pageLoaded, this, [this, slot, window] {
        if (windowOf(slot) == window)
            pageLoaded(slot);
    });
    connect(window->WebBrowser1, &BrowserControl::titleChanged, this, [this, slot, window](const QString &title) {
        if (windowOf(slot) == window)
            setBadge(slot, title);
    });
    connect(window, &QObject::destroyed, this, [this, slot, s = s.get()] {
        if (find(slot) == s)
            forget(slot);
    });
}

void SiteWatch::forget(int slot)
{
    const bool marked = changed(slot) || badge(slot);
    m_slots.remove(slot);
    m_schedule.removeSlot(slot);
    if (marked)
        emit marksChanged();
}

SiteOptions SiteWatch::options(int slot) const
{
    Watched *s = find(slot);
    return s ? s->options : SiteOptions();
}

void SiteWatch::optionsChanged(int slot)
{
    Watched *s = find(slot);
    if (!s || !s->window)
        return;
    const SiteOptions before = s->options;
    s->options = m_ctx.sites ? m_ctx.sites->options(s->window->HomeURL) : SiteOptions();
    m_schedule.setSlot(slot, intervalMs(s->options), s->options.hours);
    // Compared another way from now on: what the person saw is taken afresh.
    if (before.ignoreNumbers != s->options.ignoreNumbers && s->seenKnown)
        s->seen = digest(comparable(s->lastText, s->options.ignoreNumbers));
}

void SiteWatch::commonTurn()
{
    m_schedule.commonTurn(qint64(m_ctx.state.RefreshMinutes) * m_ctx.minuteMs);
    poll();
}

bool SiteWatch::inUse(int slot) const
{
    Watched *s = find(slot);
    if (!s || !s->window || !s->window->isFront() || !s->window->window()->isVisible())
        return false;
    return m_ctx.clockMs() - s->lastInput < qint64(kInUseMs) * m_ctx.minuteMs / 60000;
}

void SiteWatch::poll()
{
    for (int slot : m_schedule.take()) {
        Watched *s = find(slot);
        if (!s || !s->window)
            continue;
        if (s->options.notWhileUsed && inUse(slot)) {
            // Asked again once the person has left it alone long enough.
            const qint64 quiet = qint64(kInUseMs) * m_ctx.minuteMs / 60000;
            m_schedule.retry(slot, quiet - (m_ctx.clockMs() - s->lastInput));
            continue;
        }
        s->window->refreshSafely();
    }
    const qint64 next = m_schedule.nextStartIn();
    if (next >= 0 && next < m_poll->interval())
        m_soon->start(int(next));
}

bool SiteWatch::isDue(int slot) const
{
    return m_schedule.isDue(slot);
}

bool SiteWatch::insideHours(int slot) const
{
    return m_schedule.insideHours(slot);
}

QDateTime SiteWatch::hoursResume(int slot) const
{
    return m_schedule.hoursResume(slot);
}

void SiteWatch::refreshIfDue(int slot)
{
    if (BrowserWindowBase *w = windowOf(slot); w && isDue(slot) && insideHours(slot)) {
        m_schedule.retry(slot, 0);
        const QList<int> now = m_schedule.take();
        if (now.contains(slot))
            w->refreshSafely();
        for (int other : now)
            if (other != slot)
                m_schedule.retry(other, 0);
    }
}

QString SiteWatch::scheduleNote(int slot) const
{
    Watched *s = find(slot);
    if (!s || !s->options.hours.limited() || insideHours(slot))
        return {};
    return QStringLiteral("Not reloaded outside its hours (%1); next at %2")
        .arg(s->options.hours.readable(), QLocale(QLocale::English).toString(hoursResume(slot), QStringLiteral("ddd HH:mm")));
}

bool SiteWatch::lookedAt(int slot) const
{
    BrowserWindowBase *w = windowOf(slot);
    if (!w || !w->isFront())
        return false;
    QWidget *frame = w->window();
    return frame->isVisible() && !frame->isMinimized() && frame->isActiveWindow();
}

void SiteWatch::pageLoaded(int slot)
{
    Watched *s = find(slot);
    if (!s)
        return;
    m_schedule.loaded(slot);
    setBadge(slot, s->window->WebBrowser1->LocationName());
    QPointer<SiteWatch> self(this);
    s->window->WebBrowser1->pageText([self, slot](const QString &text) {
        if (self)
            self->compare(slot, text);
    });
}

void SiteWatch::compare(int slot, const QString &text)
{
    Watched *s = find(slot);
    if (!s)
        return;
    s->lastText = text;
    const QByteArray now = digest(comparable(text, s->options.ignoreNumbers));
    const QString name = s->window ? s->window->caption() : QString();
    const QString &watched = s->options.watchedText;
    const bool textThere = !watched.isEmpty() && text.contains(watched, Qt::CaseInsensitive);
    if (textThere && !s->textSeen && !std::exchange(s->textNotified, true) && m_ctx.notify)
        m_ctx.notify(QStringLiteral("\"%1\" appeared").arg(watched), name, [this, slot] { emit frontWanted(slot); });
    s->textSeen = textThere;
    if (!s->seenKnown || lookedAt(slot)) {
        s->seenKnown = true;
        s->seen = now;
        return;
    }
    if (now == s->seen || s->changed)
        return;
    s->changed = true;
    emit marksChanged();
    if (s->options.notifyOnChange && m_ctx.notify)
        m_ctx.notify(QStringLiteral("%1 changed").arg(name), s->window ? s->window->HomeURL : QString(),
                     [this, slot] { emit frontWanted(slot); });
}

void SiteWatch::looked(int slot)
{
    Watched *s = find(slot);
    if (!s)
        return;
    if (s->seenKnown || !s->lastText.isEmpty()) {
        s->seen = digest(comparable(s->lastText, s->options.ignoreNumbers));
        s->seenKnown = true;
    }
    s->textNotified = false;
    if (std::exchange(s->changed, false))
        emit marksChanged();
}

bool SiteWatch::changed(int slot) const
{
    Watched *s = find(slot);
    return s && s->changed;
}

int SiteWatch::changedCount() const
{
    return int(std::count_if(m_slots.begin(), m_slots.end(), [](const auto &s) { return s->changed; }));
}

int SiteWatch::badge(int slot) const
{
    Watched *s = find(slot);
    return s ? s->badge : 0;
}

void SiteWatch::setBadge(int slot, const QString &title)
{
    Watched *s = find(slot);
    const int count = titleCount(title);
    if (!s || s->badge == count)
        return;
    s->badge = count;
    emit marksChanged();
}

int SiteWatch::titleCount(const QString &title)
{
    // "(3) Inbox", "[12] Alerts", "(99+) Chat"; a title that is only a number says nothing.
    static const QRegularExpression lead(QStringLiteral("^\\s*[\\(\\[](\\d{1,6})\\+?[\\)\\]]\\s*\\S"));
    const auto m = lead.match(title);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString SiteWatch::comparable(const QString &text, bool ignoreNumbers)
{
    QString t = text;
    if (ignoreNumbers) {
        static const QRegularExpression digits(QStringLiteral("\\d"));
        t.remove(digits);
    }
    return t.simplified();
}
