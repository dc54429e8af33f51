#include "FakeBrowser.h"
#include "core/RuntimeError.h"

FakeBrowser::FakeBrowser(QWidget *parent) : BrowserControl(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

int FakeBrowser::count(const QString &call) const
{
    int n = 0;
    for (const QString &c : calls)
        if (c == call || c.startsWith(call + QLatin1Char(' ')))
            ++n;
    return n;
}

void FakeBrowser::record(const QString &call)
{
    const QString op = call.section(QLatin1Char(' '), 0, 0);
    calls.append(call);
    if (failures.contains(op))
        throw RuntimeError(failures.value(op), QStringLiteral("Fake failure"));
}

void FakeBrowser::Navigate(const QString &address)
{
    record(QStringLiteral("Navigate ") + address);
    if (!url.isEmpty())
        backStack.append(url);
    forwardStack.clear();
    url = address;
    m_addressChanging = true;
}

void FakeBrowser::GoBack()
{
    record(QStringLiteral("GoBack"));
    if (backStack.isEmpty())
        throw RuntimeError::componentFailure();
    forwardStack.append(url);
    url = backStack.takeLast();
    m_addressChanging = true;
}

void FakeBrowser::GoForward()
{
    record(QStringLiteral("GoForward"));
    if (forwardStack.isEmpty())
        throw RuntimeError::componentFailure();
    backStack.append(url);
    url = forwardStack.takeLast();
    m_addressChanging = true;
}

void FakeBrowser::Refresh()
{
    record(QStringLiteral("Refresh"));
    m_addressChanging = false;
}
void FakeBrowser::Stop() { record(QStringLiteral("Stop")); }

void FakeBrowser::Find(const QString &text, bool backward)
{
    record(QStringLiteral("Find ") + text + (backward ? QStringLiteral(" back") : QString()));
    emit findFinished(text, title.contains(text, Qt::CaseInsensitive) ? 1 : 0);
}

void FakeBrowser::focusPage()
{
    calls.append(QStringLiteral("focusPage"));
    setFocus();
    emit GotFocus();
}

void FakeBrowser::finishLoad(const QString &pageTitle)
{
    title = pageTitle;
    emit BeforeNavigate2();
    emit DownloadBegin();
    if (m_addressChanging)
        emit NavigateComplete2();
    emit CommandStateChange(1, !forwardStack.isEmpty());
    emit CommandStateChange(2, !backStack.isEmpty());
    emit DownloadComplete();
}
