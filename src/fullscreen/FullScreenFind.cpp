#include "fullscreen/FullScreenFind.h"
#include "engine/BrowserControl.h"
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

FullScreenFind::FullScreenFind(BrowserControl *browser, QWidget *parent)
    : QWidget(parent), m_browser(browser), m_input(new QLineEdit(this)), m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto *label = new QLabel(QStringLiteral("&Find:"), this);
    label->setBuddy(m_input);
    m_input->setAccessibleName(QStringLiteral("Find on this page"));
    m_input->setClearButtonEnabled(true);
    const auto button = [this](const QString &text, const QString &name) {
        auto *b = new QToolButton(this);
        b->setText(text);
        b->setAccessibleName(name);
        return b;
    };
    QToolButton *prev = button(QStringLiteral("Previous"), QStringLiteral("Find previous"));
    QToolButton *next = button(QStringLiteral("Next"), QStringLiteral("Find next"));
    QToolButton *close = button(QStringLiteral("Close"), QStringLiteral("Close find bar"));
    m_result->setAccessibleName(QStringLiteral("Find result"));
    layout->addWidget(label);
    layout->addWidget(m_input, 1);
    layout->addWidget(prev);
    layout->addWidget(next);
    layout->addWidget(m_result);
    layout->addWidget(close);
    connect(m_input, &QLineEdit::textChanged, this, [this] { m_browser->Find(m_input->text(), false); });
    connect(m_input, &QLineEdit::returnPressed, this, [this] { m_browser->Find(m_input->text(), false); });
    connect(prev, &QToolButton::clicked, this, [this] { m_browser->Find(m_input->text(), true); });
    connect(next, &QToolButton::clicked, this, [this] { m_browser->Find(m_input->text(), false); });
    connect(close, &QToolButton::clicked, this, &FullScreenFind::dismiss);
    connect(browser, &BrowserControl::findFinished, this, [this](const QString &text, int matches) {
        if (text.isEmpty())
            m_result->clear();
        else
            m_result->setText(matches > 0 ? QStringLiteral("%1 match(es)").arg(matches)
                                          : QStringLiteral("No matches for \"%1\"").arg(text));
    });
    hide();
}

void FullScreenFind::open()
{
    show();
    raise();
    m_input->setFocus();
    m_input->selectAll();
}

void FullScreenFind::dismiss()
{
    hide();
    m_browser->Find(QString(), false); // clears the marks
    m_browser->focusPage();
}

void FullScreenFind::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return dismiss();
    QWidget::keyPressEvent(event);
}

void FullScreenFind::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    emit shownOrHidden();
}

void FullScreenFind::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit shownOrHidden();
}
