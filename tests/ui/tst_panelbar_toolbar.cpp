#include "platform/PanelBar.h"
#include "core/RuntimeError.h"
#include "platform/ToolBar.h"

#include <QAccessible>
#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "TestHelpers.h"
#include <functional>

static void initIcons() { Q_INIT_RESOURCE(velloran); }

namespace {

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

using Style = VToolBar::ButtonStyle;
QList<VToolBar::ButtonSpec> sampleButtons()
{
    return {{Style::Button, QStringLiteral("back"), QStringLiteral("Back"), QStringLiteral(":/icons/back.svg")},
            {Style::Separator, {}, {}, {}},
            {Style::Button, QStringLiteral("forward"), QStringLiteral("Forward"), QStringLiteral(":/icons/forward.svg")},
            {Style::Placeholder, QStringLiteral("gap"), {}, {}},
            {Style::Button, QStringLiteral("home"), QStringLiteral("Home"), QStringLiteral(":/icons/home.svg")}};
}
} // namespace

class TstPanelBarToolBar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initIcons(); }

    void iconsLoadFromResources()
    {
        for (const char *name : {"refresh", "stop", "tip", "velloran"}) {
            const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
            QVERIFY2(!QIcon(path).pixmap(16, 16).isNull(), qPrintable(path));
        }
    }

    void toolBarIndicesAreFixed()
    {
        VToolBar bar(sampleButtons());
        QCOMPARE(bar.buttonCount(), 5);
        QCOMPARE(bar.buttonKey(3), QStringLiteral("forward"));
        QCOMPARE(bar.buttonStyle(2), Style::Separator);
        QCOMPARE(bar.buttonStyle(4), Style::Placeholder);
        QCOMPARE(bar.buttonToolTip(5), QStringLiteral("Home"));
        QCOMPARE(errorNumber([&] { bar.buttonKey(0); }), 9);
        QCOMPARE(errorNumber([&] { bar.setButtonEnabled(6, true); }), 9);
        QCOMPARE(errorNumber([&] { bar.buttonKey(5); }), 0);
    }

    void toolBarClicks()
    {
        VToolBar bar(sampleButtons());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy spy(&bar, &VToolBar::buttonClick);

        auto *forward = qobject_cast<QToolButton *>(bar.widgetForAction(bar.buttonAction(3)));
        QVERIFY(forward);
        QVERIFY(forward->focusPolicy() & Qt::TabFocus);
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 3);

        bar.setButtonEnabled(5, false);
        QVERIFY(!bar.buttonEnabled(5));
        bar.buttonAction(5)->trigger();
        QCOMPARE(spy.size(), 0);

        bar.setButtonVisible(1, false);
        QVERIFY(!bar.buttonVisible(1));
        QCOMPARE(bar.buttonKey(3), QStringLiteral("forward")); // hiding shifts nothing
    }

    void toolBarToolTipIsAccessibleName()
    {
        VToolBar bar(sampleButtons());
        QWidget *back = bar.widgetForAction(bar.buttonAction(1));
        QCOMPARE(accessibleName(back), QStringLiteral("Back"));
        bar.setButtonToolTip(1, QStringLiteral("Back to the previous page"));
        QCOMPARE(bar.buttonAction(1)->toolTip(), QStringLiteral("Back to the previous page"));
        QCOMPARE(accessibleName(back), QStringLiteral("Back to the previous page"));
    }

    void panelBarProperties()
    {
        PanelBar bar;
        bar.setPanels(QList<PanelBar::PanelSpec>(10, PanelBar::PanelSpec{1200, {}, false}));
        QCOMPARE(bar.panelCount(), 10);
        bar.setText(3, QStringLiteral("News"));
        bar.setToolTip(3, QStringLiteral("https://example.org/news"));
        bar.setTag(3, 42);
        bar.setBevel(3, 1);
        QCOMPARE(bar.text(3), QStringLiteral("News"));
        QCOMPARE(bar.toolTip(3), QStringLiteral("https://example.org/news"));
        QCOMPARE(bar.tag(3).toInt(), 42);
        QCOMPARE(bar.bevel(3), 1);
        QCOMPARE(bar.bevel(4), 0);
        QCOMPARE(errorNumber([&] { bar.text(11); }), 9);
        QCOMPARE(errorNumber([&] { bar.setBevel(0, 2); }), 9);

        // Name follows the text, falls back to the tooltip, then to a generic label.
        QCOMPARE(accessibleName(bar.cell(3)), QStringLiteral("News"));
        bar.setText(3, QString());
        QCOMPARE(accessibleName(bar.cell(3)), QStringLiteral("https://example.org/news"));
        QCOMPARE(accessibleName(bar.cell(5)), QStringLiteral("Panel 5"));
        bar.setText(5, QStringLiteral("Mail"));
        QCOMPARE(accessibleName(bar.cell(5)), QStringLiteral("Mail"));
    }

    void panelBarClicksAndKeys()
    {
        PanelBar bar;
        bar.setPanels(QList<PanelBar::PanelSpec>(10, PanelBar::PanelSpec{1200, {}, false}));
        bar.show();
        bar.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bar));
        QCOMPARE(bar.cell(2)->width(), 80); // 1200 twips at 15 twips per pixel
        QVERIFY(bar.sizeHint().height() >= bar.fontMetrics().height());
        QSignalSpy spy(&bar, &PanelBar::panelClick);

        QTest::mouseClick(bar.cell(4), Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 4);

        bar.cell(7)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(bar.cell(7), Qt::Key_Space);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 7);

        QTest::keyClick(bar.cell(7), Qt::Key_Right);
        QVERIFY(bar.cell(8)->hasFocus());
        QTest::keyClick(bar.cell(8), Qt::Key_Return);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.takeFirst().at(0).toInt(), 8);
    }

    void panelBarStretchCellTakesTheRest()
    {
        PanelBar bar;
        bar.setPanels({{0, QStringLiteral("Done"), true}, {1500, {}, false}});
        bar.resize(400, bar.sizeHint().height());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QCOMPARE(bar.cell(2)->width(), 100);
        QVERIFY(bar.cell(1)->width() > 250);
    }
};

QTEST_MAIN(TstPanelBarToolBar)
#include "tst_panelbar_toolbar.moc"
