#pragma once
#include <QWidget>

class AppContext;
class BrowserControl;

// One Top 8 page over the whole screen, outside the main window.
class frmHTMLBrowserFullScreen : public QWidget
{
    Q_OBJECT
public:
    explicit frmHTMLBrowserFullScreen(AppContext &ctx);
    ~frmHTMLBrowserFullScreen() override;

    BrowserControl *WebBrowser1 = nullptr;
    void ReturnToMainWindow();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    AppContext &m_ctx;
    bool ReturningToMainWindow = false;
};
