#include "engine/FindBar.h"
#include "engine/BrowserControl.h"
#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

FindBar::FindBar(QWidget *parent) : QWidget(parent), m_input(new QLineEdit(this)), m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("findBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto *label = new QLabel(QStringLiteral("&Find:"), this);
    label->setBuddy(m_input);
    m_input->setAccessibleName(QStringLiteral("Find on this page"));
    m_input->setClearButtonEnabled(true);
    // The line edit's own clear button comes without a name for screen readers.
    if (auto *clear = m_input->findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction")))
        clear->setText(QStringLiteral("Clear search text"));
    auto *prev = new QToolButton(this);
    prev->setText(QStringLiteral("Previous"));
    prev->setAccessibleName(QStringLiteral("Find previous"));
    auto *next = new QToolButton(this);
    next->setText(QStringLiteral("Next"));
    next->setAccessibleName(QStringLiteral("Find next"));
    auto *close = new QToolButton(this);
    close->setText(QStringLiteral("Close"));
    close->setAccessibleName(QStringLiteral("Close find bar"));
    m_result->setAccessibleName(QStringLiteral("Find result"));
    layout->addWidget(label);
    layout->addWidget(m_input, 1);
    layout->addWidget(prev);
    layout->addWidget(next);
    layout->addWidget(m_result);
    layout->addWidget(close);
    connect(m_input, &QLineEdit::textChanged, this, [this] { find(false); });
    connect(m_input, &QLineEdit::returnPressed, this, [this] { find(false); });
    connect(prev, &QToolButton::clicked, this, [this] { find(true); });
    connect(next, &QToolButton::clicked, this, [this] { find(false); });
    connect(close, &QToolButton::clicked, this, &FindBar::dismiss);
    hide();
}

void FindBar::attach(BrowserControl *browser)
{
    if (m_browser == browser)
        return;
    if (m_browser)
        disconnect(m_browser, nullptr, this, nullptr);
    m_browser = browser;
    m_result->clear();
    if (browser)
        connect(browser, &BrowserControl::findFinished, this, [this](const QString &text, int matches) {
            if (text.isEmpty())
                m_result->clear();
            else
                m_result->setText(matches > 0 ? QStringLiteral("%1 match(es)").arg(matches)
                                              : QStringLiteral("No matches for \"%1\"").arg(text));
        });
}

void FindBar::open()
{
    show();
    raise();
    m_input->setFocus();
    m_input->selectAll();
}

void FindBar::find(bool backward)
{
    if (m_browser)
        m_browser->Find(m_input->text(), backward);
}

void FindBar::dismiss()
{
    hide();
    if (m_browser) {
        m_browser->Find(QString(), false); // clears the marks
        m_browser->focusPage();
    }
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return dismiss();
    QWidget::keyPressEvent(event);
}

void FindBar::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit shownOrHidden();
}

void FindBar::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit shownOrHidden();
}
