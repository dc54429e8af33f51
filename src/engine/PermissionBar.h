#pragma once
#include <QFrame>
#include <QList>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

class QLabel;
class QPushButton;
class QWebEngineView;
class WebPage;

// A bar along the top of a page asking the person, one request at a time, whether
// the site may have what it wants (notifications, location, camera, ...). It holds up
// nothing: the page and the program go on while it waits. Allow and Block are kept
// for the site; Not Now refuses this once.
class PermissionBar : public QFrame
{
    Q_OBJECT
public:
    PermissionBar(QWebEngineView *view, WebPage *page, QWidget *parent);

    // How long the buttons wait after the question changes.
    static constexpr int kSettleMs = 500;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Request
    {
        QUrl origin;
        QWebEnginePage::Feature feature;
        bool operator==(const Request &) const = default;
    };

    void answer(bool allow, bool remember);
    void showNext();
    void fit();

    QWebEngineView *m_view;
    WebPage *m_page;
    QLabel *m_text;
    QList<Request> m_waiting;
    QList<QPushButton *> m_buttons;
    QTimer m_settle;
};

// The answers kept for the page's site, each of which can be withdrawn.
void showSitePermissions(WebPage *page, QWidget *parent);
