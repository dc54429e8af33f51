#include "engine/PopupWindow.h"
#include "engine/CertificateNotice.h"
#include "engine/LinkPreview.h"
#include "engine/PageDialogs.h"
#include "engine/PagePrint.h"
#include "engine/PageZoom.h"
#include "engine/PermissionBar.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include <QVBoxLayout>
#include <QWebEngineView>

PopupWindow::PopupWindow(WebSession &session, QWidget *opener, const QRect &requested)
    : QWidget(opener, Qt::Window), m_view(new QWebEngineView(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("popupWindow"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_page = new WebPage(session, m_view);
    m_page->setPopup(true);
    m_view->setPage(m_page);
    new CertificateNotice(m_view, m_page, this);
    new LinkPreview(m_view, m_page, this);
    new PermissionBar(m_view, m_page, this);
    // The site's kept zoom, as in the person's own windows.
    new PageZoom(session, m_page, this, m_view);
    PagePrint::followPageRequests(m_view);
    setWindowTitle(QStringLiteral("Pop-up - Velloran"));
    // A small window where the page asked for one, else a modest default.
    const QSize size = requested.width() > 100 && requested.height() > 100 ? requested.size().boundedTo(QSize(1200, 900))
                                                                           : QSize(520, 640);
    resize(size);
    if (opener && opener->window())
        move(opener->window()->geometry().center() - QPoint(size.width() / 2, size.height() / 2));
    // The page chooses its title, not the site it names: the host always comes first.
    const auto name = [this] {
        const QString site = m_page->siteName();
        const QString title = m_page->title().left(120);
        const bool same = title.isEmpty() || title == site || title == m_page->url().toString();
        setWindowTitle((same ? site : site + QStringLiteral(" \u2013 ") + title) + QStringLiteral(" - Velloran"));
    };
    connect(m_page, &QWebEnginePage::titleChanged, this, name);
    connect(m_page, &QWebEnginePage::urlChanged, this, name);
    auto *messages = new PageMessageBar(m_view, this);
    connect(m_page, &WebPage::pageSays, messages, &PageMessageBar::add);
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(m_page, &WebPage::wantsFront, this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
}
