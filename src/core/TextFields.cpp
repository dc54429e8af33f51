#include "core/TextFields.h"
#include "core/RuntimeError.h"
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool FieldReader::atEnd() const
{
    for (qsizetype i = m_pos; i < m_bytes.size(); ++i) {
        const char c = m_bytes.at(i);
        if (c != ' ' && c != '\t' && !isLineEnd(c))
            return false;
    }
    return true;
}

void FieldReader::skipSpaces()
{
    while (m_pos < m_bytes.size() && (m_bytes.at(m_pos) == ' ' || m_bytes.at(m_pos) == '\t'))
        ++m_pos;
}

// Consumes the separator after a field: one comma, or one line end (CR LF, CR or LF).
void FieldReader::finishField()
{
    if (m_pos >= m_bytes.size())
        return;
    const char c = m_bytes.at(m_pos);
    if (c == ',') {
        ++m_pos;
    } else if (c == '\r') {
        ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes.at(m_pos) == '\n')
            ++m_pos;
    } else if (c == '\n') {
        ++m_pos;
    }
}

// Where `c` first is in [from, to), or `to`. The searches run through memchr rather
// than a loop of comparisons: a damaged file can be one very long line.
qsizetype FieldReader::find(char c, qsizetype from, qsizetype to) const
{
    const char *data = m_bytes.constData();
    const void *at = from < to ? std::memchr(data + from, c, size_t(to - from)) : nullptr;
    return at ? static_cast<const char *>(at) - data : to;
}

// The end of the line holding `from`: its CR or LF, or the end of the text. Reading
// only moves forward, so each line end is searched for once.
qsizetype FieldReader::lineEnd(qsizetype from)
{
    if (m_nextCR < from)
        m_nextCR = find('\r', from, m_bytes.size());
    if (m_nextLF < from)
        m_nextLF = find('\n', from, m_bytes.size());
    return std::min(m_nextCR, m_nextLF);
}

bool FieldReader::readRaw(QByteArrayView *out, bool *quoted)
{
    // A field starts only where there is something left on the line or after it.
    skipSpaces();
    if (m_pos >= m_bytes.size())
        return false;
    const QByteArrayView all(m_bytes);
    const qsizetype end = lineEnd(m_pos);
    *quoted = m_bytes.at(m_pos) == '"';
    if (*quoted) {
        const qsizetype start = ++m_pos;
        m_pos = find('"', m_pos, end);
        *out = all.sliced(start, m_pos - start);
        if (m_pos < end)
            ++m_pos;
        // Whatever follows the closing quote up to the separator is not part of the field.
        m_pos = find(',', m_pos, end);
    } else {
        const qsizetype start = m_pos;
        m_pos = find(',', m_pos, end);
        *out = all.sliced(start, m_pos - start);
    }
    finishField();
    return true;
}

void FieldReader::raise(int number)
{
    switch (number) {
    case 6: throw RuntimeError::overflow();
    case 13: throw RuntimeError::typeMismatch();
    default: throw RuntimeError::pastEndOfFile();
    }
}

QString FieldReader::readString()
{
    QString out;
    if (const int error = tryReadString(&out))
        raise(error);
    return out;
}

int16_t FieldReader::readInteger(bool strict)
{
    int16_t out = 0;
    if (const int error = tryReadInteger(&out, strict))
        raise(error);
    return out;
}

int FieldReader::tryReadString(QString *out)
{
    bool quoted = false;
    QByteArrayView raw;
    if (!readRaw(&raw, &quoted))
        return 62;
    // Decoded as a field, not as a file: QString::fromUtf8 would drop a leading U+FEFF
    // as a byte-order mark, and a text beginning with one would lose it on every save.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    *out = utf8.decode(quoted ? raw : raw.trimmed());
    return 0;
}

int FieldReader::tryReadInteger(int16_t *out, bool strict)
{
    bool quoted = false;
    QByteArrayView raw;
    if (!readRaw(&raw, &quoted))
        return 62;
    raw = raw.trimmed();
    if (raw.isEmpty()) {
        *out = 0;
        return strict ? 13 : 0;
    }
    bool ok = false;
    const qlonglong v = raw.toLongLong(&ok);
    if (!ok) {
        // Digits that overflow even a 64-bit value are still a number out of range.
        const bool digits = !raw.isEmpty() && std::all_of(raw.begin() + (raw.at(0) == '-' || raw.at(0) == '+' ? 1 : 0), raw.end(),
                                                          [](char c) { return c >= '0' && c <= '9'; });
        return digits && raw.size() > 1 ? 6 : 13;
    }
    if (v < -32768 || v > 32767)
        return 6;
    *out = int16_t(v);
    return 0;
}
