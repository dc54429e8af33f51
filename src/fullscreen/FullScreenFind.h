#pragma once
#include <QWidget>

class BrowserControl;
class QLabel;
class QLineEdit;

// The full-screen window's find bar (the main window's is out of sight there): it
// searches the page as the person types and says when nothing matched. Esc or Close
// hides it, clears the marks and gives the page the keyboard back.
class FullScreenFind : public QWidget
{
    Q_OBJECT
public:
    FullScreenFind(BrowserControl *browser, QWidget *parent);
    void open();

signals:
    // Shown or hidden: the page's room changes.
    void shownOrHidden();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void dismiss();

    BrowserControl *m_browser;
    QLineEdit *m_input;
    QLabel *m_result;
};
