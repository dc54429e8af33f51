#pragma once
#include <QPointer>
#include <QWidget>

class BrowserControl;
class QLabel;
class QLineEdit;

// Searches the active page as the user types; says so when nothing matched.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent = nullptr);
    void attach(BrowserControl *browser);
    void open();
    QLineEdit *input() const { return m_input; }
    QLabel *result() const { return m_result; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void find(bool backward);

    QPointer<BrowserControl> m_browser;
    QLineEdit *m_input;
    QLabel *m_result;
};
