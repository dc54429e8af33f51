#include "TestProgram.h"
#include "FakeBrowser.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "fullscreen/frmHTMLBrowserFullScreen.h"
#include "mainwindow/MDIForm1.h"
#include "platform/PanelBar.h"
#include <QMenu>
#include <QToolButton>
#include <QCoreApplication>

Top8 &Top8::slot(int n, const QString &url, bool autoload, const QString &alias)
{
    m_rows[n - 1] = UrlRecord{int16_t(n), url, int16_t(autoload ? -1 : 0), alias};
    return *this;
}

QByteArray Top8::bytes() const
{
    QByteArray out;
    for (int s = 1; s <= 8; ++s) {
        UrlRecord r = m_rows[s - 1];
        r.slot = int16_t(s);
        out += UrlDataWriter::line(r);
    }
    return out;
}

QByteArray Top8::line(int n, const QString &url, bool autoload, const QString &alias)
{
    return UrlDataWriter::line(UrlRecord{int16_t(n), url, int16_t(autoload ? -1 : 0), alias});
}

void TestProgram::writeFiles(const QByteArray &dat, const QByteArray &ini)
{
    if (!ini.isNull())
        d.writeFile(QStringLiteral("velloran.ini"), ini);
    if (!dat.isNull())
        d.writeFile(QStringLiteral("velloran.dat"), dat);
}

void TestProgram::start(const QByteArray &dat, const QByteArray &ini)
{
    writeFiles(dat, ini);
    host = new frmRightClick(*d.ctx);
    host->Form_Load();
}

void TestProgram::startMainWindow(const QByteArray &dat, const QByteArray &ini)
{
    writeFiles(dat, ini);
    m_main = new MDIForm1(*d.ctx);
    m_main->show();
    m_main->Form_Load();
}

MDIForm1 *TestProgram::main() const { return host ? host->mainWindow() : m_main; }
SharedState &TestProgram::state() const { return d.ctx->state; }
QList<BrowserWindowBase *> TestProgram::windows() const { return main()->childWindows(); }
BrowserWindowBase *TestProgram::window(int slot) const
{
    return qobject_cast<BrowserWindowBase *>(d.ctx->windows.findByTag(QString::number(slot)));
}
FakeBrowser *TestProgram::page(BrowserWindowBase *w) { return qobject_cast<FakeBrowser *>(w->WebBrowser1); }
frmHTMLBrowserFullScreen *TestProgram::fullScreen() const { return main() ? main()->fullScreenWindow() : nullptr; }
FakeBrowser *TestProgram::fullScreenPage() const { return qobject_cast<FakeBrowser *>(fullScreen()->WebBrowser1); }
QString TestProgram::status() const { return Frame::status(main())->text(1); }

TestProgram::~TestProgram()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete fullScreen();
    delete main();
    delete host;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {
template<typename T>
T *frameChild(const MDIForm1 *frame, const QString &name)
{
    T *w = frame ? frame->findChild<T *>(name) : nullptr;
    if (!w)
        qFatal("the main window has no %s", qPrintable(name));
    return w;
}
} // namespace

QAction *Frame::item(const MDIForm1 *frame, const char *name) { return frameChild<QAction>(frame, QLatin1String(name)); }
QMenu *Frame::menu(const MDIForm1 *frame, const char *name) { return frameChild<QMenu>(frame, QLatin1String(name)); }
QAction *Frame::urlItem(const MDIForm1 *frame, int index) { return frameChild<QAction>(frame, QStringLiteral("mnuURLs%1").arg(index)); }
PanelBar *Frame::tabs(const MDIForm1 *frame) { return frameChild<PanelBar>(frame, QStringLiteral("StatusBarTabs")); }
PanelBar *Frame::status(const MDIForm1 *frame) { return frameChild<PanelBar>(frame, QStringLiteral("StatusBar1")); }
QToolButton *Frame::closeBox(const MDIForm1 *frame) { return frameChild<QToolButton>(frame, QStringLiteral("cmdCloseTab")); }
