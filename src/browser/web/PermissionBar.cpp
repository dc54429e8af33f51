#include "browser/web/PermissionBar.h"
#include "browser/web/WebPage.h"
#include "browser/web/WebSession.h"
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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
    // Questions from a site the page has left are moot.
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        const QString now = WebPage::originKey(url);
        m_waiting.removeIf([&](const Request &r) { return WebPage::originKey(r.origin) != now; });
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

void showSitePermissions(WebPage *page, QWidget *parent)
{
    const QString origin = WebPage::originKey(page->url());
    const QString site = page->siteName();
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Site Permissions for %1 - Velloran").arg(site));
    auto *layout = new QVBoxLayout(dialog);
    auto *intro = new QLabel(dialog);
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    auto *list = new QTreeWidget(dialog);
    list->setAccessibleName(QStringLiteral("Answers kept for %1").arg(site));
    list->setHeaderLabels({QStringLiteral("The site may"), QStringLiteral("Your answer")});
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto *forget = new QPushButton(QStringLiteral("&Forget"), dialog);
    forget->setAccessibleDescription(QStringLiteral("The site asks again the next time it wants this"));
    auto *forgetAll = new QPushButton(QStringLiteral("Forget &All"), dialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->addButton(forget, QDialogButtonBox::ActionRole);
    buttons->addButton(forgetAll, QDialogButtonBox::ActionRole);
    layout->addWidget(intro);
    layout->addWidget(list);
    layout->addWidget(buttons);

    QPointer<WebPage> guard(page);
    auto fill = [=] {
        list->clear();
        if (!guard)
            return;
        const auto kept = guard->session().sites().permissions(origin);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            QString what = SiteSettings::permissionText(it.key());
            what[0] = what[0].toUpper();
            auto *item = new QTreeWidgetItem(list, {what, it.value() ? QStringLiteral("Allowed") : QStringLiteral("Blocked")});
            item->setData(0, Qt::UserRole, int(it.key()));
        }
        intro->setText(kept.isEmpty() ? QStringLiteral("No answers are kept for %1: it asks before it may use anything.").arg(site)
                                      : QStringLiteral("Velloran keeps these answers for %1. Forget one and the site asks again the next time it wants it.").arg(site));
        if (list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0));
        forget->setEnabled(list->currentItem() != nullptr);
        forgetAll->setEnabled(!kept.isEmpty());
        if (kept.isEmpty())
            buttons->button(QDialogButtonBox::Close)->setFocus();
    };
    QObject::connect(forget, &QPushButton::clicked, dialog, [=] {
        if (guard && list->currentItem())
            guard->forgetPermission(origin, SiteSettings::Permission(list->currentItem()->data(0, Qt::UserRole).toInt()));
        fill();
    });
    QObject::connect(forgetAll, &QPushButton::clicked, dialog, [=] {
        if (guard)
            for (SiteSettings::Permission p : guard->session().sites().permissions(origin).keys())
                guard->forgetPermission(origin, p);
        fill();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    fill();
    dialog->resize(460, 300);
    dialog->show();
}
