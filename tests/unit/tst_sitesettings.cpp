// The per-site file: zoom and permission answers survive a restart, withdrawn answers
// go, a damaged file is set aside rather than stopping anything, and a full disk
// leaves the file as it was.
#include "engine/SiteSettings.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using P = SiteSettings::Permission;

class TstSiteSettings : public QObject
{
    Q_OBJECT
private slots:
    void answersKeptAcrossRunsAndWithdrawn()
    {
        QTemporaryDir dir;
        const QString origin = QStringLiteral("http://127.0.0.1:8080");
        {
            SiteSettings sites(dir.path());
            sites.setZoom(QStringLiteral("127.0.0.1"), 150);
            sites.setPermission(origin, P::Notifications, true);
            sites.setPermission(origin, P::Camera, false);
            sites.setPermission(QStringLiteral("https://nas.local"), P::Location, true);
        }
        QFile file(QDir(dir.path()).filePath(QStringLiteral("velloran-sites.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("127.0.0.1\t150\r\n"
                                            "http://127.0.0.1:8080\tnotifications\tallow\r\n"
                                            "http://127.0.0.1:8080\tcamera\tblock\r\n"
                                            "https://nas.local\tlocation\tallow\r\n"));
        file.close();

        SiteSettings again(dir.path());
        QCOMPARE(again.zoom(QStringLiteral("127.0.0.1")), 150);
        QCOMPARE(again.permission(origin, P::Notifications), std::optional<bool>(true));
        QCOMPARE(again.permission(origin, P::Camera), std::optional<bool>(false));
        QCOMPARE(again.permission(origin, P::Microphone), std::nullopt);
        again.forgetPermission(origin, P::Notifications);
        again.forgetPermission(origin, P::Camera);
        QCOMPARE(SiteSettings(dir.path()).permissionOrigins(), QStringList{QStringLiteral("https://nas.local")});

        // Allow for seeing the screen, with its sound or without, holds for one request;
        // the other answers are kept.
        QVERIFY(!SiteSettings::keepsAllow(P::Screen) && !SiteSettings::keepsAllow(P::ScreenAudio));
        QVERIFY(SiteSettings::keepsAllow(P::Camera) && SiteSettings::keepsAllow(P::Notifications));
    }

    void damagedFileSetAside()
    {
        for (const QByteArray &bad : {QByteArray("a\tnotifications\tmaybe\r\n"), QByteArray("a\twebcam\tallow\r\n"),
                                      QByteArray("a\tcamera\tallow\textra\r\n"), QByteArray("\tcamera\tallow\r\n"),
                                      QByteArray("a\t600\r\n")}) {
            QTemporaryDir dir;
            const QString path = QDir(dir.path()).filePath(QStringLiteral("velloran-sites.txt"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("127.0.0.1\t150\r\n" + bad);
            f.close();
            SiteSettings sites(dir.path());
            QVERIFY2(!QFile::exists(path) && QFile::exists(path + QStringLiteral(".bad")), bad.constData());
            QCOMPARE(sites.zoom(QStringLiteral("127.0.0.1")), 100);
        }
    }

    void fullDiskKeepsTheFile()
    {
        QTemporaryDir dir;
        SiteSettings sites(dir.path());
        QVERIFY(sites.setZoom(QStringLiteral("127.0.0.1"), 150));
        QFile file(sites.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        // A file size limit fails the write part way, as a full disk does.
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t was = limit.rlim_cur;
        limit.rlim_cur = 8;
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool zoomKept = sites.setZoom(QStringLiteral("nas.local"), 200);
        const bool answerKept = sites.setPermission(QStringLiteral("https://nas.local"), P::Camera, true);
        limit.rlim_cur = was;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, signal);

        QVERIFY(!zoomKept && !answerKept);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("velloran-sites.txt")});
        QCOMPARE(sites.zoom(QStringLiteral("nas.local")), 200);
        QCOMPARE(sites.permission(QStringLiteral("https://nas.local"), P::Camera), std::optional<bool>(true));
    }
};

QTEST_APPLESS_MAIN(TstSiteSettings)
#include "tst_sitesettings.moc"
