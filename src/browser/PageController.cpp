#include "browser/PageController.h"
#include "engine/BrowserControl.h"
#include "browser/PageKeeper.h"
#include "platform/AppContext.h"
#include <QLineEdit>

PageController::PageController(AppContext &ctx, QWidget *window, BrowserControl *browser, VToolBar *toolbar,
                               QLineEdit *address, std::function<QString()> caption, Policies policies)
    : QObject(browser), m_ctx(ctx), m_window(window), m_browser(browser), m_toolbar(toolbar), m_address(address),
      m_policies(std::move(policies))
{
    m_keeper = new PageKeeper(ctx, browser, browser->parentWidget(), std::move(caption));
    connect(m_keeper, &PageKeeper::noteChanged, this, &PageController::noteChanged);
    connect(browser, &BrowserControl::BeforeNavigate2, this, &PageController::WebBrowser1_BeforeNavigate2);
    connect(browser, &BrowserControl::CommandStateChange, this, &PageController::WebBrowser1_CommandStateChange);
    connect(browser, &BrowserControl::DownloadBegin, this, &PageController::WebBrowser1_DownloadBegin);
    connect(browser, &BrowserControl::DownloadComplete, this, &PageController::WebBrowser1_DownloadComplete);
    connect(browser, &BrowserControl::NavigateComplete2, this, &PageController::WebBrowser1_NavigateComplete2);
}

QList<VToolBar::ButtonSpec> PageController::navigationSpecs()
{
    using S = VToolBar::ButtonStyle;
    return {
        {S::Button, QStringLiteral("cmdRefresh"), QStringLiteral("Refresh"), QStringLiteral(":/icons/refresh.svg")},
        {S::Button, QStringLiteral("cmdBack"), QStringLiteral("Go Back"), QStringLiteral(":/icons/back.svg"), false},
        {S::Button, QStringLiteral("cmdForward"), QStringLiteral("Go Forward"), QStringLiteral(":/icons/forward.svg"), false},
        {S::Button, {}, QStringLiteral("Stop downloading"), QStringLiteral(":/icons/stop.svg"), false},
        {S::Button, {}, QStringLiteral("Home"), QStringLiteral(":/icons/home.svg")},
    };
}

ErrorPolicy PageController::loadPolicy() const
{
    ErrorPolicy p;
    p.custom = [&ctx = m_ctx, toolbar = m_toolbar](const RuntimeError &e) {
        if (e.number() < 0)
            return false;
        toolbar->setButtonEnabled(Stop, false);
        ctx.setScreenBusy(false);
        ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                  + QStringLiteral(". Unable to load web page."));
        return true;
    };
    return p;
}

void PageController::RefreshPage()
{
    m_keeper->userRefreshed();
    m_browser->Refresh();
}

void PageController::NavigateBack()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    t([&] { m_browser->GoBack(); });
}

void PageController::NavigateForward() { m_browser->GoForward(); }

void PageController::WebBrowser1_BeforeNavigate2()
{
    Trap t(m_ctx, m_policies.beforeNavigate);
    // No history moves until the engine says so.
    t([&] {
        m_toolbar->setButtonEnabled(Back, false);
        m_toolbar->setButtonEnabled(Forward, false);
        m_toolbar->setButtonEnabled(Stop, true);
    });
}

void PageController::WebBrowser1_CommandStateChange(int command, bool enable)
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    // Command 1 is forward, 2 is back; others change nothing.
    t([&] {
        if (command == 1)
            m_toolbar->setButtonEnabled(Forward, enable);
        else if (command == 2)
            m_toolbar->setButtonEnabled(Back, enable);
    });
}

void PageController::WebBrowser1_DownloadBegin()
{
    Trap t(m_ctx, m_policies.downloadBegin);
    // A busy pointer rather than a blocking hourglass: the page stays usable while it loads.
    t([&] { m_window->setCursor(Qt::BusyCursor); });
    t([&] { m_toolbar->setButtonEnabled(Stop, true); });
    t([&] { emit downloadStarted(); });
}

void PageController::WebBrowser1_DownloadComplete()
{
    Trap t(m_ctx, ErrorPolicy::navigation());
    t([&] { m_window->unsetCursor(); });
    t([&] { m_keeper->pageLoaded(); });
    t([&] { emit loadedNote(m_keeper->note()); });
    t([&] { m_toolbar->setButtonEnabled(Stop, false); });
    t([&] { emit relayoutWanted(); });
    t([&] { m_address->setText(m_browser->LocationName()); });
    t([&] { emit loadFinished(); });
}

void PageController::WebBrowser1_NavigateComplete2()
{
    Trap t(m_ctx, m_policies.navigateComplete);
    t([&] { m_ctx.setScreenBusy(false); });
}
