#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

// Reads comma- and line-separated fields the way the program's text files are laid
// out: spaces before a field are skipped; a field that begins with a double quote
// runs to the next double quote (commas inside stay part of it) and the rest up to
// the next comma or line end is skipped; a plain field ends at a comma or line end.
// Reading past the end is error 62; a number that is not a whole 16-bit value is
// error 13 (not a number) or 6 (out of range).
class FieldReader
{
public:
    explicit FieldReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    // True when nothing but blank lines and spaces is left.
    bool atEnd() const;
    QString readString();
    // An empty field reads as 0 unless strict.
    int16_t readInteger(bool strict = false);

    // The same reads without an exception, for callers that skip bad lines by the
    // thousand: the error number the reads above would throw (62, 13 or 6), or 0.
    int tryReadString(QString *out);
    int tryReadInteger(int16_t *out, bool strict = false);
    // Throws the RuntimeError for such a number.
    [[noreturn]] static void raise(int number);

private:
    // The field as a view into the text: no copy until it becomes a value.
    bool readRaw(QByteArrayView *out, bool *quoted);
    void skipSpaces();
    void finishField();
    qsizetype lineEnd(qsizetype from);
    qsizetype find(char c, qsizetype from, qsizetype to) const;

    QByteArray m_bytes;
    qsizetype m_pos = 0;
    // The next CR and LF at or after the last place asked about (lineEnd).
    qsizetype m_nextCR = -1;
    qsizetype m_nextLF = -1;
};
