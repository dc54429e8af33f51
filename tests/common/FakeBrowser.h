#pragma once
#include "engine/BrowserControl.h"
#include <QHash>
#include <QStringList>

// A browser control for tests: records every call, keeps a simple history, and lets
// a test raise each event or make an operation fail with a chosen error number.
class FakeBrowser : public BrowserControl
{
    Q_OBJECT
public:
    explicit FakeBrowser(QWidget *parent = nullptr);

    QStringList calls;              // "Navigate <url>", "Refresh", "GoBack", ...
    QHash<QString, int> failures;   // operation name -> error number to throw
    QString url;
    QString title;
    QStringList backStack, forwardStack;

    int count(const QString &call) const;

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;
    QString LocationURL() const override { return url; }
    QString LocationName() const override { return title; }
    void Cut() override { record(QStringLiteral("Cut")); }
    void Copy() override { record(QStringLiteral("Copy")); }
    void Paste() override { record(QStringLiteral("Paste")); }
    void SelectAll() override { record(QStringLiteral("SelectAll")); }
    void Find(const QString &text, bool backward) override;
    void Print() override { record(QStringLiteral("Print")); }
    void focusPage() override;

    bool stays = false;             // mayLeave: the person answers the page's guard with Stay
    bool mayLeave() override
    {
        calls.append(QStringLiteral("mayLeave"));
        return !stays;
    }

    QString text;                   // what pageText answers
    void pageText(std::function<void(const QString &)> answer) override { answer(text); }

    bool editing = false;           // what queryUserEdits answers
    void queryUserEdits(std::function<void(bool)> answer) override
    {
        calls.append(QStringLiteral("queryUserEdits"));
        answer(editing);
    }

    // Simulates the whole load of the operation called last, in the real engine's order:
    // BeforeNavigate2, DownloadBegin, NavigateComplete2 (not for a reload, which keeps
    // the address), the history state (forward, back), DownloadComplete.
    void finishLoad(const QString &pageTitle);

private:
    void record(const QString &call);
    bool m_addressChanging = true;
};
