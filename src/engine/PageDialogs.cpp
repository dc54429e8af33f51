#include "engine/PageDialogs.h"
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineView>

namespace PageDialogs {

namespace {

// The person's keys and clicks in a dialog start its count afresh: someone answering
// is not left behind by the clock.
class InputWatch : public QObject
{
public:
    InputWatch(QDialog *dialog, std::function<void()> onInput) : m_dialog(dialog), m_onInput(std::move(onInput))
    {
        qApp->installEventFilter(this);
    }
    ~InputWatch() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if ((t == QEvent::KeyPress || t == QEvent::MouseButtonPress || t == QEvent::InputMethod) && m_dialog
            && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (w == m_dialog || m_dialog->isAncestorOf(w))
                m_onInput();
        }
        return false;
    }

private:
    QPointer<QDialog> m_dialog;
    std::function<void()> m_onInput;
};

} // namespace

QString countdownText(int secondsLeft, const QString &answer)
{
    return QStringLiteral("No answer in %1 s counts as %2; the other pages wait while this question is open.")
        .arg(secondsLeft).arg(answer);
}

int askBriefly(QDialog *dialog, const std::function<void(int secondsLeft)> &shown)
{
    dialog->setWindowModality(dialog->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    QPointer<QDialog> guard(dialog);
    int left = kPatienceSeconds;
    bool timedOut = false;
    const auto show = [&] {
        if (guard && shown)
            shown(left);
    };
    InputWatch watch(dialog, [&] {
        left = kPatienceSeconds;
        show();
    });
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!guard)
            return;
        if (--left <= 0) {
            timedOut = true;
            guard->reject();
            return;
        }
        show();
    });
    show();
    tick.start();
    const int result = dialog->exec();
    tick.stop();
    // Its page may have gone while it waited, and the dialog with it.
    if (!guard)
        return -1;
    guard->deleteLater();
    return timedOut ? -1 : result;
}

} // namespace PageDialogs

PageMessageBar::PageMessageBar(QWebEngineView *view, QWidget *parent) : QFrame(parent), m_view(view)
{
    setObjectName(QStringLiteral("pageMessageBar"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#pageMessageBar { background: #e8f0fe; border-top: 1px solid #7b9ad6; }"
                                 " #pageMessageBar QLabel { color: #102a5c; }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_text, 1);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setAccessibleDescription(QStringLiteral("Clear this message"));
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!m_messages.isEmpty())
            m_messages.removeFirst();
        if (m_messages.isEmpty())
            m_dropped = 0;
        showFirst();
    });
    hide();
    view->installEventFilter(this);
}

void PageMessageBar::add(const QString &text)
{
    // A page that says things in a loop fills no memory and no screen.
    if (m_messages.size() >= kMaxMessages)
        ++m_dropped;
    else
        m_messages.append(text);
    showFirst();
}

QString PageMessageBar::text() const
{
    return m_text->text();
}

void PageMessageBar::showFirst()
{
    if (m_messages.isEmpty() || !m_view) {
        const bool hadFocus = isAncestorOf(QApplication::focusWidget());
        hide();
        if (hadFocus && m_view)
            m_view->setFocus();
        return;
    }
    QString text = m_messages.first();
    if (m_messages.size() > 1)
        text += QStringLiteral("  (%1 more)").arg(m_messages.size() - 1);
    if (m_dropped > 0)
        text += QStringLiteral("  %1 further messages from this page were not kept.").arg(m_dropped);
    m_text->setText(text);
    setAccessibleName(text);
    fit();
    show();
    raise();
}

void PageMessageBar::fit()
{
    if (!m_view)
        return;
    const QRect area = m_view->geometry();
    const int h = std::min(area.height(), heightForWidth(area.width()) > 0 ? heightForWidth(area.width()) : sizeHint().height());
    setGeometry(area.x(), area.bottom() + 1 - h, area.width(), h);
}

bool PageMessageBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Move) && isVisible())
        fit();
    return QFrame::eventFilter(watched, event);
}
