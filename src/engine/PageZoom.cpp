#include "engine/PageZoom.h"
#include "engine/WebSession.h"
#include <QApplication>
#include <QShortcut>
#include <QWidget>
#include <QWebEnginePage>
#include <QWheelEvent>
#include <algorithm>
#include <iterator>

namespace {

constexpr int kZoomSteps[] = {25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500};

} // namespace

PageZoom::PageZoom(WebSession &session, QWebEnginePage *page, QWidget *host, QWidget *view)
    : QObject(host), m_session(session), m_page(page), m_view(view)
{
    auto shortcut = [host](const QList<QKeySequence> &keys, auto slot) {
        for (const QKeySequence &k : keys) {
            auto *s = new QShortcut(k, host, slot);
            s->setContext(Qt::WidgetWithChildrenShortcut);
        }
    };
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [this] { zoomIn(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { zoomOut(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { setPercent(100); });
    connect(page, &QWebEnginePage::urlChanged, this, &PageZoom::applySiteZoom);
    qApp->installEventFilter(this);
}

bool PageZoom::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if ((wheel->modifiers() & Qt::ControlModifier) && widget && m_view->isAncestorOf(widget)) {
            if (wheel->angleDelta().y() > 0)
                zoomIn();
            else if (wheel->angleDelta().y() < 0)
                zoomOut();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

int PageZoom::percent() const
{
    return qRound(m_page->zoomFactor() * 100);
}

void PageZoom::setPercent(int percent)
{
    percent = std::clamp(percent, SiteSettings::kMinZoom, SiteSettings::kMaxZoom);
    m_page->setZoomFactor(percent / 100.0);
    m_session.sites().setZoom(m_page->url().host(), percent);
}

void PageZoom::zoomIn()
{
    const int now = percent();
    for (int step : kZoomSteps)
        if (step > now) {
            setPercent(step);
            return;
        }
}

void PageZoom::zoomOut()
{
    const int now = percent();
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < now) {
            setPercent(*it);
            return;
        }
}

void PageZoom::applySiteZoom()
{
    const int want = m_session.sites().zoom(m_page->url().host());
    if (want != percent())
        m_page->setZoomFactor(want / 100.0);
}
