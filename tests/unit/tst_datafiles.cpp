#include "core/RuntimeError.h"
#include "core/DataFolder.h"
#include "core/IniFile.h"
#include "core/SharedState.h"
#include "core/UrlDataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "TestHelpers.h"
#include <functional>
#include <unistd.h>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Makes a folder read-only (or writable again) for its owner.
bool setWritable(const QString &folder, bool writable)
{
    return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner
                                             | (writable ? QFile::WriteOwner : QFile::Permissions()));
}

QList<int16_t> sixOf(const SharedState &s)
{
    return {s.RefreshOnActive, s.RefreshEvery, s.RefreshMinutes, s.TileLayout, s.CascadeLayout, s.TabbedLayout};
}

// A record as one comparable text: slot|url|autoload|alias.
QString fields(const UrlRecord &r)
{
    // One multi-argument arg() so a "%22" inside a URL is never taken for a placeholder.
    return QStringLiteral("%1|%2|%3|%4").arg(QString::number(r.slot), r.url, QString::number(r.autoload), r.alias);
}

// Lines 1..8 with blank slots except those given.
QByteArray eightLines(const QMap<int, QByteArray> &filled)
{
    QByteArray out;
    for (int slot = 1; slot <= 8; ++slot)
        out += filled.value(slot, QByteArray::number(slot) + ",\"\",0,\"\"") + "\r\n";
    return out;
}
} // namespace

class TstDataFiles : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

