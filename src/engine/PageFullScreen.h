#pragma once
#include <QPointer>
#include <QWidget>

class QWebEngineView;

// A page's own full screen (a video's or a dashboard's button): the page moves into a
// window over the whole screen of its view, Esc asks it to leave, and when this window
// goes the page is back in its own view, where it was.
class PageFullScreen : public QWidget
{
    Q_OBJECT
public:
    PageFullScreen(QWebEngineView *pageView, const QString &site, QWidget *parent);
    ~PageFullScreen() override;

private:
    QWebEngineView *m_view;
    QPointer<QWebEngineView> m_pageView;
};
