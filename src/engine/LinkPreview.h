#pragma once
#include <QLabel>

class QWebEnginePage;
class QWebEngineView;

// Where the link under the pointer leads, in a small box at the page's bottom-left
// corner while the pointer rests on the link, as browsers show it. It takes no clicks.
class LinkPreview : public QLabel
{
    Q_OBJECT
public:
    LinkPreview(QWebEngineView *view, QWebEnginePage *page, QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLink(const QString &url);
    void place();

    QWebEngineView *m_view;
    QString m_address;
};
