// Feeds arbitrary bytes to the URL data file reader the way the program reads the
// file: records until the end, a RuntimeError ending the read. The records read are
// written back with UrlDataWriter (the whole-or-nothing replace of the file) and
// must read back the same. (fuzz_url_data_parse tries the same reader far faster in
// memory; this one keeps the file path and the write.)
#include "InputFile.h"
#include "UrlRecordCheck.h"
#include "core/RuntimeError.h"
#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzio::write("velloran.dat", data, size);
    QList<UrlRecord> records;
    try {
        UrlDataReader file(path);
        while (!file.atEnd()) {
            records.append(file.read());
            // Each record takes at least one byte, so more records than bytes means a
            // reader that stopped moving.
            if (size_t(records.size()) > size)
                fuzzio::fail("more records than bytes");
        }
    } catch (const RuntimeError &e) {
        if (e.number() != 62 && e.number() != 13 && e.number() != 6)
            fuzzio::fail("the reader raised an error other than 62, 13 or 6");
    }
    if (records.isEmpty())
        return 0;

    // Written over the file just read, as Set Up does.
    try {
        UrlDataWriter out(path);
        for (const UrlRecord &r : records) {
            (void)fuzzio::writtenLine(r);
            out.write(r);
        }
        out.commit();
    } catch (const RuntimeError &) {
        fuzzio::fail("the records read could not be written");
    }
    try {
        UrlDataReader back(path);
        for (const UrlRecord &r : records) {
            if (back.atEnd())
                fuzzio::fail("records went missing on a write and read");
            if (!fuzzio::readsBackAs(back.read(), r))
                fuzzio::fail("a record changed on a write and read");
        }
        if (!back.atEnd())
            fuzzio::fail("records were added on a write and read");
    } catch (const RuntimeError &) {
        fuzzio::fail("the records written do not read back");
    }
    return 0;
}
