#pragma once
#include <QWidget>

class AppContext;

// Lists the Internet shortcuts of the user's Favorites folder.
class frmListFiles : public QWidget
{
    Q_OBJECT
public:
    explicit frmListFiles(AppContext &ctx, QWidget *parent = nullptr);
    ~frmListFiles() override;

private:
    AppContext &m_ctx;
};

// Opens (or brings forward) the Favorites window.
void showFavoritesWindow(AppContext &ctx);
