#include "favorites/frmListFiles.h"
#include "platform/AppContext.h"

frmListFiles::frmListFiles(AppContext &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmListFiles"));
    setWindowTitle(QStringLiteral("Favorites Browse..."));
    setAttribute(Qt::WA_DeleteOnClose);
    ctx.windows.join(this);
}

frmListFiles::~frmListFiles()
{
    m_ctx.windows.leave(this);
}

void showFavoritesWindow(AppContext &ctx)
{
    ctx.info(QStringLiteral("Browsing Favorites is not available in this version of Velloran."));
}
