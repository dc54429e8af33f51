#pragma once
#include <QColor>
#include <QDialog>

class AppContext;
class QHBoxLayout;
class QLabel;
class QPushButton;

// The program's About box; the caller runs it modally.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(AppContext &ctx, QWidget *parent = nullptr);
    ~frmAbout() override;

    QLabel *linkLabel() const { return m_domain; }
    QColor linkColor() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QHBoxLayout *buildTop();
    void setLinkColor(const QColor &color);
    void openHomePage();

    AppContext &m_ctx;
    QLabel *m_domain = nullptr;
    QPushButton *m_ok = nullptr;
};
