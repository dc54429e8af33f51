// Feeds arbitrary bytes to the settings reader as the settings file. Whatever it
// accepts must survive WriteSettings (the whole-or-nothing replace of the file) and a
// second read unchanged. (fuzz_settings_parse tries the same reader far faster in
// memory; this one keeps the file path.)
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

    // Written over the file just read, as the program does.
    if (!WriteSettings(s, path))
        fuzzio::fail("accepted settings could not be written");
    SharedState t;
    if (!ReadSettings(t, path))
        fuzzio::fail("the settings written for accepted settings do not read back");
    if (!sameSettings(s, t))
        fuzzio::fail("settings changed on a write and read");
    return 0;
}
