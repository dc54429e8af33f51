#pragma once
#include <QRect>
#include <QWidget>

class QWebEngineView;
class WebPage;
class WebSession;

// A window a page opened by script (sign-in, payment): a page of its own that keeps
// its link to the page that opened it, and closes when the page closes it.
class PopupWindow : public QWidget
{
    Q_OBJECT
public:
    PopupWindow(WebSession &session, QWidget *opener, const QRect &requested);

    WebPage *page() const { return m_page; }

private:
    QWebEngineView *m_view;
    WebPage *m_page;
};
