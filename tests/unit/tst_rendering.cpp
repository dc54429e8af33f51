#include "engine/Rendering.h"
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
};

QTEST_GUILESS_MAIN(TstRendering)
#include "tst_rendering.moc"
