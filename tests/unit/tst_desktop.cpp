// What goes to the desktop as text: the autostart entry starts the program from any
// path it can hold, and a page's notification reaches the service as plain text.
#include "app/CommandLine.h"
#include "engine/DesktopNotifier.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstDesktop : public QObject
{
    Q_OBJECT
private slots:
    void autostartEntryStartsAnyPath()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QList<std::pair<QString, QByteArray>> paths{
            {QStringLiteral("/opt/velloran/velloran"), "/opt/velloran/velloran"},
            {QStringLiteral("/opt/100%/velloran"), "/opt/100%%/velloran"},
            {QStringLiteral(R"(/opt/my apps/$v"1"\100%/velloran)"), R"("/opt/my apps/\\$v\\"1\\"\\\\100%%/velloran")"}};
        QString error;
        for (const auto &[path, exec] : paths) {
            QVERIFY(CommandLine::setAutostart(true, path, &error));
            QFile entry(CommandLine::autostartEntryPath());
            QVERIFY(entry.open(QIODevice::ReadOnly));
            QVERIFY2(entry.readAll().split('\n').contains("Exec=" + exec), exec.constData());
        }

        // A line break would end the value and start a line of its own: refused, nothing written.
        QVERIFY(CommandLine::setAutostart(false, QString(), &error));
        QVERIFY(!CommandLine::setAutostart(true, QStringLiteral("/opt/a\nTerminal=true/velloran"), &error));
        QVERIFY2(error.contains(QStringLiteral("control character")), qPrintable(error));
        QVERIFY(!QFile::exists(CommandLine::autostartEntryPath()));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void notificationTextIsNotMarkup()
    {
        QCOMPARE(DesktopNotifier::markupEscaped(QStringLiteral(R"(<b>Tom & "Jerry"</b> > 1)")),
                 QStringLiteral(R"(&lt;b&gt;Tom &amp; "Jerry"&lt;/b&gt; &gt; 1)"));
    }
};

QTEST_APPLESS_MAIN(TstDesktop)
#include "tst_desktop.moc"
