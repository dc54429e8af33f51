#include "engine/WebPage.h"
#include "engine/PopupWindow.h"
#include "engine/WebSession.h"
#include "platform/Services.h"
#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSslCertificate>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

WebPage::WebPage(WebSession &session, QObject *parent)
    : QWebEnginePage(session.profile(), parent), m_session(session)
{
    connect(this, &QWebEnginePage::newWindowRequested, this, &WebPage::onNewWindow);
    connect(this, &QWebEnginePage::authenticationRequired, this, [this](const QUrl &url, QAuthenticator *auth) {
        const QString who = siteName(url);
        askCredentials(url.scheme() + QStringLiteral("://") + who + QLatin1Char('|') + auth->realm(), who,
                       auth->realm(), auth);
    });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                askCredentials(QStringLiteral("proxy:") + proxyHost + QLatin1Char('|') + auth->realm(),
                               QStringLiteral("The proxy ") + proxyHost, auth->realm(), auth);
            });
    connect(this, &QWebEnginePage::certificateError, this, &WebPage::onCertificateError);
    connect(this, &QWebEnginePage::loadFinished, this, [this] {
        m_credentialsTried.clear();
        m_formResult = m_formPending;
        if (m_formResult)
            m_formPages.insert(url());
    });
    connect(this, &QWebEnginePage::featurePermissionRequested, this, &WebPage::onPermissionRequested);
    connect(this, &QWebEnginePage::featurePermissionRequestCanceled, this, &WebPage::permissionSettled);
    m_session.addPage(this);
}

WebPage::~WebPage()
{
    m_session.removePage(this);
}

QString WebPage::originKey(const QUrl &url)
{
    QUrl origin;
    origin.setScheme(url.scheme());
    origin.setHost(url.host());
    origin.setPort(url.port());
    return origin.toString();
}

QList<SiteSettings::Permission> WebPage::permissionsFor(Feature feature)
{
    using P = SiteSettings::Permission;
    switch (feature) {
    case Notifications: return {P::Notifications};
    case Geolocation: return {P::Location};
    case MediaAudioCapture: return {P::Microphone};
    case MediaVideoCapture: return {P::Camera};
    case MediaAudioVideoCapture: return {P::Camera, P::Microphone};
    case MouseLock: return {P::PointerLock};
    case DesktopVideoCapture: return {P::Screen};
    case DesktopAudioVideoCapture: return {P::ScreenAudio};
    }
    return {};
}

QString WebPage::featureText(Feature feature)
{
    if (feature == MediaAudioVideoCapture)
        return QStringLiteral("use your camera and microphone");
    const auto wants = permissionsFor(feature);
    return wants.isEmpty() ? QStringLiteral("use a feature of this computer") : SiteSettings::permissionText(wants.first());
}

// A kept "block" for any part refuses at once; kept "allow" for every part grants at
// once; anything else is asked, without holding up the page or the program.
void WebPage::onPermissionRequested(const QUrl &origin, Feature feature)
{
    const QList<SiteSettings::Permission> wants = permissionsFor(feature);
    bool allKept = !wants.isEmpty();
    for (SiteSettings::Permission p : wants) {
        std::optional<bool> kept = m_session.sites().permission(originKey(origin), p);
        if (kept == true && !SiteSettings::keepsAllow(p))
            kept.reset();
        if (kept == false) {
            setFeaturePermission(origin, feature, PermissionDeniedByUser);
            return;
        }
        allKept = allKept && kept.has_value();
    }
    if (wants.isEmpty())
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    else if (allKept)
        setFeaturePermission(origin, feature, PermissionGrantedByUser);
    else
        emit permissionWanted(origin, feature);
}

void WebPage::answerPermission(const QUrl &origin, Feature feature, bool allow, bool remember)
{
    if (remember)
        for (SiteSettings::Permission p : permissionsFor(feature))
            if (!allow || SiteSettings::keepsAllow(p))
                m_session.sites().setPermission(originKey(origin), p, allow);
    setFeaturePermission(origin, feature, allow ? PermissionGrantedByUser : PermissionDeniedByUser);
    emit permissionSettled(origin, feature);
}

void WebPage::forgetPermission(const QString &origin, SiteSettings::Permission permission)
{
    m_session.sites().forgetPermission(origin, permission);
    // The engine keeps its own answers for notifications and location until it closes.
    for (Feature f : {Notifications, Geolocation})
        if (permissionsFor(f).contains(permission))
            setFeaturePermission(QUrl(origin), f, PermissionUnknown);
}

