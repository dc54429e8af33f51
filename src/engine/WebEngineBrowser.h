#pragma once
#include "engine/BrowserControl.h"
#include <QPointer>

class PageFullScreen;
class PageLifecycle;
class PageZoom;
class QTimer;
class QWebEngineView;
class WebPage;
class WebSession;

// The real browser control: a QWebEngineView on the program's persistent profile.
// Only this file's implementation and src/engine/ include the web engine's headers.
class WebEngineBrowser : public BrowserControl
{
    Q_OBJECT
public:
    WebEngineBrowser(WebSession &session, QWidget *parent = nullptr);
    ~WebEngineBrowser() override;

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void AutoRefresh() override;
    void Stop() override;
    QString LocationURL() const override;
    QString LocationName() const override;
    void Cut() override;
    void Copy() override;
    void Paste() override;
    void SelectAll() override;
    void Find(const QString &text, bool backward) override;
    void Print() override;
    void focusPage() override;
    void queryUserEdits(std::function<void(bool editing)> answer) override;
    void pageText(std::function<void(const QString &text)> answer) override;
    void allowDiscarding(int minuteMs, std::function<bool()> allowed) override;
    bool mayLeave() override;

    QWebEngineView *view() const { return m_view; }
    WebPage *page() const { return m_page; }
    // How long after the person's click or key the page may write to the clipboard.
    static constexpr int kClipboardMs = 1500;

    // Page zoom in percent for the current site; kept per site across runs.
    int zoomPercent() const;
    void setZoomPercent(int percent);
    void zoomIn();
    void zoomOut();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installEditWatcher();
    void watchEditsOutOfSight();
    void allowClipboardWrites();
    void connectLoadEvents();
    void connectPageRequests();
    void addBrowserKeys();
    void reportHistoryState();
    void personNavigates();

    WebSession &m_session;
    QWebEngineView *m_view;
    WebPage *m_page;
    PageZoom *m_zoom;
    PageLifecycle *m_lifecycle;
    QPointer<PageFullScreen> m_fullScreen;
    bool m_loading = false;
    bool m_requested = false;    // Navigate, GoBack or GoForward called; its load not started yet
    quint64 m_loads = 0;         // loads started, to drop a text read that a newer load overtook
    bool m_addressHeld = false;  // its new address not reported yet
    bool m_holdsEdits = false;
    QTimer *m_clipboardWindow = nullptr;   // asked each time the page goes out of sight
};
