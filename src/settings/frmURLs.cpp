#include "settings/frmURLs.h"
#include "browser/Geometry.h"
#include "platform/AppContext.h"
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmURLs::frmURLs(AppContext &ctx, QWidget *parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmURLs"));
    setWindowTitle(QStringLiteral("Velloran - Set Up"));
    setAttribute(Qt::WA_DeleteOnClose);
    ctx.windows.join(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter your top 8 URLs in velloran.dat in the data folder:\n") + ctx.dataFolder, this));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setAutoDefault(false);
    cancel->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CenterInWorkArea(this, *ctx.screen);
}

frmURLs::~frmURLs()
{
    m_ctx.windows.leave(this);
}
