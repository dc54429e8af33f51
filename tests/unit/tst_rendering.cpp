#include "engine/PageColours.h"
#include "engine/Rendering.h"
#include "engine/Spelling.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QColor>
#include <QTest>

using Rendering::Machine;
using Rendering::Mode;

class TstRendering : public QObject
{
    Q_OBJECT
private slots:
    void softwareOnlyWithoutAGpuOrWhenAskedFor()
    {
        Machine m;
        QCOMPARE(Rendering::choose(m), Mode::Software); // no render node: OpenGL would be emulated
        m.renderNode = true;
        QCOMPARE(Rendering::choose(m), Mode::Gpu);
        m.glSoftware = true;
        QCOMPARE(Rendering::choose(m), Mode::Software);
        m.glSoftware = false;
        m.engineFlags = "--foo --disable-gpu";
        QCOMPARE(Rendering::choose(m), Mode::Software);
        m.engineFlags = "--disable-gpu-vsync"; // another switch of the same stem
        QCOMPARE(Rendering::choose(m), Mode::Gpu);
        // What the person set wins over what the machine has.
        m.renderNode = false;
        m.engineFlags = "--ignore-gpu-blocklist";
        QCOMPARE(Rendering::choose(m), Mode::Gpu);
        m.quickBackend = "rhi";
        m.engineFlags = "--disable-gpu";
        QCOMPARE(Rendering::choose(m), Mode::Gpu);
        m.renderNode = true;
        m.quickBackend = "software";
        QCOMPARE(Rendering::choose(m), Mode::Software);
    }

    void engineSwitchAddedOnce()
    {
        using L = QList<QByteArray>;
        QCOMPARE(Rendering::engineArguments(Mode::Gpu, {"velloran"}), L{});
        QCOMPARE(Rendering::engineArguments(Mode::Software, {"velloran"}), (L{"--webEngineArgs", "--disable-gpu"}));
        // The person's own engine switches are kept; ours joins them.
        QCOMPARE(Rendering::engineArguments(Mode::Software, {"velloran", "--webEngineArgs", "--lang=de"}),
                 L{"--disable-gpu"});
        QCOMPARE(Rendering::engineArguments(Mode::Software, {"velloran", "--webEngineArgs", "--disable-gpu"}), L{});
        // Before --webEngineArgs the switch is the program's, not the engine's.
        QCOMPARE(Rendering::engineArguments(Mode::Software, {"velloran", "--disable-gpu"}),
                 (L{"--webEngineArgs", "--disable-gpu"}));
    }

    // The desktop's published preference wins over the palette; the person's own
    // blink settings are left alone.
    void pagesLearnTheDesktopsColourPreference()
    {
        using PageColours::Desktop;
        const QColor dark(42, 46, 50), light(239, 239, 239);
        QVERIFY(PageColours::prefersDark(Desktop::Unknown, dark));
        QVERIFY(!PageColours::prefersDark(Desktop::NoPreference, light));
        QVERIFY(PageColours::prefersDark(Desktop::Dark, light));
        QVERIFY(!PageColours::prefersDark(Desktop::Light, dark));
        QVERIFY(!PageColours::prefersDark(Desktop::Unknown, QColor()));
        QCOMPARE(PageColours::withDark(""), QByteArray("--blink-settings=preferredColorScheme=0"));
        QCOMPARE(PageColours::withDark("--disable-gpu "), QByteArray("--disable-gpu --blink-settings=preferredColorScheme=0"));
        QCOMPARE(PageColours::withDark("--blink-settings=preferredColorScheme=1"),
                 QByteArray("--blink-settings=preferredColorScheme=1"));
    }

    // Only a dictionary of the person's own language is used: the same region first,
    // else another region of that language, never another language.
    void spellingInThePersonsLanguage()
    {
        const QStringList have{QStringLiteral("en-GB"), QStringLiteral("en-US")};
        QCOMPARE(Spelling::choose({QStringLiteral("en-US"), QStringLiteral("en")}, have), QStringLiteral("en-US"));
        QCOMPARE(Spelling::choose({QStringLiteral("en-AU")}, have), QStringLiteral("en-GB"));
        QCOMPARE(Spelling::choose({QStringLiteral("de-DE"), QStringLiteral("de")}, have), QString());
        QCOMPARE(Spelling::choose({QStringLiteral("de-DE"), QStringLiteral("en-GB")}, have), QStringLiteral("en-GB"));
        QCOMPARE(Spelling::choose({QStringLiteral("C")}, have), QStringLiteral("en-US"));

        // Beside the binary in a build, in ../share/velloran once installed.
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(Spelling::folder(bin), QString());
        const QString shared = root.filePath(QStringLiteral("share/velloran/qtwebengine_dictionaries"));
        QVERIFY(QDir().mkpath(shared));
        QCOMPARE(Spelling::folder(bin), QString()); // an empty folder is no dictionary
        QFile f(shared + QStringLiteral("/en-US.bdic"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(Spelling::folder(bin), shared);
    }
};

QTEST_GUILESS_MAIN(TstRendering)
#include "tst_rendering.moc"
