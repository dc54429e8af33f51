#pragma once
#include <QWidget>

class AppContext;
class QTableWidget;

// A reference list of the browser's keyboard shortcuts; it only shows them.
class frmShortcuts : public QWidget
{
    Q_OBJECT
public:
    explicit frmShortcuts(AppContext &ctx, QWidget *parent = nullptr);
    ~frmShortcuts() override;

    QTableWidget *table() const { return m_table; }

private:
    AppContext &m_ctx;
    QTableWidget *m_table = nullptr;
};