private slots:
    void settingsLineAndRoundTrip()
    {
        SharedState s;
        s.RefreshOnActive = 0; s.RefreshEvery = -1; s.RefreshMinutes = 15;
        s.TileLayout = 0; s.CascadeLayout = 0; s.TabbedLayout = -1;
        const QString path = file(QStringLiteral("worked.ini"));
        QVERIFY(WriteSettings(s, path));
        QCOMPARE(readBytes(path), QByteArray("0,-1,15,0,0,-1\r\n"));

        SharedState back;
        QVERIFY(ReadSettings(back, path));
        QCOMPARE(sixOf(back), (QList<int16_t>{0, -1, 15, 0, 0, -1}));

        SharedState defaults;
        defaults.applySettingsDefaults();
        QCOMPARE(settingsLine(defaults), QByteArray("0,0,1,-1,0,0\r\n"));
    }

    void settingsReadAcceptsLooseLayout()
    {
        const QString path = file(QStringLiteral("loose.ini"));
        writeBytes(path, " 0 , -1\r\n  15 ,0,0,-1");
        SharedState s;
        QVERIFY(ReadSettings(s, path));
        QCOMPARE(sixOf(s), (QList<int16_t>{0, -1, 15, 0, 0, -1}));
    }

    void settingsReadRejectsBadFiles()
    {
        const QString path = file(QStringLiteral("bad.ini"));
        SharedState s;
        QVERIFY(!ReadSettings(s, file(QStringLiteral("absent.ini"))));

        writeBytes(path, "-1,0,5\r\n");
        QVERIFY(!ReadSettings(s, path));
        QCOMPARE(s.RefreshOnActive, int16_t(-1)); // fields before the failure keep their values

        for (const QByteArray &bad : {QByteArray("0,x,1,-1,0,0\r\n"), QByteArray("0,,1,-1,0,0\r\n"),
                                      QByteArray("0,0,40000,-1,0,0\r\n")}) {
            writeBytes(path, bad);
            QVERIFY2(!ReadSettings(s, path), bad.constData());
        }
    }

    void settingsWriteFailureKeepsFile()
    {
        SharedState s;
        s.applySettingsDefaults();
        QVERIFY(!WriteSettings(s, file(QStringLiteral("no-such-folder/velloran.ini"))));

        if (geteuid() == 0)
            QSKIP("root ignores folder permissions");
        const QString folder = file(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("velloran.ini"));
        writeBytes(path, "0,-1,15,0,0,-1\r\n");
        QVERIFY(setWritable(folder, false));
        const bool written = WriteSettings(s, path);
        setWritable(folder, true);
        QVERIFY(!written);
        QCOMPARE(readBytes(path), QByteArray("0,-1,15,0,0,-1\r\n"));
    }

    void defaultsAreTheDocumentedOnes()
    {
        SharedState s;
        s.RefreshMinutes = 30; s.TabbedLayout = -1; s.TabbedActive = -1; s.RefreshEvery = -1;
        s.applySettingsDefaults();
        QCOMPARE(sixOf(s), (QList<int16_t>{0, 0, 1, -1, 0, 0}));
        QCOMPARE(s.TabbedActive, int16_t(0));
    }

    void urlFileReadsEightRecords()
    {
        const QString path = file(QStringLiteral("eight.dat"));
        writeBytes(path, eightLines({{2, "2,\"http://a.example/\",-1,\"Alpha\""},
                                     {5, "5,\"http://b.example/x,y\",0,\"Beta, the second\""}}) + "\r\n");
        UrlDataReader in(path);
        QList<UrlRecord> records;
        while (!in.atEnd())
            records.append(in.read());
        QCOMPARE(records.size(), 8); // the trailing blank line is no record
        for (int i : {0, 2, 3, 5, 6, 7})
            QCOMPARE(fields(records[i]), QStringLiteral("%1||0|").arg(i + 1));
        QCOMPARE(fields(records[1]), QStringLiteral("2|http://a.example/|-1|Alpha"));
        QCOMPARE(fields(records[4]), QStringLiteral("5|http://b.example/x,y|0|Beta, the second"));

        writeBytes(path, "  1,  \"http://c/\",   -1,  \" spaced \"\r\n");
        UrlDataReader spaced(path);
        QCOMPARE(fields(spaced.read()), QStringLiteral("1|http://c/|-1| spaced ")); // spaces inside quotes stay
    }

    void urlFileErrors()
    {
        QCOMPARE(errorNumber([&] { UrlDataReader r(file(QStringLiteral("absent.dat"))); }), 53);

        const QString path = file(QStringLiteral("cut.dat"));
        writeBytes(path, QByteArray());
        QVERIFY(UrlDataReader(path).atEnd());

        const QByteArray seven = eightLines({}).left(eightLines({}).indexOf("8,"));
        for (const QByteArray &tail : {QByteArray("8,\"\",0"), QByteArray("8,\"\",0\r\n")}) {
            writeBytes(path, seven + tail);
            UrlDataReader in(path);
            for (int i = 0; i < 7; ++i)
                QCOMPARE(in.read().slot, int16_t(i + 1));
            QVERIFY(!in.atEnd());
            QCOMPARE(errorNumber([&] { in.read(); }), 62);
        }

        // A field holds 32767 at most; one more is error 6, not a number wrapped round.
        writeBytes(path, "32767,\"\",0,\"\"\r\n32768,\"\",0,\"\"\r\n");
        UrlDataReader big(path);
        QCOMPARE(big.read().slot, int16_t(32767));
        QCOMPARE(errorNumber([&] { big.read(); }), 6);
        writeBytes(path, "x,\"\",0,\"\"\r\n");
        QCOMPARE(errorNumber([&] { UrlDataReader(path).read(); }), 13);

        // What is kept of a damaged file is slots 1 to 8: records for 0 and 9 are damage.
        const QList<UrlRecord> kept = readableRecordsFromBytes("0,\"http://zero/\",0,\"\"\r\n1,\"http://one/\",0,\"\"\r\n"
                                                               "8,\"http://eight/\",0,\"\"\r\n9,\"http://nine/\",0,\"\"\r\n");
        QCOMPARE(kept.size(), 2);
        QCOMPARE(fields(kept.first()), QStringLiteral("1|http://one/|0|"));
        QCOMPARE(fields(kept.last()), QStringLiteral("8|http://eight/|0|"));
    }

    void urlWriterKeepsRecordsIntact()
    {
        QCOMPARE(UrlDataWriter::line({3, {}, -1, {}}), QByteArray("3,\"\",-1,\"\"\r\n"));
        QCOMPARE(UrlDataWriter::line({1, QStringLiteral("http://x/?q=\"a\""), 0, QStringLiteral("My \"best\" site")}),
                 QByteArray("1,\"http://x/?q=%22a%22\",0,\"My 'best' site\"\r\n"));

        const QString path = file(QStringLiteral("written.dat"));
        UrlDataWriter out(path);
        out.write({1, QStringLiteral("http://x/?q=\"a\""), -1, QStringLiteral("My \"best\" site")});
        out.write({2, QStringLiteral("http://y/\r\nz"), -1, QStringLiteral("two\nlines")});
        out.write({3, QStringLiteral("http://after/"), 0, QStringLiteral("After")});
        out.commit();

        UrlDataReader in(path);
        const UrlRecord a = in.read(), b = in.read(), c = in.read();
        QVERIFY(in.atEnd());
        QCOMPARE(fields(a), QStringLiteral("1|http://x/?q=%22a%22|-1|My 'best' site"));
        QCOMPARE(fields(c), QStringLiteral("3|http://after/|0|After"));
        // The line breaks stay within the second record's fields.
        QCOMPARE(b.slot, int16_t(2));
        QCOMPARE(b.autoload, int16_t(-1));
        QVERIFY(b.url.startsWith(QStringLiteral("http://y/")) && b.url.endsWith(QLatin1Char('z')));
        QVERIFY(b.alias.startsWith(QStringLiteral("two")) && b.alias.endsWith(QStringLiteral("lines")));
    }

    void urlWriterFailureKeepsFile()
    {
        UrlDataWriter lost(file(QStringLiteral("no-such-folder/velloran.dat")));
        lost.write({1, {}, 0, {}});
        QCOMPARE(errorNumber([&] { lost.commit(); }), 75);

        if (geteuid() == 0)
            QSKIP("root ignores folder permissions");
        const QString folder = file(QStringLiteral("locked-dat"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("velloran.dat"));
        writeBytes(path, "1,\"http://old/\",0,\"\"\r\n");
        QVERIFY(setWritable(folder, false));
        UrlDataWriter out(path);
        out.write({1, QStringLiteral("http://new/"), 0, {}});
        const int number = errorNumber([&] { out.commit(); });
        setWritable(folder, true);
        QCOMPARE(number, 75);
        QCOMPARE(readBytes(path), QByteArray("1,\"http://old/\",0,\"\"\r\n"));
    }

    void tabLabels()
    {
        QCOMPARE(tabTextLengthFor(800, 600), int16_t(14));
        QCOMPARE(tabTextLengthFor(640, 480), int16_t(10));
        QCOMPARE(tabTextLengthFor(1024, 768), int16_t(20));
        QCOMPARE(tabTextLengthFor(600, 800), int16_t(20));

        const QString alias = QStringLiteral("Velloran project pages!");
        QCOMPARE(alias.size(), 23);
        QCOMPARE(tabLabel(QStringLiteral("http://ignored/"), alias, 14), QStringLiteral("Velloran proje"));
        QCOMPARE(tabLabel(QStringLiteral("http://www.example.com/index.html"), QString(), 14), QStringLiteral("com/index.html"));
        QCOMPARE(tabLabel(QStringLiteral("http://a.b/"), QString(), 14), QStringLiteral("http://a.b/"));
    }

    void slotTableBounds()
    {
        SlotTable<QString> t;
        QVERIFY(!t.exists());
        QCOMPARE(errorNumber([&] { t(1); }), 9);
        t.create();
        QCOMPARE(errorNumber([&] { t(0); }), 9);
        QCOMPARE(errorNumber([&] { t(9); }), 9);
        SlotTable<int16_t> n;
        n.create();
        for (int slot = 1; slot <= 8; ++slot)
            QVERIFY(t(slot).isEmpty() && n(slot) == 0);
        t(8) = QStringLiteral("eight");
        QCOMPARE(t(8), QStringLiteral("eight"));
    }

    void dataFolderFromEnvironment()
    {
        const QByteArray saved = qgetenv("VELLORAN_HOME");
        const QString home = file(QStringLiteral("home/velloran"));
        qputenv("VELLORAN_HOME", home.toLocal8Bit());
        const QString got = resolveDataFolder(file(QStringLiteral("program")));
        if (saved.isNull())
            qunsetenv("VELLORAN_HOME");
        else
            qputenv("VELLORAN_HOME", saved);
        QCOMPARE(got, QDir(home).absolutePath());
        QVERIFY(QFileInfo(home).isDir());
    }
};

QTEST_APPLESS_MAIN(TstDataFiles)
#include "tst_datafiles.moc"
