// The settings reader over the bytes themselves, with no file: fast enough to try
// many inputs a second. Whatever it accepts must survive a write and a second read
// unchanged, and the line written for it must be the same the second time.
// (fuzz_settings_reader keeps the file path.)
#include "Check.h"
#include "core/IniFile.h"
#include "core/SharedState.h"
#include <QByteArray>
#include <cstdint>

static bool sameSettings(const SharedState &a, const SharedState &b)
{
    return a.RefreshOnActive == b.RefreshOnActive && a.RefreshEvery == b.RefreshEvery
           && a.RefreshMinutes == b.RefreshMinutes && a.TileLayout == b.TileLayout
           && a.CascadeLayout == b.CascadeLayout && a.TabbedLayout == b.TabbedLayout;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy, ended by a NUL as the bytes read from a file are.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SharedState s;
    if (!ReadSettingsFromBytes(s, bytes))
        return 0;

    const QByteArray line = settingsLine(s);
    SharedState t;
    if (!ReadSettingsFromBytes(t, line))
        fuzzio::fail("the settings line written for accepted settings does not read back");
    if (!sameSettings(s, t))
        fuzzio::fail("settings changed on a write and read");
    if (settingsLine(t) != line)
        fuzzio::fail("the settings line changed on a second write");
    return 0;
}
