// Feeds arbitrary bytes to the per-site settings file. Reading must never fail hard:
// a damaged file is set aside and start-up goes on with no choices. A choice made
// next is saved (the whole-or-nothing replace of the file) and read back with what
// the file held. (fuzz_site_settings_parse tries parse and format far faster in
// memory; this one keeps what only a file does.)
#include "InputFile.h"
#include "engine/SiteSettings.h"
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto read = SiteSettings::parse(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (read) {
        const auto again = SiteSettings::parse(SiteSettings::format(*read));
        if (!again || *again != *read)
            fuzzio::fail("site settings changed on a write and read");
    }
    // The same bytes as the file in a data folder: the reader keeps or sets it aside.
    const QString path = fuzzio::write("velloran-sites.txt", data, size);
    const QString folder = path.section(QLatin1Char('/'), 0, -2);
    SiteSettings sites(folder);
    if (!read && QFile::exists(path) && size > 0)
        fuzzio::fail("a damaged site settings file was not set aside");
    (void)sites.zoom(QStringLiteral("127.0.0.1"));
    (void)sites.permission(QStringLiteral("http://127.0.0.1"), SiteSettings::Permission::Notifications);

    // The next choice writes the file: over the one read, or anew after a damaged one.
    const QString host = QStringLiteral("zoomed.fuzz.invalid");
    if (!sites.setZoom(host, 150))
        fuzzio::fail("a zoom could not be saved");
    SiteSettings::Data expected = read ? *read : SiteSettings::Data();
    expected.zoom.insert(host, 150);
    SiteSettings again(folder);
    if (again.zoom(host) != 150 || again.permissionOrigins() != expected.permissions.keys())
        fuzzio::fail("site settings changed on a save and read");
    for (auto zoom = expected.zoom.cbegin(); zoom != expected.zoom.cend(); ++zoom)
        if (again.zoom(zoom.key()) != *zoom)
            fuzzio::fail("a zoom changed on a save and read");
    for (auto site = expected.permissions.cbegin(); site != expected.permissions.cend(); ++site)
        if (again.permissions(site.key()) != *site)
            fuzzio::fail("a kept answer changed on a save and read");
    return 0;
}
