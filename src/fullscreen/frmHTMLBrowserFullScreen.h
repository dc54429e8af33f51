#pragma once
#include <QString>
#include <QWidget>

class AppContext;
class BrowserControl;
class FindBar;
class VToolBar;
class QComboBox;
class QLabel;
class QLineEdit;
class PageController;
class PageKeeper;

// One Top 8 page over the whole screen, outside the main window: the navigation bar
// with a picker of the open slots along the top, Minimize/Restore/Close at the
// top-right corner. Restore or F11 unloads it and brings the main window back; any
// other way of closing it ends the program.
class frmHTMLBrowserFullScreen : public QWidget
{
    Q_OBJECT
public:
    explicit frmHTMLBrowserFullScreen(AppContext &ctx);
    ~frmHTMLBrowserFullScreen() override;

    enum Button { BtnRestore = 1, BtnRefresh = 4, BtnBack = 5, BtnForward = 6, BtnStop = 7, BtnHome = 8,
                  BtnFavorites = 10, BtnHistory = 11 };
    enum CornerButton { BtnMinimize = 1, BtnCornerRestore = 2, BtnClose = 3 };

    void Form_Load();
    void Form_Activate();
    void FillTop8List();
    void LayoutFullScreen();
    void Toolbar1_ButtonClick(int index);
    void Toolbar2_ButtonClick(int index);
    void cmbTop8_Click();
    void ReturnToMainWindow();
    void MinimizeFullSCRForm();
    void ExitProgram();
    // The timer's and activation's reload: the same guards as the pages in the main window.
    void refreshSafely();
    bool reloadPending() const;
    PageKeeper *keeper() const;
    // Shows the window in front, restored if it was minimized; activation runs once.
    void showInFront();

    BrowserControl *WebBrowser1 = nullptr;
    VToolBar *Toolbar1 = nullptr;
    VToolBar *Toolbar2 = nullptr;
    QComboBox *cmbTop8 = nullptr;
    QLineEdit *txtCurrentURL = nullptr;
    QLabel *lblNote = nullptr;
    QString HomeURL;
    QString HomeCaption;
    long ClientWidth = 0;

signals:
    // Restore or F11: the window has closed and the main window is wanted back.
    void returnWanted();
    void favoritesWanted();
    // Any other way of closing it ends the program.
    void exitWanted();
    // Closed by either way; it is deleted later.
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Resize();
    void F11Pressed();
    // Runs activation unless it already ran since the window last became active.
    void activateOnce();

    // The page's events, with this window's error policies and its own steps of
    // DownloadComplete.
    void createPageController();
    void showNote(const QString &text);
    void resizePage();
    void refreshButtonOn();
    // The keys the main window's menu items hold there: find, print, a new window.
    void addPageWindowKeys();
    int pageHeight() const;

    AppContext &m_ctx;
    PageController *m_page = nullptr;
    FindBar *m_find = nullptr;
    bool ReturningToMainWindow = false;
    bool m_unloaded = false;
    bool m_activated = false;
};
