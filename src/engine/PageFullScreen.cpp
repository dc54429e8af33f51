#include "engine/PageFullScreen.h"
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

PageFullScreen::PageFullScreen(QWebEngineView *pageView, const QString &site, QWidget *parent)
    : QWidget(parent, Qt::Window), m_view(new QWebEngineView(this)), m_pageView(pageView)
{
    setObjectName(QStringLiteral("pageFullScreen"));
    setWindowTitle(QStringLiteral("%1 - Full Screen - Velloran").arg(site));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    auto *leave = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    leave->setContext(Qt::WindowShortcut);
    connect(leave, &QShortcut::activated, this, [this] { m_view->triggerPageAction(QWebEnginePage::ExitFullScreen); });

    // Says once how to leave, then gets out of the way.
    auto *hint = new QLabel(QStringLiteral("%1 is full screen. Press Esc to leave.").arg(site), this);
    hint->setStyleSheet(QStringLiteral("background: rgba(20,20,20,220); color: white; padding: 10px 16px; border-radius: 6px;"));
    hint->adjustSize();
    QTimer::singleShot(4000, hint, &QWidget::hide);

    m_view->setPage(pageView->page());
    if (QScreen *screen = pageView->screen()) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    hint->move((geometry().width() - hint->width()) / 2, 40);
    showFullScreen();
    hint->raise();
    activateWindow();
    m_view->setFocus();
}

PageFullScreen::~PageFullScreen()
{
    if (!m_pageView)
        return;
    const bool hadFocus = isActiveWindow();
    m_pageView->setPage(m_view->page());
    if (hadFocus) {
        m_pageView->window()->activateWindow();
        m_pageView->setFocus();
    }
}
