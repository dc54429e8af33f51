// Feeds arbitrary bytes to the URL data file reader the way the program reads the
// file: records until the end, a RuntimeError ending the read. Every record read
// must come back the same from the line the writer makes of it.
#include "InputFile.h"
#include "core/RuntimeError.h"
#include "core/TextFields.h"
#include "core/UrlDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzio::write("velloran.dat", data, size);
    try {
        UrlDataReader file(path);
        // Each record takes at least one byte, so more records than bytes means a
        // reader that stopped moving.
        size_t records = 0;
        while (!file.atEnd()) {
            const UrlRecord r = file.read();
            if (++records > size)
                fuzzio::fail("more records than bytes");

            const QByteArray line = UrlDataWriter::line(r);
            if (!line.endsWith("\r\n") || line.indexOf('\n') != line.size() - 1)
                fuzzio::fail("a written record is not exactly one line");
            FieldReader back(line);
            UrlRecord again;
            again.slot = back.readInteger();
            again.url = back.readString();
            again.autoload = back.readInteger();
            again.alias = back.readString();
            if (!back.atEnd())
                fuzzio::fail("a written record leaves fields behind");
            if (again.slot != r.slot || again.autoload != r.autoload
                || again.url != UrlDataWriter::encodeUrl(r.url) || again.alias != UrlDataWriter::encodeAlias(r.alias))
                fuzzio::fail("a record changed on a write and read");
        }
    } catch (const RuntimeError &e) {
        if (e.number() != 62 && e.number() != 13 && e.number() != 6)
            fuzzio::fail("the reader raised an error other than 62, 13 or 6");
    }
    return 0;
}
