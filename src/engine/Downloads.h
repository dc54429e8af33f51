#pragma once
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QWebEngineDownloadRequest;
class WebPage;

namespace Downloads {

// A download a page started: saved at once in the person's downloads folder under a
// name no other file has, with a window to follow it, rename it or cancel it.
void start(QWebEngineDownloadRequest *download);

// The offered name without control or direction characters, path separators or
// leading dots; "download" when nothing is left.
QString safeName(const QString &offered);
// `name` in `folder`, numbered ("name (1).ext") past files that exist or are being saved.
QString uniquePath(const QString &folder, const QString &name);

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
    void chooseName();
    void rename();

    QWebEngineDownloadRequest *m_download;
    QPointer<WebPage> m_page;
    QString m_name;
    QString m_site;
    QString m_path;     // where the file is
    QString m_wanted;   // the name the person chose, given once the file is complete
    QLabel *m_text;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QPushButton *m_rename;
    QPushButton *m_folder;
    QPushButton *m_close;
    int m_lastPercent = -1;
};
