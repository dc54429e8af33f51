#pragma once
#include <QDialog>

class AppContext;

// The Set Up dialog, where the user edits the Top 8, the refresh options and the layout.
class frmURLs : public QDialog
{
    Q_OBJECT
public:
    explicit frmURLs(AppContext &ctx, QWidget *parent = nullptr);
    ~frmURLs() override;

private:
    AppContext &m_ctx;
};
