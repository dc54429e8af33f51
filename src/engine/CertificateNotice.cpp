#include "engine/CertificateNotice.h"
#include "engine/WebSession.h"
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineView>

CertificateNotice::CertificateNotice(QWebEngineView *view, WebPage *page, QWidget *parent)
    : QFrame(parent), m_view(view), m_page(page)
{
    setObjectName(QStringLiteral("certificateNotice"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#certificateNotice { background: #fdecea; } QLabel { color: #5f2120; }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 48, 48, 48);
    m_heading = new QLabel(QStringLiteral("This site's certificate is not trusted"), this);
    m_heading->setStyleSheet(QStringLiteral("font-size: 18pt; font-weight: bold;"));
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setStyleSheet(QStringLiteral("font-size: 12pt;"));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_continue = new QPushButton(QStringLiteral("&Continue to this site"), this);
    m_continue->setAccessibleDescription(QStringLiteral("Trust this certificate for this site until Velloran closes"));
    layout->addWidget(m_heading);
    layout->addWidget(m_text);
    layout->addWidget(m_continue, 0, Qt::AlignLeft);
    layout->addStretch();
    hide();

    connect(m_continue, &QPushButton::clicked, this, [this] {
        if (!m_problem.overridable)
            return;
        m_page->session().acceptedCertificates.insert(m_problem.key);
        hide();
        m_page->load(m_problem.url);
    });
    connect(page, &WebPage::certificateRefused, this, &CertificateNotice::showProblem);
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            hide();
    });
    view->installEventFilter(this);
}

void CertificateNotice::showProblem(const CertificateProblem &problem)
{
    m_problem = problem;
    QString text = QStringLiteral("Velloran did not open %1, because the certificate this site showed %2.\n\n")
                       .arg(problem.host, problem.reason);
    if (problem.overridable) {
        text += QStringLiteral("Someone may be pretending to be this site. If you know it (for example a device on your "
                               "own network with a certificate of its own) and expect this, you can continue; Velloran "
                               "then trusts this certificate for %1 until it closes.").arg(problem.host);
    } else {
        text += QStringLiteral("This site demands a valid certificate, so it cannot be opened until the certificate is "
                               "put right.");
    }
    m_text->setText(text);
    m_continue->setVisible(problem.overridable);
    fit();
    show();
    raise();
    setAccessibleName(m_heading->text());
}

void CertificateNotice::fit()
{
    setGeometry(m_view->geometry());
}

bool CertificateNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        fit();
    return QFrame::eventFilter(watched, event);
}
