#include "core/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Sets (or, with a null value, removes) an environment variable for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_saved(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_saved.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_saved);
    }

private:
    const char *m_name;
    QByteArray m_saved;
};

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("0,0,1,0,0,-1\r\n") > 0;
}
}

class TstDataFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString path(const QString &rel) const { return QDir(m_tmp.path()).filePath(rel); }
    QString configFolder() const { return QDir(path(QStringLiteral("config"))).filePath(QStringLiteral("velloran")); }

private slots:
    void init()
    {
        QVERIFY(m_tmp.isValid());
        // Every case starts from an empty scratch tree.
        const QStringList entries = QDir(m_tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QString &e : entries) {
            QFileInfo fi(path(e));
            if (fi.isDir())
                QVERIFY(QDir(fi.filePath()).removeRecursively());
            else
                QVERIFY(QFile::remove(fi.filePath()));
        }
    }

    void writableBuildTreeIsPortable()
    {
        ScopedEnv home("VELLORAN_HOME", QByteArray());
        ScopedEnv xdg("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        const QString build = path(QStringLiteral("build"));
        QVERIFY(QDir().mkpath(build));
        QCOMPARE(resolveDataFolder(build), QDir(build).absolutePath());
        QVERIFY(!QFileInfo::exists(configFolder()));
    }

    void binFolderWithoutInstalledDataIsPortable()
    {
        // A copy unpacked into some bin/ folder of its own has no share/velloran beside it.
        ScopedEnv home("VELLORAN_HOME", QByteArray());
        ScopedEnv xdg("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        const QString bin = path(QStringLiteral("tools/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(path(QStringLiteral("tools/share/other"))));
        QCOMPARE(resolveDataFolder(bin), QDir(bin).absolutePath());
    }

    void installedLayoutUsesConfigFolder_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("staging root") << QStringLiteral("root/usr");
        QTest::newRow("home .local") << QStringLiteral("home/.local");
    }

    void installedLayoutUsesConfigFolder()
    {
        QFETCH(QString, prefix);
        ScopedEnv home("VELLORAN_HOME", QByteArray());
        ScopedEnv xdg("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        const QString bin = path(prefix + QStringLiteral("/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(path(prefix + QStringLiteral("/share/velloran"))));
        QVERIFY(QFileInfo(bin).isWritable());

        QCOMPARE(resolveDataFolder(bin), configFolder());
        QVERIFY(QFileInfo(configFolder()).isDir());
    }

    void installedLayoutIgnoresFilesBesideBinary()
    {
        // Stray files in an installed bin/ must not turn it into a data folder.
        ScopedEnv home("VELLORAN_HOME", QByteArray());
        ScopedEnv xdg("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        const QString bin = path(QStringLiteral("prefix/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(path(QStringLiteral("prefix/share/velloran"))));
        QVERIFY(touch(QDir(bin).filePath(QStringLiteral("velloran.ini"))));
        QCOMPARE(resolveDataFolder(bin), configFolder());
    }

    void environmentBeatsInstalledLayout()
    {
        const QString chosen = path(QStringLiteral("chosen/velloran"));
        ScopedEnv home("VELLORAN_HOME", chosen.toLocal8Bit());
        ScopedEnv xdg("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        const QString bin = path(QStringLiteral("prefix/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(path(QStringLiteral("prefix/share/velloran"))));
        QCOMPARE(resolveDataFolder(bin), QDir(chosen).absolutePath());
        QVERIFY(QFileInfo(chosen).isDir());
        QVERIFY(!QFileInfo::exists(configFolder()));
    }
};

QTEST_APPLESS_MAIN(TstDataFolder)
#include "tst_datafolder.moc"
