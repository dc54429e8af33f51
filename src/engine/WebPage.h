#pragma once
#include "engine/SiteSettings.h"
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWebEnginePage>

class QAuthenticator;
class QDialog;
class PopupWindow;
class WebSession;

// What a certificate error leaves for the person to read, and to decide on when the
// error may be overridden.
struct CertificateProblem
{
    QUrl url;
    QString host;
    QString reason;     // "… was not issued by an authority …", to follow "Its certificate"
    bool overridable = false;
    QString key;        // host and certificate, for the run's exceptions
};

// A page of Velloran's: answers what the engine leaves to its embedder (new windows,
// sign-in, certificates, the page's own dialogs) the way a person's browser does.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    WebPage(WebSession &session, QObject *parent);
    ~WebPage() override;

    // Set just before a reload nobody is at the page for: the page's leave-this-page
    // question is answered "leave" for that one reload.
    void setAutomaticReload(bool on) { m_automaticReload = on; }
    bool automaticReload() const { return m_automaticReload; }
    // Reloading goes through here: the answer to a form the person sent is not sent
    // again unasked (an automatic reload loads its address afresh instead).
    void triggerAction(WebAction action, bool checked = false) override;
    // The page shown is what a form sent (not redirected elsewhere) answered.
    bool isFormResult() const { return m_formResult; }

    // The page's leave-this-page question is on screen.
    bool askingToLeave() const { return m_askingToLeave; }
    // Set while the person closes the page, leaves it or refreshes it: only then may
    // its leave question bring its window to the front.
    void setLeaveRequested(bool on) { m_leaveRequested = on; }
    // Whether the person is at this page now: it is shown, in the active window. Only then may one of its questions wait for an answer.
    bool personAtPage() const;

    // Pop-up windows a page may have open at once without the person's click.
    static constexpr int kUnaskedPopups = 3;

    WebSession &session() const { return m_session; }
    // A page of a pop-up window rather than of one of the person's browser windows.
    bool isPopup() const { return m_popup; }
    void setPopup(bool on) { m_popup = on; }
    QString siteName() const;

    static QString siteName(const QUrl &url);
    // Addresses the engine shows itself (about:, data:, file: ...), never handed out.
    static bool engineShows(const QUrl &url);
    // scheme://host[:port]: where the person's permission answers are kept.
    static QString originKey(const QUrl &url);
    // The window the page's dialogs belong to.
    QWidget *dialogParent() const;

    // What a feature request asks for in the person's terms, and what it is kept as.
    static QList<SiteSettings::Permission> permissionsFor(Feature feature);
    static QString featureText(Feature feature);
    // The person's answer to a request the page is waiting on; kept for the site unless
    // `remember` is off (Not Now).
    void answerPermission(const QUrl &origin, Feature feature, bool allow, bool remember);
    // Withdraws a kept answer: the site asks again the next time it wants it.
    void forgetPermission(const QString &origin, SiteSettings::Permission permission);

signals:
    void mainFrameNavigation();
    void certificateRefused(const CertificateProblem &problem);
    // A site asks for something the person has not answered for it yet.
    void permissionWanted(const QUrl &origin, QWebEnginePage::Feature feature);
    void permissionSettled(const QUrl &origin, QWebEnginePage::Feature feature);
    // A line for the status bar of the page's window (downloads, notifications).
    void statusMessage(const QString &text);
    // The person asked to see this page (clicked one of its notifications).
    void wantsFront();
    // The person answered the page's leave-this-page question.
    void leaveAnswered(bool leave);
    // Something the page said, or a question answered for the person, for the bar
    // under the page: nothing waits for it.
    void pageSays(const QString &text);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &origin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue,
                          QString *result) override;

private:
    bool confirmResend();
    bool mayAsk() const;
    bool askLeave(const QString &site);
    void openCredentialsDialog(const QString &key, const QString &who, const QString &realm, bool rejected);
    bool isMainFrameError(const QUrl &url) const;
    void onNewWindow(QWebEngineNewWindowRequest &request);
    void askCredentials(const QString &key, const QString &who, const QString &realm, QAuthenticator *auth);
    void onCertificateError(const QWebEngineCertificateError &error);
    void onPermissionRequested(const QUrl &origin, Feature feature);

    WebSession &m_session;
    bool m_automaticReload = false;
    bool m_askingToLeave = false;
    bool m_formPending = false;   // the main frame's navigation under way sends a form
    bool m_formResult = false;
    QSet<QUrl> m_formPages;       // addresses seen as form answers, for Back and Forward
    bool m_popup = false;
    QSet<QString> m_credentialsTried; // kept answers already given in this load
    QHash<QString, QPointer<QDialog>> m_signIns; // sign-in dialogs open, by site and realm
    bool m_leaveRequested = false;
    bool m_questionsIgnored = false; // one of its questions timed out since it loaded
    QList<QUrl> m_mainNavigations;  // the main frame's navigation under way, redirects included
    QList<QPointer<PopupWindow>> m_unaskedPopups;
};
