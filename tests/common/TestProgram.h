#pragma once
#include "FakeServices.h"
#include "core/UrlDataFile.h"
#include <array>

class BrowserWindowBase;
class PanelBar;
class QAction;
class QMenu;
class QToolButton;
class FakeBrowser;
class MDIForm1;
class frmHTMLBrowserFullScreen;
class frmRightClick;
struct SharedState;

// The eight lines of a data file, written by the program's own writer. Slots not
// filled are empty and not loaded at start.
class Top8
{
public:
    Top8 &slot(int n, const QString &url, bool autoload = true, const QString &alias = {});
    QByteArray bytes() const;
    operator QByteArray() const { return bytes(); }
    // One line on its own, for a test that builds a damaged file around it.
    static QByteArray line(int n, const QString &url, bool autoload = true, const QString &alias = {});

private:
    std::array<UrlRecord, 8> m_rows;
};

// Settings lines: refresh on activate, refresh every, minutes, tile, cascade, tabbed.
namespace Ini {
inline const QByteArray Tabbed = "0,0,1,0,0,-1\r\n";
inline const QByteArray Cascade = "0,0,1,0,-1,0\r\n";
inline const QByteArray Tile = "0,0,1,-1,0,0\r\n";
} // namespace Ini

// The whole program on a fake desktop with fake pages, started from its files.
struct TestProgram
{
    FakeDesktop d;
    frmRightClick *host = nullptr;

    // Writes the files (a null array writes none) and starts the program as the
    // desktop does: the tray host first, which loads the main window.
    void start(const QByteArray &dat, const QByteArray &ini = Ini::Tabbed);
    // Starts the main window alone, shown, without the tray host.
    void startMainWindow(const QByteArray &dat, const QByteArray &ini = Ini::Tabbed);

    MDIForm1 *main() const;
    SharedState &state() const;
    QList<BrowserWindowBase *> windows() const;
    BrowserWindowBase *window(int slot) const; // the slot's window, if open
    static FakeBrowser *page(BrowserWindowBase *w);
    frmHTMLBrowserFullScreen *fullScreen() const;
    FakeBrowser *fullScreenPage() const;
    QString status() const; // the status bar's page text

    TestProgram() = default;
    TestProgram(const TestProgram &) = delete;
    ~TestProgram();

private:
    void writeFiles(const QByteArray &dat, const QByteArray &ini);
    MDIForm1 *m_main = nullptr; // only when started without the host
};

// The main window's own widgets, found by their object names as an assistive tool
// finds them (they are the window's private business). A missing name fails the test.
namespace Frame {
QAction *item(const MDIForm1 *frame, const char *name);
QMenu *menu(const MDIForm1 *frame, const char *name);
QAction *urlItem(const MDIForm1 *frame, int index); // the File menu's slot item 0..7
PanelBar *tabs(const MDIForm1 *frame);
PanelBar *status(const MDIForm1 *frame);
QToolButton *closeBox(const MDIForm1 *frame);
} // namespace Frame
