#pragma once
// Checks shared by the URL data file targets: a record the writer puts on a line must
// read back as itself.
#include "Check.h"
#include "core/UrlDataFile.h"
#include <QByteArray>

namespace fuzzio {

// What a record reads back as: the writer keeps double quotes out of the file. Most
// fields hold none, and are compared as they are rather than through an encoded copy.
inline bool readsBackAs(const UrlRecord &again, const UrlRecord &r)
{
    const QChar quote(u'"');
    return again.slot == r.slot && again.autoload == r.autoload
           && again.url == (r.url.contains(quote) ? UrlDataWriter::encodeUrl(r.url) : r.url)
           && again.alias == (r.alias.contains(quote) ? UrlDataWriter::encodeAlias(r.alias) : r.alias);
}

// The writer's line for a record, which must be exactly one line.
inline QByteArray writtenLine(const UrlRecord &r)
{
    const QByteArray line = UrlDataWriter::line(r);
    if (!line.endsWith("\r\n") || line.indexOf('\n') != line.size() - 1 || line.indexOf('\r') != line.size() - 2)
        fail("a written record is not exactly one line");
    return line;
}

} // namespace fuzzio
