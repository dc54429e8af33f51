#include "info/frmSplash.h"
#include "platform/Geometry.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

static const QString kIconPath = QStringLiteral(":/icons/velloran.svg");

QPixmap frmSplash::picture()
{
    QPixmap pm(PictureWidth, PictureHeight);
    pm.fill(Qt::white);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // A hairline frame: the window has no border of its own.
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, PictureWidth - 1, PictureHeight - 1);

    const int iconSide = 33;
    const QRect iconRect(6, (PictureHeight - iconSide) / 2, iconSide, iconSide);
    const QPixmap icon = QIcon(kIconPath).pixmap(iconSide, iconSide);
    if (!icon.isNull())
        p.drawPixmap(iconRect, icon);

    const QString caption = QStringLiteral("Velloran is loading web pages...");
    const QRect textRect(iconRect.right() + 9, 0, PictureWidth - iconRect.right() - 15, PictureHeight);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    // Largest size that keeps the caption on one line beside the icon.
    int px = 15;
    for (; px > 8; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(caption) <= textRect.width())
            break;
    }
    font.setPixelSize(px);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, caption);
    return pm;
}

frmSplash::frmSplash(AppContext &ctx, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmSplash"));
    ctx.windows.join(this);

    Trap trap(ctx, ErrorPolicy::longMsg());
    trap([&] {
        setWindowTitle(QStringLiteral("Velloran"));
        setWindowIcon(QIcon(kIconPath));
        setAccessibleName(QStringLiteral("Velloran is loading"));

        m_image = new QLabel(this);
        m_image->setObjectName(QStringLiteral("imgSplash"));
        m_image->setAccessibleName(QStringLiteral("Velloran is loading web pages..."));
        m_image->setPixmap(picture());
        m_image->setFixedSize(PictureWidth, PictureHeight);

        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_image);
        setFixedSize(PictureWidth, PictureHeight);
    });
    trap([&] { centre(); });
}

frmSplash::~frmSplash()
{
    m_ctx.windows.leave(this);
}

void frmSplash::centre()
{
    if (m_ctx.screen)
        CenterInWorkArea(this, *m_ctx.screen);
}

void frmSplash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Trap trap(m_ctx, ErrorPolicy::longMsg());
    trap([&] { centre(); });
}
