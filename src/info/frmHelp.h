#pragma once
#include <QDialog>

class AppContext;
class QHBoxLayout;
class QLabel;

// A short help page about the program's windows and settings.
class frmHelp : public QDialog
{
    Q_OBJECT
public:
    explicit frmHelp(AppContext &ctx, QWidget *parent = nullptr);
    ~frmHelp() override;

    QString helpText() const;

private:
    QLabel *buildTitle();
    QHBoxLayout *buildBody();
    void centre();

    AppContext &m_ctx;
    QLabel *m_text = nullptr;
};
