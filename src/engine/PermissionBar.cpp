#include "engine/PermissionBar.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

PermissionBar::PermissionBar(QWebEngineView *view, WebPage *page, QWidget *parent)
    : QFrame(parent), m_view(view), m_page(page)
{
    setObjectName(QStringLiteral("permissionBar"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#permissionBar { background: #fff4ce; border-bottom: 1px solid #c8a800; }"
                                 " #permissionBar QLabel { color: #3b2f00; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    layout->addWidget(m_text, 1);
    auto *allow = new QPushButton(QStringLiteral("&Allow"), this);
    auto *block = new QPushButton(QStringLiteral("&Block"), this);
    auto *later = new QPushButton(QStringLiteral("&Not Now"), this);
    later->setAccessibleDescription(QStringLiteral("Refuse this time only; the site may ask again"));
    for (QPushButton *b : {allow, block, later})
        layout->addWidget(b);
    m_buttons = {allow, block, later};
    // A question that changes under the pointer is not answered by the click meant for
    // the one before: the buttons wait a moment after each new question.
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        for (QPushButton *b : m_buttons)
            b->setEnabled(true);
    });
    connect(allow, &QPushButton::clicked, this, [this] { answer(true, true); });
    connect(block, &QPushButton::clicked, this, [this] { answer(false, true); });
    connect(later, &QPushButton::clicked, this, [this] { answer(false, false); });
    hide();

    connect(page, &WebPage::permissionWanted, this, [this](const QUrl &origin, QWebEnginePage::Feature feature) {
        const Request r{origin, feature};
        if (!m_waiting.contains(r))
            m_waiting.append(r);
        showNext();
    });
    connect(page, &WebPage::permissionSettled, this, [this](const QUrl &origin, QWebEnginePage::Feature feature) {
        m_waiting.removeAll(Request{origin, feature});
        showNext();
    });
    // Questions from a site the page has left are moot: they are refused, so no
    // request is left without an answer.
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        const QString now = WebPage::originKey(url);
        const QList<Request> waiting = m_waiting;
        for (const Request &r : waiting)
            if (WebPage::originKey(r.origin) != now) {
                m_waiting.removeAll(r);
                m_page->answerPermission(r.origin, r.feature, false, false);
            }
        showNext();
    });
    view->installEventFilter(this);
}

void PermissionBar::answer(bool allow, bool remember)
{
    if (m_waiting.isEmpty())
        return;
    const Request r = m_waiting.takeFirst();
    m_page->answerPermission(r.origin, r.feature, allow, remember);
    showNext();
}

void PermissionBar::showNext()
{
    if (m_waiting.isEmpty()) {
        const bool hadFocus = isAncestorOf(QApplication::focusWidget());
        hide();
        if (hadFocus)
            m_view->setFocus();
        return;
    }
    const Request &r = m_waiting.first();
    const QString text = QStringLiteral("%1 wants to %2.").arg(WebPage::siteName(r.origin), WebPage::featureText(r.feature));
    if (text != m_text->text() || !isVisible()) {
        for (QPushButton *b : m_buttons)
            b->setEnabled(false);
        m_settle.start();
    }
    m_text->setText(text);
    setAccessibleName(text);
    fit();
    show();
    raise();
}

void PermissionBar::fit()
{
    const QRect area = m_view->geometry();
    setGeometry(area.x(), area.y(), area.width(), heightForWidth(area.width()) > 0 ? heightForWidth(area.width()) : sizeHint().height());
}

bool PermissionBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Move) && isVisible())
        fit();
    return QFrame::eventFilter(watched, event);
}

