// The URL data file's bytes through readableRecordsFromBytes, the reader that saves
// what it can of a damaged file line by line, with no file. Every record it keeps has
// a slot from 1 to 8 and must come back the same from the line the writer makes of it.
#include "UrlRecordCheck.h"
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy, ended by a NUL as the bytes read from a file are.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<UrlRecord> records = readableRecordsFromBytes(bytes);
    if (records.size() > bytes.count('\n') + 1)
        fuzzio::fail("more readable records than lines");
    for (const UrlRecord &r : records) {
        if (r.slot < 1 || r.slot > 8)
            fuzzio::fail("a readable record has a slot outside 1 to 8");
        const QList<UrlRecord> again = readableRecordsFromBytes(fuzzio::writtenLine(r));
        if (again.size() != 1)
            fuzzio::fail("a written readable record does not read back as one");
        if (!fuzzio::readsBackAs(again.first(), r))
            fuzzio::fail("a readable record changed on a write and read");
    }
    return 0;
}
