// Start-up: the settings, then the Top 8 from the data file, each record either opened
// or listed on the File menu; a data file that cannot be read leads into Set Up.
#include "mainwindow/MDIForm1.h"
#include "browser/BrowserWindowBase.h"
#include "core/IniFile.h"
#include "core/UrlDataFile.h"
#include "info/frmSplash.h"
#include "mainwindow/FrameDrawingLock.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "platform/Geometry.h"
#include "platform/ScreenBusy.h"
#include <optional>

// The next record, or error 62 for any record that cannot be one of the Top 8 (a slot
// outside 1 to 8, a field that is not a number, a stray line): the file is damaged,
// not the program.
static UrlRecord readTop8Record(UrlDataReader &file)
{
    UrlRecord r;
    try {
        r = file.read();
    } catch (const RuntimeError &) {
        throw RuntimeError::pastEndOfFile();
    }
    if (r.slot < 1 || r.slot > 8)
        throw RuntimeError::pastEndOfFile();
    return r;
}

void MDIForm1::Form_Load()
{
    auto &s = m_ctx.state;
    QPointer<frmSplash> splash;
    std::optional<ScreenBusy> busy;
    std::optional<FrameDrawingLock> lock;
    std::optional<UrlDataReader> file;
    ErrorPolicy p;
    p.custom = [&](const RuntimeError &e) {
        if (e.number() == 55 || e.number() == 384)
            return false;
        lock.reset();
        file.reset();
        busy.reset();
        startUpFailed(e, splash);
        return true;
    };
    Trap t(m_ctx, p);
    readSettings(t);
    t([&] {
        splash = new frmSplash(m_ctx);
        splash->show();
    });
    t([&] { busy.emplace(m_ctx); });
    t([&] { s.DataFilePath = m_ctx.dataFilePath(); });
    t([&] { lock.emplace(*this); });
    t([&] { file.emplace(s.DataFilePath); });
    t([&] { openStartUpSlots(*file); });
    t([&] { file.reset(); });
    t([&] { arrangeWindows(); });
    t([&] { lock.reset(); });
    t([&] { busy.reset(); });
    t([&] { delete splash; });
    t([&] {
        if (m_ctx.windows.count() == 2)
            runSetUp();
    });
}

void MDIForm1::readSettings(Trap &t)
{
    auto &s = m_ctx.state;
    t([&] {
        const QSize px = m_ctx.screen->screenSizePixels();
        s.TabTextLength = tabTextLengthFor(px.width(), px.height());
    });
    t([&] {
        if (!isMaximized())
            FitHeightToWorkArea(this, *m_ctx.screen);
    });
    t([&] {
        s.FirstRun = 0;
        s.ToolbarOn = -1;
        MinutesElapsed = 0;
    });
    t([&] {
        if (!ReadSettings(s, m_ctx.settingsPath()))
            s.applySettingsDefaults();
    });
    t([&] { s.DataFilePath = m_ctx.dataFolder; });
    t([&] { s.Slots.create(); });
}

void MDIForm1::openStartUpSlots(UrlDataReader &file)
{
    auto &s = m_ctx.state;
    while (!file.atEnd()) {
        const UrlRecord r = readTop8Record(file);
        if (r.url.isEmpty()) {
            s.Slots(r.slot).closed = -1;
            continue;
        }
        if (r.autoload != -1) {
            listSlot(r.slot, r.caption());
            continue;
        }
        // In the tabbed arrangement only the first tab is shown, below; a page that
        // was never shown needs no drawing surface, which saves memory on start.
        const bool tabbedArrangement = s.CascadeLayout != -1 && s.TileLayout != -1;
        openSlot(r, !(s.TabbedLayout == -1 && tabbedArrangement));
    }
}

// A missing or damaged data file leads into Set Up with what can still be read; any
// other error ends the program.
void MDIForm1::startUpFailed(const RuntimeError &e, QWidget *splash)
{
    auto &s = m_ctx.state;
    if (e.number() == 53 || e.number() == 62) {
        const auto all = m_ctx.windows.windows();
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (auto *b = qobject_cast<BrowserWindowBase *>(*it))
                b->unload();
        delete splash;
        // The damaged file is kept aside.
        QList<UrlRecord> salvaged;
        if (e.number() == 62) {
            salvaged = readableRecords(s.DataFilePath);
            setAsideDamagedFile(s.DataFilePath);
        }
        m_ctx.error(QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs."));
        s.FirstRun = -1;
        runSetUp(salvaged);
    } else {
        delete splash;
        m_ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                    + QStringLiteral(". Unable to start. Re-install Velloran"));
        m_ctx.endProgram(1);
    }
}
