#pragma once
#include <QObject>

class QWebEnginePage;
class QWidget;
class WebSession;

// The page's zoom: Ctrl+Plus, Ctrl+Minus, Ctrl+0 on `host`, Ctrl+wheel over `view`;
// kept per site (host) across runs, and applied whenever the page shows a site.
class PageZoom : public QObject
{
    Q_OBJECT
public:
    PageZoom(WebSession &session, QWebEnginePage *page, QWidget *host, QWidget *view);

    int percent() const;
    void setPercent(int percent);
    void zoomIn();
    void zoomOut();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applySiteZoom();

    WebSession &m_session;
    QWebEnginePage *m_page;
    QWidget *m_view;
};