namespace {

// The site permissions dialog's parts, which its buttons fill again.
struct PermissionsView
{
    QDialog *dialog;
    QLabel *intro;
    QTreeWidget *list;
    QPushButton *forget;
    QPushButton *forgetAll;
    QDialogButtonBox *buttons;
};

PermissionsView buildPermissionsView(const QString &site, QWidget *parent)
{
    PermissionsView v{};
    v.dialog = new QDialog(parent);
    v.dialog->setAttribute(Qt::WA_DeleteOnClose);
    v.dialog->setWindowTitle(QStringLiteral("Site Permissions for %1 - Velloran").arg(site));
    auto *layout = new QVBoxLayout(v.dialog);
    v.intro = new QLabel(v.dialog);
    v.intro->setWordWrap(true);
    v.intro->setTextFormat(Qt::PlainText);
    v.list = new QTreeWidget(v.dialog);
    v.list->setAccessibleName(QStringLiteral("Answers kept for sites"));
    v.list->setHeaderLabels({QStringLiteral("Site"), QStringLiteral("The site may"), QStringLiteral("Your answer")});
    v.list->setRootIsDecorated(false);
    v.list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    v.forget = new QPushButton(QStringLiteral("&Forget"), v.dialog);
    v.forget->setAccessibleDescription(QStringLiteral("The site asks again the next time it wants this"));
    v.forgetAll = new QPushButton(QStringLiteral("Forget &All for %1").arg(site), v.dialog);
    v.buttons = new QDialogButtonBox(QDialogButtonBox::Close, v.dialog);
    v.buttons->addButton(v.forget, QDialogButtonBox::ActionRole);
    v.buttons->addButton(v.forgetAll, QDialogButtonBox::ActionRole);
    layout->addWidget(v.intro);
    layout->addWidget(v.list);
    layout->addWidget(v.buttons);
    return v;
}

// Lists every answer kept, the page's own site first, so that all of them can be seen
// and withdrawn in one place (none when the page is gone).
void fillPermissions(const PermissionsView &v, WebPage *page, const QString &origin, const QString &site)
{
    v.list->clear();
    if (!page)
        return;
    SiteSettings &sites = page->session().sites();
    QStringList origins = sites.permissionOrigins();
    origins.removeAll(origin);
    origins.prepend(origin);
    for (const QString &o : origins) {
        const auto kept = sites.permissions(o);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            QString what = SiteSettings::permissionText(it.key());
            what[0] = what[0].toUpper();
            auto *item = new QTreeWidgetItem(v.list, {WebPage::siteName(QUrl(o)), what,
                                                      it.value() ? QStringLiteral("Allowed") : QStringLiteral("Blocked")});
            item->setData(0, Qt::UserRole, int(it.key()));
            item->setData(1, Qt::UserRole, o);
        }
    }
    const bool own = !sites.permissions(origin).isEmpty();
    v.intro->setText(v.list->topLevelItemCount() == 0
                         ? QStringLiteral("No answers are kept for %1 or any other site: they ask before they may use anything.").arg(site)
                         : QStringLiteral("Velloran keeps these answers, for %1 first. Forget one and the site asks again the next time it wants it.").arg(site));
    if (v.list->topLevelItemCount() > 0)
        v.list->setCurrentItem(v.list->topLevelItem(0));
    v.forget->setEnabled(v.list->currentItem() != nullptr);
    v.forgetAll->setEnabled(own);
    if (v.list->topLevelItemCount() == 0)
        v.buttons->button(QDialogButtonBox::Close)->setFocus();
}

} // namespace

void showSitePermissions(WebPage *page, QWidget *parent)
{
    const QString origin = WebPage::originKey(page->url());
    const QString site = page->siteName();
    const PermissionsView v = buildPermissionsView(site, parent);
    QPointer<WebPage> guard(page);
    auto fill = [=] { fillPermissions(v, guard, origin, site); };
    QObject::connect(v.forget, &QPushButton::clicked, v.dialog, [=] {
        if (guard && v.list->currentItem())
            guard->forgetPermission(v.list->currentItem()->data(1, Qt::UserRole).toString(),
                                    SiteSettings::Permission(v.list->currentItem()->data(0, Qt::UserRole).toInt()));
        fill();
    });
    QObject::connect(v.forgetAll, &QPushButton::clicked, v.dialog, [=] {
        if (guard)
            for (SiteSettings::Permission p : guard->session().sites().permissions(origin).keys())
                guard->forgetPermission(origin, p);
        fill();
    });
    QObject::connect(v.buttons, &QDialogButtonBox::rejected, v.dialog, &QDialog::close);
    fill();
    v.dialog->resize(560, 320);
    v.dialog->show();
}
