// The per-site file: zoom and permission answers survive a restart, withdrawn answers
// go, and a damaged file is set aside rather than stopping anything.
#include "engine/SiteSettings.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
};

QTEST_APPLESS_MAIN(TstSiteSettings)
#include "tst_sitesettings.moc"
