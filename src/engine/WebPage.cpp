#include "engine/WebPage.h"
#include "engine/ExternalLinks.h"
#include "engine/PageDialogs.h"
#include "engine/PopupWindow.h"
#include "engine/WebSession.h"
#include "platform/Services.h"
#include <QApplication>
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
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>
#include <algorithm>

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
        m_questionsIgnored = false;
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
    // A frame of another site inside the page (an advert, a widget) is refused: an
    // answer kept for it would hold on every site that embeds it, unseen.
    if (originKey(origin) != originKey(url())) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
        return;
    }
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

bool WebPage::personAtPage() const
{
    QWidget *window = dialogParent();
    return window && isVisible() && window->isActiveWindow();
}

// A page asking again and again after a question went unanswered would stop every
// page for the same ten seconds each time: until it loads again it is answered at once.
bool WebPage::mayAsk() const
{
    return !m_questionsIgnored && personAtPage();
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A link for something the engine does not show itself comes here before the
    // engine would hand it to the desktop: it goes only where the person agrees.
    if (ExternalLinks::kind(url) != ExternalLinks::Kind::Web && !WebPage::engineShows(url)) {
        if (type == NavigationTypeLinkClicked || type == NavigationTypeTyped) {
            const QString site = siteName();
            QPointer<WebPage> self(this);
            // Not inside the engine's call: the question must not hold the other pages.
            QTimer::singleShot(0, this, [self, url, site] {
                if (self)
                    ExternalLinks::open(url, site, self->m_session.shell(), self->dialogParent(),
                                        [self](const QString &text) { if (self) emit self->statusMessage(text); });
            });
        }
        return false;
    }
    if (!isMainFrame)
        return true;
    if (type == NavigationTypeRedirect)
        m_mainNavigations.append(url);
    else
        m_mainNavigations = {url};
    // A form's answer that redirects elsewhere (the usual way) is an ordinary page.
    if (type == NavigationTypeFormSubmitted)
        m_formPending = true;
    else if (type == NavigationTypeReload)
        m_formPending = m_formResult;
    else if (type == NavigationTypeBackForward)
        m_formPending = m_formPages.contains(url);
    else if (type != NavigationTypeRedirect)
        m_formPending = false;
    emit mainFrameNavigation();
    return true;
}

