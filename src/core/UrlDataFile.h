#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include "core/TextFields.h"
#include <optional>
#include <cstdint>

// One line of the URL data file: slot, "URL", autoload flag, "alias", CR LF.
struct UrlRecord
{
    int16_t slot = 0;
    QString url;
    int16_t autoload = 0;
    QString alias;

    // The slot's caption: its alias, or its URL when the alias is empty.
    QString caption() const { return alias.isEmpty() ? url : alias; }
};

// Reads records in file order. Opening a missing file is error 53; a file that ends
// in the middle of a record is error 62.
class UrlDataReader
{
public:
    explicit UrlDataReader(const QString &path); // throws RuntimeError
    // The same over the file's bytes, for callers that hold them already (the fuzzer).
    static UrlDataReader fromBytes(QByteArray bytes);
    bool atEnd() const;
    UrlRecord read();                            // throws RuntimeError
    // The same without an exception: the error number read() would throw, or 0.
    int tryRead(UrlRecord *record);

private:
    UrlDataReader() = default;
    std::optional<FieldReader> m_in;
};

// The records of a damaged data file that can still be read, line by line: a byte-order
// mark, blank lines and unreadable lines (a slot outside 1 to 8, a field that is not a
// number, a cut record) are passed over. A missing file has none.
QList<UrlRecord> readableRecords(const QString &path);
QList<UrlRecord> readableRecordsFromBytes(QByteArray bytes);

// Moves a data file that cannot be read aside, to "<name>.bad" beside it, so that what
// the user had is kept when a new Top 8 is written; copies it when it cannot be moved.
void setAsideDamagedFile(const QString &path);

// Writes the eight records. A double quote would end the quoted field early and
// misread the whole line, so the writer keeps it out of the file: in a URL it is
// percent-encoded (%22, the same address), in an alias it becomes an apostrophe.
class UrlDataWriter
{
public:
    static QString encodeUrl(const QString &url);
    static QString encodeAlias(const QString &alias);
    static QByteArray line(const UrlRecord &r);

    // Collects the lines, then replaces the file whole on commit(): a failed write
    // leaves the previous file as it was. Failures throw RuntimeError (75).
    explicit UrlDataWriter(const QString &path) : m_path(path) {}
    void write(const UrlRecord &r) { m_bytes += line(r); }
    void commit();

private:
    QString m_path;
    QByteArray m_bytes;
};
