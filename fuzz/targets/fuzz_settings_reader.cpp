// Feeds arbitrary bytes to the settings reader as the settings file. Whatever it
// accepts must survive a write and a second read unchanged.
#include "InputFile.h"
#include "core/IniFile.h"
#include "core/SharedState.h"

static bool sameSettings(const SharedState &a, const SharedState &b)
{
    return a.RefreshOnActive == b.RefreshOnActive && a.RefreshEvery == b.RefreshEvery
           && a.RefreshMinutes == b.RefreshMinutes && a.TileLayout == b.TileLayout
           && a.CascadeLayout == b.CascadeLayout && a.TabbedLayout == b.TabbedLayout;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzio::write("velloran.ini", data, size);
    SharedState s;
    if (!ReadSettings(s, path))
        return 0;

    const QByteArray line = settingsLine(s);
    const QString again = fuzzio::write("again.ini", reinterpret_cast<const uint8_t *>(line.constData()),
                                        size_t(line.size()));
    SharedState t;
    if (!ReadSettings(t, again))
        fuzzio::fail("the settings line written for accepted settings does not read back");
    if (!sameSettings(s, t))
        fuzzio::fail("settings changed on a write and read");
    return 0;
}
