// Time from a click on a tab of the strip to that tab's window painted on screen.
// The whole program runs in-process on its real widgets; the pages are fakes, so
// the figure is Velloran's own work (the engine's view would only add its compositing).
//
// Prints one line for the benchmark script:
//   TABCLICK clicks=N median_ms=M min_ms=A max_ms=B
#include "FakeBrowser.h"
#include "FakeServices.h"
#include "app/frmRightClick.h"
#include "browser/BrowserWindowBase.h"
#include "mainwindow/MDIForm1.h"
#include "platform/PanelBar.h"
#include <QElapsedTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>

namespace {

// Notes the first paint a watched window receives.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

class TabClickBench : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void tabClickToShown();

private:
    // Clicks the tab of `slot` and returns the milliseconds until its window painted.
    double clickAndWait(int slot);

    FakeDesktop *m_desk = nullptr;
    frmRightClick *m_host = nullptr;
    QList<double> m_samples;
};

void TabClickBench::initTestCase()
{
    m_desk = new FakeDesktop;
    QByteArray dat;
    for (int s = 1; s <= 8; ++s)
        dat += QByteArray::number(s) + ",\"http://127.0.0." + QByteArray::number(s) + "/\",-1,\"Site " +
               QByteArray::number(s) + "\"\r\n";
    m_desk->writeFile(QStringLiteral("velloran.dat"), dat);
    m_desk->writeFile(QStringLiteral("velloran.ini"), "0,0,1,0,0,-1\r\n"); // tabbed, no timed reload
    m_host = new frmRightClick(*m_desk->ctx);
    m_host->Form_Load();
    MDIForm1 *m = m_desk->ctx->mainForm;
    QVERIFY(m);
    QCOMPARE(m->childWindows().size(), 8);
    QVERIFY(QTest::qWaitForWindowExposed(m));
    QTest::qWait(200);
}

void TabClickBench::cleanupTestCase()
{
    if (!m_samples.isEmpty()) {
        QList<double> s = m_samples;
        std::sort(s.begin(), s.end());
        const qsizetype n = s.size();
        const double median = n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
        std::printf("TABCLICK clicks=%lld median_ms=%.3f min_ms=%.3f max_ms=%.3f\n", (long long)n, median,
                    s.first(), s.last());
        std::fflush(stdout);
    }
    if (m_desk) {
        delete m_desk->ctx->mainForm.data();
        delete m_host;
        delete m_desk;
    }
}

double TabClickBench::clickAndWait(int slot)
{
    MDIForm1 *m = m_desk->ctx->mainForm;
    BrowserWindowBase *target = nullptr;
    for (BrowserWindowBase *w : m->childWindows())
        if (w->tag() == QString::number(slot))
            target = w;
    if (!target)
        return -1;
    PaintWatch watch;
    target->installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(m->StatusBarTabs->cell(slot + 1), Qt::LeftButton);
    // A window counts as shown once it is visible and has painted itself.
    while (!(target->isVisible() && watch.painted) && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    target->removeEventFilter(&watch);
    return (target->isVisible() && watch.painted) ? ms : -1;
}

void TabClickBench::tabClickToShown()
{
    MDIForm1 *m = m_desk->ctx->mainForm;
    int slot = m->activeChild() ? m->activeChild()->slot() : 1;
    // One benchmark iteration visits every tab once, always moving to another tab.
    QBENCHMARK {
        for (int i = 0; i < 8; ++i) {
            slot = slot % 8 + 1;
            const double ms = clickAndWait(slot);
            QVERIFY2(ms >= 0, "the clicked tab's window was not shown");
            m_samples.append(ms);
        }
    }
    QCOMPARE(m->activeChild()->slot(), slot);
    QVERIFY(m_desk->messages.shown.isEmpty());
}

QTEST_MAIN(TabClickBench)
#include "bench_tabclick.moc"
