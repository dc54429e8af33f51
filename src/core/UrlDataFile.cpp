#include "core/UrlDataFile.h"
#include "core/RuntimeError.h"
#include "core/TextFields.h"
#include <QFile>
#include <QSaveFile>

UrlDataReader::UrlDataReader(const QString &path)
{
    QFile f(path);
    if (!f.exists())
        throw RuntimeError::fileNotFound();
    if (!f.open(QIODevice::ReadOnly))
        throw RuntimeError::pathAccess();
    // The file is small (eight lines); a runaway file is cut to keep start-up quick.
    m_in.emplace(f.read(1024 * 1024));
}

UrlDataReader UrlDataReader::fromBytes(QByteArray bytes)
{
    UrlDataReader r;
    r.m_in.emplace(std::move(bytes));
    return r;
}

bool UrlDataReader::atEnd() const
{
    return m_in->atEnd();
}

UrlRecord UrlDataReader::read()
{
    UrlRecord r;
    if (const int error = tryRead(&r))
        FieldReader::raise(error);
    return r;
}

// One record's four fields: the error number of the first that fails, or 0. The salvage
// reader wants a slot that is there (strict); the file reader reads an empty one as 0.
static int readRecord(FieldReader &in, UrlRecord *r, bool strictSlot)
{
    int error = in.tryReadInteger(&r->slot, strictSlot);
    if (!error)
        error = in.tryReadString(&r->url);
    if (!error)
        error = in.tryReadInteger(&r->autoload);
    if (!error)
        error = in.tryReadString(&r->alias);
    return error;
}

int UrlDataReader::tryRead(UrlRecord *r)
{
    return readRecord(*m_in, r, false);
}

QList<UrlRecord> readableRecords(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return readableRecordsFromBytes(f.read(1024 * 1024));
}

QList<UrlRecord> readableRecordsFromBytes(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QList<UrlRecord> out;
    for (qsizetype start = 0; start <= bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        // A view of the line, not a copy: `bytes` outlives the reader.
        const QByteArray line = QByteArray::fromRawData(bytes.constData() + start, end - start);
        start = end + 1;
        if (QByteArrayView(line).trimmed().isEmpty())
            continue;
        // An unreadable line is skipped and the others still count; no exception,
        // since a badly damaged file can have thousands of such lines.
        FieldReader in(line);
        UrlRecord r;
        if (readRecord(in, &r, true))
            continue;
        if (r.slot >= 1 && r.slot <= 8)
            out.append(r);
    }
    return out;
}

void setAsideDamagedFile(const QString &path)
{
    const QString bad = path + QStringLiteral(".bad");
    QFile::remove(bad);
    if (!QFile::rename(path, bad))
        QFile::copy(path, bad);
}

QString UrlDataWriter::encodeUrl(const QString &url)
{
    QString out = url;
    return out.replace(QLatin1Char('"'), QStringLiteral("%22"));
}

QString UrlDataWriter::encodeAlias(const QString &alias)
{
    QString out = alias;
    return out.replace(QLatin1Char('"'), QLatin1Char('\''));
}

QByteArray UrlDataWriter::line(const UrlRecord &r)
{
    QByteArray out = QByteArray::number(r.slot) + ",\"" + encodeUrl(r.url).toUtf8() + "\","
                     + QByteArray::number(r.autoload) + ",\"" + encodeAlias(r.alias).toUtf8() + "\"";
    out.replace('\r', ' ').replace('\n', ' '); // a line break would split the record
    return out + "\r\n";
}

void UrlDataWriter::commit()
{
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        throw RuntimeError::pathAccess();
    // The bytes sit in QSaveFile's buffer until flushed, and commit() does not check
    // that flush: on a full disk it would put an empty file in place of the old one.
    if (f.write(m_bytes) != m_bytes.size() || !f.flush() || !f.commit())
        throw RuntimeError::pathAccess();
}
