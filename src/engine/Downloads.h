#pragma once
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QWebEngineDownloadRequest;
class WebPage;

namespace Downloads {

// A download a page started: the person picks where to save it (starting in their
// downloads folder), or cancels it there. Nothing is saved or dropped unasked.
void start(QWebEngineDownloadRequest *download);

} // namespace Downloads

// A small window per download: its progress while it runs (Cancel stops it), then
// plainly whether it was saved, and where, or why it failed. Closing it while the
// download runs only hides it; it comes back with the outcome. The page's window
// shows the same in its status bar.
class DownloadWindow : public QWidget
{
    Q_OBJECT
public:
    DownloadWindow(QWebEngineDownloadRequest *download, WebPage *page, QWidget *parent);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void progress();
    void finished();
    void status(const QString &text);

    QWebEngineDownloadRequest *m_download;
    QPointer<WebPage> m_page;
    QString m_name;
    QString m_site;
    QLabel *m_text;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QPushButton *m_folder;
    QPushButton *m_close;
    int m_lastPercent = -1;
};