bool WebPage::engineShows(const QUrl &url)
{
    static const QStringList shown{QStringLiteral("about"), QStringLiteral("data"), QStringLiteral("blob"),
                                   QStringLiteral("file"), QStringLiteral("view-source"), QStringLiteral("chrome"),
                                   QStringLiteral("chrome-error"), QStringLiteral("qrc"), QStringLiteral("filesystem"),
                                   QStringLiteral("javascript"), QStringLiteral("chrome-extension"),
                                   QStringLiteral("devtools")};
    return shown.contains(url.scheme().toLower());
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

// The page's own dialogs, titled with the site. Inside the engine's call every page
// waits for the answer, so alert() only shows its message under the page, and a
// question waits only for a person who is at the page, and briefly (PageDialogs).
namespace {

QMessageBox *pageMessage(QWidget *parent, const QString &site, const QString &text, QMessageBox::Icon icon,
                         QMessageBox::StandardButtons buttons)
{
    auto *box = new QMessageBox(icon, site + QStringLiteral(" - Velloran"), text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(QStringLiteral("This message comes from the page at %1.").arg(site));
    return box;
}

QString cut(const QString &text)
{
    return text.size() > 500 ? text.left(500) + QStringLiteral("...") : text;
}

// Runs a page's question briefly; `fromPage` is the line naming where it came from.
int askPageQuestion(QMessageBox *box, const QString &fromPage, const QString &timeoutAnswer)
{
    return PageDialogs::askBriefly(box, [box, fromPage, timeoutAnswer](int left) {
        box->setInformativeText(fromPage + QLatin1Char('\n') + PageDialogs::countdownText(left, timeoutAnswer));
    });
}

} // namespace

void WebPage::javaScriptAlert(const QUrl &origin, const QString &msg)
{
    emit pageSays(QStringLiteral("%1 says: %2").arg(siteName(origin), cut(msg)));
}

bool WebPage::javaScriptConfirm(const QUrl &origin, const QString &msg)
{
    // The engine asks its leave-this-page question through here, in its own words.
    const bool leaving = msg == QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (leaving && m_automaticReload)
        return true;
    const QString site = siteName(leaving ? url() : origin);
    if (leaving)
        return askLeave(site);
    if (!mayAsk()) {
        emit pageSays(QStringLiteral("%1 asked: \u201c%2\u201d. You were not at the page, so Velloran answered Cancel.")
                          .arg(site, cut(msg)));
        return false;
    }
    QMessageBox *box = pageMessage(dialogParent(), site, msg, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel);
    const int answer = askPageQuestion(box, box->informativeText(), QStringLiteral("Cancel"));
    m_questionsIgnored = m_questionsIgnored || answer < 0;
    if (answer < 0)
        emit pageSays(QStringLiteral("%1 asked: \u201c%2\u201d. Nobody answered, so Velloran answered Cancel.").arg(site, cut(msg)));
    return answer == QMessageBox::Ok;
}

bool WebPage::askLeave(const QString &site)
{
    // Nobody asked to leave and nobody is here: the page's own script is navigating
    // away from what the person typed. It stays.
    if (!m_leaveRequested && !personAtPage())
        return false;
    QMessageBox *box = pageMessage(dialogParent(), site,
                                   QStringLiteral("Leave this page? Changes you made on %1 may not be saved.").arg(site),
                                   QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("&Leave"));
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("&Stay"));
    // Asked while closing, the page may be behind others: the person sees which one.
    if (m_leaveRequested)
        emit wantsFront();
    m_askingToLeave = true;
    const bool leave = askPageQuestion(box, QString(), QStringLiteral("Stay")) == QMessageBox::Ok;
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
    box->setWindowModality(Qt::WindowModal);
    QPointer<QMessageBox> guard(box);
    const bool again = box->exec() == QMessageBox::Ok;
    if (guard)
        guard->deleteLater();
    return again && guard;
}

bool WebPage::javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue, QString *result)
{
    const QString site = siteName(origin);
    if (!mayAsk()) {
        emit pageSays(QStringLiteral("%1 asked: \u201c%2\u201d. You were not at the page, so Velloran answered Cancel.")
                          .arg(site, cut(msg)));
        return false;
    }
    // Plain text only, like the page's other messages: the page chooses none of the look.
    auto *dialog = new QDialog(dialogParent());
    dialog->setWindowTitle(site + QStringLiteral(" - Velloran"));
    auto *layout = new QVBoxLayout(dialog);
    auto *text = new QLabel(cut(msg), dialog);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    auto *field = new QLineEdit(defaultValue, dialog);
    field->setAccessibleName(QStringLiteral("Answer"));
    text->setBuddy(field);
    auto *from = new QLabel(dialog);
    from->setTextFormat(Qt::PlainText);
    from->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    for (QWidget *w : std::initializer_list<QWidget *>{text, field, from, buttons})
        layout->addWidget(w);
    dialog->setObjectName(QStringLiteral("pagePrompt"));
    QPointer<QLineEdit> answerField(field);
    const QString line = QStringLiteral("This question comes from the page at %1.").arg(site);
    const int answer = PageDialogs::askBriefly(dialog, [from, line](int left) {
        from->setText(line + QLatin1Char('\n') + PageDialogs::countdownText(left, QStringLiteral("Cancel")));
    });
    m_questionsIgnored = m_questionsIgnored || answer < 0;
    if (answer < 0)
        emit pageSays(QStringLiteral("%1 asked: \u201c%2\u201d. Nobody answered, so Velloran answered Cancel.").arg(site, cut(msg)));
    if (answer != QDialog::Accepted || !answerField)
        return false;
    *result = answerField->text();
    return true;
}

