// Feeds arbitrary bytes to the per-site settings file. Reading must never fail hard:
// a damaged file is set aside and start-up goes on with no choices; whatever it
// accepts must survive a write and a second read unchanged.
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
    return 0;
}
