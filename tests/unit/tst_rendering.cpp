#include "engine/PageColours.h"
#include "engine/Rendering.h"
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
};

QTEST_GUILESS_MAIN(TstRendering)
#include "tst_rendering.moc"
