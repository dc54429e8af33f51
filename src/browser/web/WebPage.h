#pragma once
#include <QSet>
#include <QWebEnginePage>

class QAuthenticator;
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

    // Set just before a reload nobody is at the page for: the page's leave-this-page
    // question is answered "leave" for that one reload.
    void setAutomaticReload(bool on) { m_automaticReload = on; }
    bool automaticReload() const { return m_automaticReload; }

    WebSession &session() const { return m_session; }
    QString siteName() const;

    static QString siteName(const QUrl &url);

signals:
    void mainFrameNavigation();
    void certificateRefused(const CertificateProblem &problem);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &origin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue,
                          QString *result) override;

private:
    void onNewWindow(QWebEngineNewWindowRequest &request);
    void askCredentials(const QString &key, const QString &who, const QString &realm, QAuthenticator *auth);
    void onCertificateError(const QWebEngineCertificateError &error);
    QWidget *dialogParent() const;

    WebSession &m_session;
    bool m_automaticReload = false;
    QSet<QString> m_credentialsTried; // kept answers already given in this load
};