// A link the person opens in a new window goes to their default browser; a window a
// script opens (a sign-in or payment pop-up, asked for with its own size, opened
// without the person's click, or opened blank to be given its address later) gets a
// pop-up window of ours, linked to this page.
void WebPage::onNewWindow(QWebEngineNewWindowRequest &request)
{
    const QUrl wanted = request.requestedUrl();
    const bool blank = wanted.isEmpty() || wanted.scheme() == QLatin1String("about");
    const bool clicked = request.isUserInitiated();
    const bool scripted = request.destination() == QWebEngineNewWindowRequest::InNewDialog || !clicked || blank;
    if (!scripted) {
        ExternalLinks::open(wanted, siteName(), m_session.shell(), dialogParent(),
                            [this](const QString &text) { emit statusMessage(text); });
        return;
    }
    if (!blank && ExternalLinks::kind(wanted) != ExternalLinks::Kind::Web && !engineShows(wanted))
        return; // a window for another program's link: nothing opens
    if (!clicked) {
        m_unaskedPopups.removeIf([](const QPointer<PopupWindow> &p) { return !p; });
        if (m_unaskedPopups.size() >= kUnaskedPopups) {
            emit statusMessage(QStringLiteral(" Velloran blocked a pop-up window from %1.").arg(siteName()));
            return;
        }
    }
    auto *popup = new PopupWindow(m_session, dialogParent(), request.requestedGeometry());
    if (!clicked)
        m_unaskedPopups.append(popup);
    request.openIn(popup->page());
    popup->show();
}

// Sign-in never waits inside the engine's call: without a kept answer the site's own
// page (its 401 text) shows at once, and a window asks beside it; signing in there
// keeps the answer for the run and loads the page again, which then gets it.
void WebPage::askCredentials(const QString &key, const QString &who, const QString &realm, QAuthenticator *auth)
{
    const auto kept = m_session.credentials.constFind(key);
    const bool rejected = m_credentialsTried.contains(key);
    if (kept != m_session.credentials.cend() && !rejected) {
        m_credentialsTried.insert(key);
        auth->setUser(kept->user);
        auth->setPassword(kept->password);
        return;
    }
    *auth = QAuthenticator();
    QPointer<WebPage> self(this);
    QTimer::singleShot(0, this, [self, key, who, realm, rejected] {
        if (self)
            self->openCredentialsDialog(key, who, realm, rejected);
    });
}

void WebPage::openCredentialsDialog(const QString &key, const QString &who, const QString &realm, bool rejected)
{
    if (m_signIns.value(key))
        return;
    const auto kept = m_session.credentials.constFind(key);
    auto *dialog = new QDialog(dialogParent());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("signIn"));
    dialog->setWindowTitle(QStringLiteral("Sign in to ") + who);
    auto *form = new QFormLayout(dialog);
    QString text = QStringLiteral("%1 asks for a user name and password.").arg(who.startsWith(QStringLiteral("The proxy")) ? who : QStringLiteral("The site ") + who);
    const QString page = siteName();
    if (!who.startsWith(QStringLiteral("The proxy")) && who != page && !page.isEmpty())
        text += QStringLiteral("\nIt asks inside the page at %1.").arg(page);
    if (!realm.isEmpty())
        text += QStringLiteral("\nIt says: \u201c%1\u201d").arg(realm.left(200));
    if (rejected)
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
    connect(dialog, &QDialog::accepted, this, [this, key, user, password] {
        m_session.credentials.insert(key, WebSession::Credentials{user->text(), password->text()});
        m_credentialsTried.remove(key);
        triggerAction(Reload);
    });
    // Its page closing takes the question with it.
    connect(this, &QObject::destroyed, dialog, &QObject::deleteLater);
    m_signIns.insert(key, dialog);
    // A page out of sight asks without taking the keyboard from what the person does.
    dialog->setAttribute(Qt::WA_ShowWithoutActivating, !personAtPage());
    dialog->show();
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
bool WebPage::isMainFrameError(const QUrl &url) const
{
    const auto same = [&url](const QUrl &u) { return u.adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment); };
    return std::any_of(m_mainNavigations.cbegin(), m_mainNavigations.cend(), same);
}

void WebPage::onCertificateError(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError e(error);
    // A picture or script from another host is not the page: it is refused without a
    // word, and nothing it shows may stand for the page's own site.
    if (!isMainFrameError(e.url())) {
        e.rejectCertificate();
        return;
    }
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
