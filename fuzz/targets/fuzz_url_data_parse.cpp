// The URL data file's bytes through UrlDataReader, with no file: fast enough to try
// many inputs a second. Records are read as the program reads them: until the end, an
// error (what read() throws; tryRead() returns its number, without the cost of an
// exception per input) or a slot outside 1 to 8 ending the read (the file is damaged
// from there). Every record read must come back the same from the line the writer makes of
// it. (fuzz_url_data_reader keeps the file path; the line-by-line reader of damaged
// files has fuzz_url_data_readable.)
#include "UrlRecordCheck.h"
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy, ended by a NUL as the bytes read from a file are.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    UrlDataReader file = UrlDataReader::fromBytes(bytes);
    // Each record takes at least one byte, so more records than bytes means a reader
    // that stopped moving.
    size_t records = 0;
    while (!file.atEnd()) {
        UrlRecord r;
        if (const int error = file.tryRead(&r)) {
            if (error != 62 && error != 13 && error != 6)
                fuzzio::fail("the reader raised an error other than 62, 13 or 6");
            break;
        }
        if (++records > size)
            fuzzio::fail("more records than bytes");
        if (r.slot < 1 || r.slot > 8)
            break;

        UrlDataReader back = UrlDataReader::fromBytes(fuzzio::writtenLine(r));
        UrlRecord again;
        if (back.tryRead(&again))
            fuzzio::fail("a written record does not read back");
        if (!back.atEnd())
            fuzzio::fail("a written record leaves fields behind");
        if (!fuzzio::readsBackAs(again, r))
            fuzzio::fail("a record changed on a write and read");
    }
    return 0;
}
