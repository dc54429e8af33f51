// Feeds arbitrary bytes to the Favorites window's shortcut reader as a .url file.
// The reader is static, so no window (and no application object) is needed.
#include "InputFile.h"
#include "favorites/frmListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzio::write("shortcut.url", data, size);
    const QString address = frmListFiles::fnOpenFavorite(path);
    // The address comes from one line, and a blank one counts as no address.
    if (address.contains(QLatin1Char('\n')))
        fuzzio::fail("the address spans lines");
    if (!address.isEmpty() && address.trimmed().isEmpty())
        fuzzio::fail("a blank address was returned");
    return 0;
}
