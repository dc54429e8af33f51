#include "browser/PageKeeper.h"
#include "engine/BrowserControl.h"
#include "platform/AppContext.h"
#include <QDateTime>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QUrl>

PageKeeper::PageKeeper(AppContext &ctx, BrowserControl *browser, QWidget *noticeParent, std::function<QString()> caption)
    : QObject(browser), m_ctx(ctx), m_browser(browser), m_caption(std::move(caption))
{
    m_crashNotice = new QLabel(noticeParent);
    m_crashNotice->setObjectName(QStringLiteral("crashNotice"));
    m_crashNotice->setAlignment(Qt::AlignCenter);
    m_crashNotice->setWordWrap(true);
    m_crashNotice->setAutoFillBackground(true);
    // The tooltip colours follow the desktop's palette, light or dark, and stand out from pages.
    m_crashNotice->setBackgroundRole(QPalette::ToolTipBase);
    m_crashNotice->setForegroundRole(QPalette::ToolTipText);
    QFont f = m_crashNotice->font();
    f.setPointSize(14);
    m_crashNotice->setFont(f);
    m_crashNotice->setMargin(24);
    m_crashNotice->hide();
    connect(browser, &BrowserControl::RendererCrashed, this, &PageKeeper::onRendererCrashed);
    connect(browser, &BrowserControl::autoReloadStopped, this, [this] {
        if (!gone())
            keepForEdits();
    });
}

bool PageKeeper::gone() const
{
    return m_stopped || m_ctx.ended;
}

void PageKeeper::setNote(const QString &text)
{
    m_note = text;
    emit noteChanged(text);
}

void PageKeeper::keepForEdits()
{
    m_reloadPending = true;
    setNote(QStringLiteral(" Not reloaded: \"%1\" holds changes you have not sent.").arg(m_caption()));
}

void PageKeeper::reloadNow()
{
    m_reloadPending = false;
    m_note.clear();
    m_browser->AutoRefresh();
}

void PageKeeper::refreshSafely()
{
    QPointer<PageKeeper> self(this);
    m_browser->queryUserEdits([self](bool editing) {
        if (!self || self->gone())
            return;
        if (editing)
            return self->keepForEdits();
        const QUrl url(self->m_browser->LocationURL());
        const bool remote = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!remote || !self->m_ctx.probe) {
            self->reloadNow();
            return;
        }
        self->m_ctx.probe->probe(url, [self](bool answers) {
            if (!self || self->gone())
                return;
            if (answers) {
                self->reloadNow();
                return;
            }
            self->m_reloadPending = true;
            self->setNote(QStringLiteral(" Not refreshed: %1 is not answering; the page shown is kept.")
                              .arg(QUrl(self->m_browser->LocationURL()).host()));
        });
    });
}

void PageKeeper::pageLoaded()
{
    m_crashNotice->hide();
}

int PageKeeper::recentCrashes() const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return int(std::count_if(m_crashTimes.begin(), m_crashTimes.end(), [now](qint64 t) { return now - t < 60000; }));
}

void PageKeeper::placeNotice()
{
    m_crashNotice->setGeometry(m_browser->geometry());
}

// A page whose renderer died heals itself: a notice, then a reload a moment later;
// a page that keeps dying is left for the person after the third time in a minute.
void PageKeeper::onRendererCrashed()
{
    if (gone())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_crashTimes.removeIf([now](qint64 t) { return now - t >= 60000; });
    placeNotice();
    m_crashNotice->show();
    m_crashNotice->raise();
    if (m_crashTimes.size() >= 3) {
        m_crashNotice->setText(QStringLiteral("This page keeps stopping.\nPress Refresh to try again."));
        emit noteChanged(QStringLiteral(" \"%1\" stopped working again; press Refresh to reload it.").arg(m_caption()));
        return;
    }
    m_crashTimes.append(now);
    m_crashNotice->setText(QStringLiteral("This page stopped working.\nVelloran is reloading it..."));
    emit noteChanged(QStringLiteral(" \"%1\" stopped working; reloading it.").arg(m_caption()));
    QPointer<PageKeeper> self(this);
    QTimer::singleShot(1500, this, [self] {
        if (self && !self->gone())
            self->m_browser->AutoRefresh();
    });
}