QString WebPage::siteName(const QUrl &url)
{
    if (url.host().isEmpty())
        return url.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveFragment);
    return url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port()) : url.host();
}

QString WebPage::siteName() const
{
    return siteName(url());
}

QWidget *WebPage::dialogParent() const
{
    QWebEngineView *view = QWebEngineView::forPage(this);
    return view ? view->window() : nullptr;
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!isMainFrame)
        return true;
    // A form's answer that redirects elsewhere (the usual way) is an ordinary page.
    if (type == NavigationTypeFormSubmitted)
        m_formPending = true;
    else if (type == NavigationTypeReload)
        m_formPending = m_formResult;
    else if (type == NavigationTypeBackForward)
        m_formPending = m_formPages.contains(url);
    else
        m_formPending = false;
    emit mainFrameNavigation();
    return true;
}

void WebPage::triggerAction(WebAction action, bool checked)
{
    if ((action == Reload || action == ReloadAndBypassCache) && m_formResult) {
        // As a page's own timed refresh does: the address afresh, the form not sent.
        if (m_automaticReload)
            return load(url());
        if (!confirmResend())
            return;
    }
    QWebEnginePage::triggerAction(action, checked);
}

// The page's own dialogs: titled with the site, modal to their window only, so the
// other pages go on (and are refreshed) while one waits for an answer.
namespace {

int runWindowModal(QDialog *dialog)
{
    dialog->setWindowModality(dialog->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    QPointer<QDialog> guard(dialog);
    const int result = dialog->exec();
    if (guard)
        guard->deleteLater();
    return guard ? result : QDialog::Rejected;
}

QMessageBox *pageMessage(QWidget *parent, const QString &site, const QString &text, QMessageBox::Icon icon,
                         QMessageBox::StandardButtons buttons)
{
    auto *box = new QMessageBox(icon, site + QStringLiteral(" - Velloran"), text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(QStringLiteral("This message comes from the page at %1.").arg(site));
    return box;
}

} // namespace

void WebPage::javaScriptAlert(const QUrl &origin, const QString &msg)
{
    runWindowModal(pageMessage(dialogParent(), siteName(origin), msg, QMessageBox::Information, QMessageBox::Ok));
}

bool WebPage::javaScriptConfirm(const QUrl &origin, const QString &msg)
{
    // The engine asks its leave-this-page question through here, in its own words.
    const bool leaving = msg == QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (leaving && m_automaticReload)
        return true;
    const QString site = siteName(leaving ? url() : origin);
    QMessageBox *box = pageMessage(dialogParent(), site,
                                   leaving ? QStringLiteral("Leave this page? Changes you made on %1 may not be saved.").arg(site) : msg,
                                   QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel);
    if (!leaving)
        return runWindowModal(box) == QMessageBox::Ok;
    box->setInformativeText(QString());
    box->button(QMessageBox::Ok)->setText(QStringLiteral("&Leave"));
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("&Stay"));
    // Asked while closing, the page may be behind others: the person sees which one.
    emit wantsFront();
    m_askingToLeave = true;
    const bool leave = runWindowModal(box) == QMessageBox::Ok;
    m_askingToLeave = false;
    emit leaveAnswered(leave);
    return leave;
}

bool WebPage::confirmResend()
{
    const QString site = siteName();
    QMessageBox *box = pageMessage(dialogParent(), site,
                                   QStringLiteral("This page is the answer to a form you sent. Refreshing it sends "
                                                  "the form to %1 again, which may repeat what it did (an order, "
                                                  "a payment, a message).").arg(site),
                                   QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel);
    box->setObjectName(QStringLiteral("resendForm"));
    box->setInformativeText(QString());
    box->button(QMessageBox::Ok)->setText(QStringLiteral("&Send Again"));
    box->setDefaultButton(QMessageBox::Cancel);
    return runWindowModal(box) == QMessageBox::Ok;
}

bool WebPage::javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue, QString *result)
{
    auto *dialog = new QInputDialog(dialogParent());
    dialog->setWindowTitle(siteName(origin) + QStringLiteral(" - Velloran"));
    dialog->setLabelText(msg);
    dialog->setTextValue(defaultValue);
    QPointer<QInputDialog> guard(dialog);
    const bool ok = runWindowModal(dialog) == QDialog::Accepted;
    if (ok && guard)
        *result = guard->textValue();
    return ok && guard;
}

