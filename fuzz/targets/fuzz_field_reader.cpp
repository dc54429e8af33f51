// Drives the field reader directly with a fuzzed sequence of calls. The last byte
// says how many of the first bytes choose the calls; the bytes between are the text.
// A second reader over the same text reads every field as a string: how a field is
// read must not change where the next one begins.
#include "Check.h"
#include "core/TextFields.h"
#include <fuzzer/FuzzedDataProvider.h>

namespace {

enum class Outcome { Value, PastEnd, Other };

// Through the reads that return the error number: the ones that throw are a thin
// layer over these, and an exception per input would be most of the time spent.
Outcome outcome(int number)
{
    return number == 0 ? Outcome::Value : number == 62 ? Outcome::PastEnd : Outcome::Other;
}

void checkField(const QString &field)
{
    if (field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n')))
        fuzzio::fail("a field holds a line end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::vector<uint8_t> calls = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 48));
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), qsizetype(rest.size()));

    FieldReader reader(text);
    FieldReader strings(text);
    size_t fields = 0;
    // Past the chosen calls, read to the end as the file readers do.
    for (size_t i = 0;; ++i) {
        const uint8_t call = i < calls.size() ? calls[i] % 4 : 1;
        if (reader.atEnd() != strings.atEnd())
            fuzzio::fail("two readers over the same text disagree about the end");
        if (call == 0) {
            (void)reader.atEnd();
            continue;
        }
        if (i >= calls.size() && reader.atEnd())
            break;
        int number = 0;
        QString field;
        int16_t value = 0;
        if (call == 1) {
            number = reader.tryReadString(&field);
            if (number == 0)
                checkField(field);
        } else {
            number = reader.tryReadInteger(&value, call == 3);
        }
        const Outcome got = outcome(number);
        const Outcome asString = outcome(strings.tryReadString(&field));
        if (asString == Outcome::Value)
            checkField(field);

        if (got == Outcome::Other && number != 13 && number != 6)
            fuzzio::fail("an error other than 62, 13 or 6");
        if (asString == Outcome::Other)
            fuzzio::fail("reading a field as a string raised an error other than 62");
        if ((got == Outcome::PastEnd) != (asString == Outcome::PastEnd))
            fuzzio::fail("one reader ran past the end and the other did not");
        if (got == Outcome::PastEnd)
            break;
        // Every field read takes at least one byte.
        if (++fields > size_t(text.size()))
            fuzzio::fail("more fields than bytes");
    }
    return 0;
}
