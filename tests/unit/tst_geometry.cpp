#include "FakeServices.h"
#include "platform/Geometry.h"
#include "core/Arrangement.h"
#include "platform/ErrorTrap.h"
#include "core/RuntimeError.h"
#include "platform/WindowRegistry.h"

#include <QTest>
#include <QWidget>

#include "TestHelpers.h"
#include <functional>
#include <memory>

namespace {

const QRect kWorkArea(0, 28, 1024, 740); // a 1024 x 768 screen less a 28-pixel top panel

// Runs a failing step and then a second step under the policy; returns the message
// texts shown and whether the second step ran.
QStringList trapped(ErrorPolicy policy, const RuntimeError &error, bool *nextRan = nullptr)
{
    FakeDesktop d;
    Trap trap(*d.ctx, std::move(policy));
    bool ran = false;
    trap([&] { throw error; });
    trap([&] { ran = true; });
    if (nextRan)
        *nextRan = ran;
    return d.messages.texts();
}
} // namespace

class TstGeometry : public QObject
{
    Q_OBJECT
private slots:
    void roundTwipsHalvesToEven()
    {
        QCOMPARE(roundTwips(0.5), 0);
        QCOMPARE(roundTwips(1.5), 2);
        QCOMPARE(roundTwips(2.5), 2);
        QCOMPARE(roundTwips(-2.5), -2);
        QCOMPARE(roundTwips(2.6), 3);
    }

    void centringInTwips()
    {
        QCOMPARE(workAreaHeightTwips(kWorkArea, 15), 11100);
        QCOMPARE(centeredTopLeftTwips(kWorkArea, 15, 15, 6000, 4000), QPoint(4680, 3970));

        // W - w = 15360 - 5999 = 9361 halves to 4680; 15360 - 24721 = -9361 halves to -4680.
        QCOMPARE(centeredTopLeftTwips(kWorkArea, 15, 15, 5999, 4000).x(), 4680);
        QCOMPARE(centeredTopLeftTwips(kWorkArea, 15, 15, 24721, 4000).x(), -4680);
        // H - h = 11100 - 4001 = 7099 halves to 3549.
        QCOMPARE(centeredTopLeftTwips(kWorkArea, 15, 15, 6000, 4001).y(), 420 + 3549);

        const QRect leftPanel(64, 28, 1024, 740);
        QCOMPARE(centeredTopLeftTwips(leftPanel, 15, 15, 6000, 4000), QPoint(4680 + 64 * 15, 3970));
    }

    void widgetPlacement()
    {
        FakeScreen screen;
        screen.workArea = kWorkArea;
        QWidget w;
        w.resize(400, 266);
        CenterInWorkArea(&w, screen);
        // 400 x 266 px is 6000 x 3990 twips: left 4680 twips, top 420 + 3555 = 3975 twips.
        QCOMPARE(w.pos(), QPoint(4680 / 15, 3975 / 15));
        QCOMPARE(w.size(), QSize(400, 266));

        w.move(37, 51);
        FitHeightToWorkArea(&w, screen);
        QCOMPARE(w.geometry(), QRect(37, 51, 400, 740));
    }

    void cascadeRectangles()
    {
        const QRect area(0, 0, 800, 600);
        QCOMPARE(cascadeRects(area, 0, 26), QList<QRect>{});
        QCOMPARE(cascadeRects(area, 1, 26), QList<QRect>{area});
        QCOMPARE(cascadeRects(area, 3, 26),
                 (QList<QRect>{{0, 0, 748, 548}, {26, 26, 748, 548}, {52, 52, 748, 548}}));
        // Many windows: never below half the area, the offsets go on.
        const QList<QRect> many = cascadeRects(area, 20, 26);
        QCOMPARE(many.first(), QRect(0, 0, 400, 300));
        QCOMPARE(many.last(), QRect(494, 494, 400, 300));
        // An area off the origin moves with it.
        QCOMPARE(cascadeRects(QRect(10, 20, 100, 100), 2, 20),
                 (QList<QRect>{{10, 20, 80, 80}, {30, 40, 80, 80}}));
    }

    void tileRectangles()
    {
        QCOMPARE(tileRects(QRect(0, 0, 800, 600), 0), QList<QRect>{});
        QCOMPARE(tileRects(QRect(0, 0, 800, 600), 1), QList<QRect>{QRect(0, 0, 800, 600)});
        // 601 / 3 = 200: the last takes the one left over.
        QCOMPARE(tileRects(QRect(0, 0, 800, 601), 3),
                 (QList<QRect>{{0, 0, 800, 200}, {0, 200, 800, 200}, {0, 400, 800, 201}}));
        QCOMPARE(tileRects(QRect(5, 10, 300, 100), 2),
                 (QList<QRect>{{5, 10, 300, 50}, {5, 60, 300, 50}}));
    }

