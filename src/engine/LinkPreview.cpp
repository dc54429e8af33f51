#include "engine/LinkPreview.h"
#include <QEvent>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

LinkPreview::LinkPreview(QWebEngineView *view, QWebEnginePage *page, QWidget *parent)
    : QLabel(parent), m_view(view)
{
    setObjectName(QStringLiteral("linkPreview"));
    setAccessibleName(QStringLiteral("Link address"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setTextFormat(Qt::PlainText);
    setMargin(2);
    hide();
    connect(page, &QWebEnginePage::linkHovered, this, &LinkPreview::showLink);
    m_view->installEventFilter(this);
}

void LinkPreview::showLink(const QString &url)
{
    // As the address would be typed: host names in their own letters, spaces shown.
    m_address = url.isEmpty() ? QString() : QUrl(url).toDisplayString();
    if (m_address.isEmpty()) {
        hide();
        return;
    }
    place();
    show();
    raise();
}

void LinkPreview::place()
{
    // At most two thirds of the page's width; a long address loses its middle.
    const QRect page = m_view->geometry();
    const int chrome = 2 * (margin() + frameWidth());
    const int room = std::max(0, page.width() * 2 / 3 - chrome);
    setText(fontMetrics().elidedText(m_address, Qt::ElideMiddle, room));
    resize(std::min(sizeHint().width(), room + chrome), sizeHint().height());
    move(page.left(), page.bottom() + 1 - height());
}

bool LinkPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && isVisible() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    if (watched == m_view && event->type() == QEvent::Hide)
        hide();
    return QLabel::eventFilter(watched, event);
}