// A link the person opens in a new window goes to their default browser; a window a
// script opens (a sign-in or payment pop-up, asked for with its own size, or opened
// without the person's click) gets a pop-up window of ours, linked to this page.
void WebPage::onNewWindow(QWebEngineNewWindowRequest &request)
{
    const bool scripted = request.destination() == QWebEngineNewWindowRequest::InNewDialog || !request.isUserInitiated();
    if (!scripted) {
        if (m_session.shell())
            m_session.shell()->open(request.requestedUrl());
        return;
    }
    auto *popup = new PopupWindow(m_session, dialogParent(), request.requestedGeometry());
    request.openIn(popup->page());
    popup->show();
}

void WebPage::askCredentials(const QString &key, const QString &who, const QString &realm, QAuthenticator *auth)
{
    const auto kept = m_session.credentials.constFind(key);
    if (kept != m_session.credentials.cend() && !m_credentialsTried.contains(key)) {
        m_credentialsTried.insert(key);
        auth->setUser(kept->user);
        auth->setPassword(kept->password);
        return;
    }
    auto *dialog = new QDialog(dialogParent());
    dialog->setWindowTitle(QStringLiteral("Sign in to ") + who);
    auto *form = new QFormLayout(dialog);
    QString text = QStringLiteral("%1 asks for a user name and password.").arg(who.startsWith(QStringLiteral("The proxy")) ? who : QStringLiteral("The site ") + who);
    if (!realm.isEmpty())
        text += QStringLiteral("\nIt says: \u201c%1\u201d").arg(realm);
    if (m_credentialsTried.contains(key))
        text += QStringLiteral("\nThe user name or password given before was not accepted.");
    auto *intro = new QLabel(text, dialog);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    form->addRow(intro);
    auto *user = new QLineEdit(kept != m_session.credentials.cend() ? kept->user : QString(), dialog);
    user->setAccessibleName(QStringLiteral("User name"));
    auto *password = new QLineEdit(dialog);
    password->setEchoMode(QLineEdit::Password);
    password->setAccessibleName(QStringLiteral("Password"));
    form->addRow(QStringLiteral("&User name:"), user);
    form->addRow(QStringLiteral("&Password:"), password);
    auto *note = new QLabel(QStringLiteral("Kept until Velloran closes; never saved to disk."), dialog);
    form->addRow(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Sign &in"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
    QPointer<QLineEdit> userField(user), passwordField(password);
    if (runWindowModal(dialog) != QDialog::Accepted || !userField) {
        // Cancelled: the site's own page (its 401 text) is shown.
        *auth = QAuthenticator();
        return;
    }
    const WebSession::Credentials answer{userField->text(), passwordField->text()};
    m_session.credentials.insert(key, answer);
    m_credentialsTried.insert(key);
    auth->setUser(answer.user);
    auth->setPassword(answer.password);
}

namespace {

QString certificateReason(const QWebEngineCertificateError &e, const QString &host)
{
    switch (e.type()) {
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return QStringLiteral("was not issued by an authority this computer trusts (it may be self-signed)");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return QStringLiteral("has expired or is not valid yet");
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return QStringLiteral("was issued for another name, not for %1").arg(host);
    case QWebEngineCertificateError::CertificateRevoked:
        return QStringLiteral("has been withdrawn by its issuer");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
        return QStringLiteral("is protected by weak cryptography");
    default:
        return QStringLiteral("is not valid (%1)").arg(e.description());
    }
}

} // namespace

// Nothing is ever accepted silently: the person chooses to continue, for that host and
// that certificate, for this run only.
void WebPage::onCertificateError(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError e(error);
    CertificateProblem problem;
    problem.url = e.url();
    problem.host = siteName(e.url());
    problem.overridable = e.isOverridable();
    const QList<QSslCertificate> chain = e.certificateChain();
    const QByteArray digest = chain.isEmpty() ? QByteArray() : chain.first().digest(QCryptographicHash::Sha256).toHex();
    problem.key = problem.host + QLatin1Char('|') + QString::fromLatin1(digest);
    if (problem.overridable && !digest.isEmpty() && m_session.acceptedCertificates.contains(problem.key)) {
        e.acceptCertificate();
        return;
    }
    e.rejectCertificate();
    problem.reason = certificateReason(e, e.url().host());
    if (digest.isEmpty())
        problem.overridable = false;
    emit certificateRefused(problem);
}
