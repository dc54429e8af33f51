#pragma once
#include <QPointer>
#include <QWidget>

class BrowserControl;
class QLabel;
class QLineEdit;

// Searches a page as the person types and says when nothing matched; the main window
// and the full-screen window each have one. Esc or Close hides it, clears the marks
// and gives the page the keyboard back.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent = nullptr);
    void attach(BrowserControl *browser);
    void open();
    QLineEdit *input() const { return m_input; }
    QLabel *result() const { return m_result; }

signals:
    // Shown or hidden: the page's room changes.
    void shownOrHidden();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void find(bool backward);
    void dismiss();

    QPointer<BrowserControl> m_browser;
    QLineEdit *m_input;
    QLabel *m_result;
};
