// The per-site file's text through SiteSettings::parse and format, with no file: fast
// enough to try many inputs a second. Whatever parse accepts must come back the same
// from the text format makes of it, and that text must not change on a second round.
// (fuzz_site_settings_reader keeps the file: a damaged one set aside.)
#include "Check.h"
#include "engine/SiteSettings.h"
#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto read = SiteSettings::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!read)
        return 0;
    for (auto zoom = read->zoom.cbegin(); zoom != read->zoom.cend(); ++zoom)
        if (*zoom < SiteSettings::kMinZoom || *zoom > SiteSettings::kMaxZoom)
            fuzzio::fail("a zoom outside the kept range was accepted");

    const QByteArray text = SiteSettings::format(*read);
    const auto again = SiteSettings::parse(text);
    if (!again)
        fuzzio::fail("the text written for accepted site settings does not read back");
    if (*again != *read)
        fuzzio::fail("site settings changed on a write and read");
    if (SiteSettings::format(*again) != text)
        fuzzio::fail("the site settings text changed on a second write");
    return 0;
}