    void trapMessages()
    {
        FakeDesktop d;
        Trap trap(*d.ctx, ErrorPolicy::shortMsg());
        bool ran = false;
        trap([] { throw RuntimeError::fileNotFound(); });
        trap([&] { ran = true; });
        QVERIFY(ran);
        QVERIFY(trap.failed());
        QCOMPARE(d.messages.shown.size(), 1);
        QCOMPARE(d.messages.shown[0].text, QStringLiteral("Error 53."));
        QCOMPARE(d.messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(d.messages.shown[0].title, QStringLiteral("Velloran"));

        QCOMPARE(trapped(ErrorPolicy::longMsg(), RuntimeError::fileNotFound()),
                 QStringList{QStringLiteral("Error 53. File not found.")});
        QCOMPARE(trapped(ErrorPolicy::navigation(), RuntimeError::invalidCall()),
                 QStringList{QStringLiteral("Error 5. Navigation Error. Try again.")});
    }

    void trapSilentNumbers()
    {
        bool ran = false;
        QVERIFY(trapped(ErrorPolicy::shortMsg(), RuntimeError::componentFailure(), &ran).isEmpty());
        QVERIFY(ran);
        QCOMPARE(trapped(ErrorPolicy::shortMsg().negativeShown(), RuntimeError::componentFailure()),
                 QStringList{QStringLiteral("Error -2147467259.")});
        QVERIFY(trapped(ErrorPolicy::shortMsg().also(9), RuntimeError::subscript(), &ran).isEmpty());
        QVERIFY(ran);
        QCOMPARE(trapped(ErrorPolicy::shortMsg().also(9), RuntimeError::overflow()),
                 QStringList{QStringLiteral("Error 6.")});
    }

    void trapEndings()
    {
        ErrorPolicy ending = ErrorPolicy::shortMsg();
        ending.endAfterError = true;
        bool ran = true;
        QCOMPARE(trapped(ending, RuntimeError::overflow(), &ran), QStringList{QStringLiteral("Error 6.")});
        QVERIFY(!ran);

        FakeDesktop d;
        Trap trap(*d.ctx, ErrorPolicy::shortMsg());
        QStringList steps;
        trap([&] { steps << QStringLiteral("first"); });
        trap([&] { steps << QStringLiteral("end"); d.ctx->endProgram(0); });
        trap([&] { steps << QStringLiteral("after"); d.ctx->endProgram(3); });
        QCOMPARE(steps, (QStringList{QStringLiteral("first"), QStringLiteral("end")}));
        QVERIFY(!trap.active());
        QCOMPARE(d.process.ends, QList<int>{0});
        d.ctx->error(QStringLiteral("too late"));
        QVERIFY(d.messages.shown.isEmpty());
    }

    void windowRegistry()
    {
        WindowRegistry reg;
        auto host = std::make_unique<QWidget>(), main = std::make_unique<QWidget>();
        auto first = std::make_unique<QWidget>(), second = std::make_unique<QWidget>();
        setFormTag(first.get(), QStringLiteral("3"));
        setFormTag(second.get(), QStringLiteral("3"));
        for (QWidget *w : {host.get(), main.get(), first.get(), second.get(), main.get()})
            reg.join(w);
        QCOMPARE(reg.windows(), (QList<QWidget *>{host.get(), main.get(), first.get(), second.get()}));
        QCOMPARE(reg.at(2), first.get());
        QCOMPARE(reg.findByTag(QStringLiteral("3")), first.get());
        QCOMPARE(reg.findByTag(QStringLiteral("4")), nullptr);
        QCOMPARE(errorNumber([&] { reg.at(4); }), 9);
        QCOMPARE(errorNumber([&] { reg.at(-1); }), 9);

        reg.leave(first.get());
        QVERIFY(!reg.contains(first.get()));
        QCOMPARE(reg.count(), 3);
        QCOMPARE(reg.findByTag(QStringLiteral("3")), second.get());
        QCOMPARE(reg.at(2), second.get());

        main.reset(); // a destroyed window drops out of the list
        QCOMPARE(reg.windows(), (QList<QWidget *>{host.get(), second.get()}));
    }
};

QTEST_MAIN(TstGeometry)
#include "tst_geometry.moc"
