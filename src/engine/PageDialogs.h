#pragma once
#include <QFrame>
#include <QList>
#include <QPointer>
#include <functional>

class QDialog;
class QLabel;
class QWebEngineView;

// A page's question waits inside the engine's own call, and no other page draws,
// loads or closes until it is answered. So a question only waits while the person is
// there to answer it, and never long: after `kPatienceSeconds` with no key or click in
// it, it is answered as Cancel (or Stay) would answer it.
namespace PageDialogs {

constexpr int kPatienceSeconds = 10;

// Runs `dialog` modal to its window; `shown` is told the seconds left, each second.
// Returns the dialog's result, or -1 when nobody answered in time. `dialog` is deleted.
int askBriefly(QDialog *dialog, const std::function<void(int secondsLeft)> &shown);

// "No answer in 8 s counts as Cancel." for the countdown line.
QString countdownText(int secondsLeft, const QString &answer);

} // namespace PageDialogs

// A bar along the bottom of a page's view for what the page says without waiting for
// an answer (alert()), and for the questions Velloran answered for the person because
// nobody was at the page. The page goes on meanwhile; OK clears one message.
class PageMessageBar : public QFrame
{
    Q_OBJECT
public:
    PageMessageBar(QWebEngineView *view, QWidget *parent);

    void add(const QString &text);
    QString text() const;
    int waiting() const { return int(m_messages.size()); }

    // Beyond this many waiting messages, further ones are counted, not kept.
    static constexpr int kMaxMessages = 20;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFirst();
    void fit();

    QPointer<QWebEngineView> m_view;
    QLabel *m_text;
    QList<QString> m_messages;
    int m_dropped = 0;
};
