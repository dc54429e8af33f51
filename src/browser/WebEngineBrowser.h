#pragma once
#include "browser/BrowserControl.h"

class QWebEngineProfile;
class QWebEngineView;

// The real browser control: a QWebEngineView on the program's persistent profile.
// This is the only place that includes the web engine's headers.
class WebEngineBrowser : public BrowserControl
{
    Q_OBJECT
public:
    WebEngineBrowser(QWebEngineProfile *profile, QWidget *parent = nullptr);

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;
    QString LocationURL() const override;
    QString LocationName() const override;
    void Cut() override;
    void Copy() override;
    void Paste() override;
    void SelectAll() override;
    void Find(const QString &text, bool backward) override;
    void Print() override;
    void focusPage() override;
    void queryUserEdits(std::function<void(bool editing)> answer) override;

    QWebEngineView *view() const { return m_view; }

    // The persistent profile kept under the data folder (cookies, logins, cache).
    static QWebEngineProfile *createProfile(const QString &dataFolder, QObject *parent);

private:
    void updateHistoryState();

    QWebEngineView *m_view;
    bool m_canBack = false;
    bool m_canForward = false;
};
