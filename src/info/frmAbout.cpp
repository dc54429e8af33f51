#include "info/frmAbout.h"
#include "platform/Geometry.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

static const QString kHomePage = QStringLiteral("https://velloran.example/");

static QLabel *textLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAccessibleName(text);
    return l;
}

frmAbout::frmAbout(AppContext &ctx, QWidget *parent)
    : QDialog(parent), m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));
    ctx.windows.join(this);

    Trap trap(ctx, ErrorPolicy::shortMsg());
    trap([&] {
        setWindowTitle(QStringLiteral("About Velloran"));
        setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
        setAccessibleName(QStringLiteral("About Velloran"));
        // Moves over the dialog's own background turn the link back to black.
        setMouseTracking(true);

        QHBoxLayout *top = buildTop();
        auto *notice1 = textLabel(this, "lblNotice1",
                                  QStringLiteral("Velloran is free software made by the Velloran developers."));
        auto *notice2 = textLabel(this, "lblNotice2", QStringLiteral("Copyright © 2026 the Velloran developers."));
        auto *terms = textLabel(this, "lblTerms",
                                QStringLiteral("You may copy and share Velloran freely. "
                                               "It comes with no warranty of any kind."));
        auto *thanks = textLabel(this, "lblThanks",
                                 QStringLiteral("Thank you to everyone who sent ideas and bug reports."));

        m_ok = new QPushButton(QStringLiteral("&OK"), this);
        m_ok->setObjectName(QStringLiteral("cmdOK"));
        m_ok->setAccessibleName(QStringLiteral("OK"));
        m_ok->setDefault(true);
        m_ok->setAutoDefault(true);
        connect(m_ok, &QPushButton::clicked, this, [this] {
            Trap t(m_ctx, ErrorPolicy::shortMsg());
            t([&] { accept(); });
        });

        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(m_ok);

        auto *layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addSpacing(6);
        layout->addWidget(notice1);
        layout->addWidget(notice2);
        layout->addSpacing(6);
        layout->addWidget(terms);
        layout->addSpacing(6);
        layout->addWidget(thanks);
        layout->addSpacing(6);
        layout->addLayout(buttons);
        setMinimumWidth(360);
        m_ok->setFocus();
        adjustSize();
    });
    trap([&] {
        if (m_ctx.screen)
            CenterInWorkAreaWhenShown(this, *m_ctx.screen);
    });
}

// The logo beside the name and the home-page link.
QHBoxLayout *frmAbout::buildTop()
{
    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image2"));
    logo->setAccessibleName(QStringLiteral("Velloran logo"));
    logo->setPixmap(QIcon(QStringLiteral(":/icons/velloran.svg")).pixmap(48, 48));
    logo->setFixedSize(48, 48);

    auto *appName = textLabel(this, "lblAppName", QStringLiteral("Velloran Version 3.7"));
    appName->setWordWrap(false);
    appName->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));

    m_domain = new QLabel(kHomePage, this);
    m_domain->setObjectName(QStringLiteral("lblDomain"));
    m_domain->setTextFormat(Qt::PlainText);
    m_domain->setAccessibleName(QStringLiteral("Velloran home page"));
    m_domain->setAccessibleDescription(kHomePage);
    QFont linkFont(QStringLiteral("Arial"));
    linkFont.setPointSizeF(8.25);
    linkFont.setUnderline(true);
    m_domain->setFont(linkFont);
    m_domain->setCursor(Qt::PointingHandCursor);
    m_domain->setAutoFillBackground(true);
    m_domain->setMouseTracking(true);
    m_domain->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QPalette pal = m_domain->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_domain->setPalette(pal);
    setLinkColor(Qt::black);
    m_domain->installEventFilter(this);

    auto *heading = new QVBoxLayout;
    heading->addWidget(appName);
    heading->addWidget(m_domain);
    heading->addStretch();
    auto *top = new QHBoxLayout;
    auto *logoColumn = new QVBoxLayout;
    logoColumn->addWidget(logo);
    logoColumn->addStretch();
    top->addLayout(logoColumn);
    top->addSpacing(8);
    top->addLayout(heading);
    top->addStretch(1);
    return top;
}

frmAbout::~frmAbout()
{
    m_ctx.windows.leave(this);
}

QColor frmAbout::linkColor() const
{
    return m_domain ? m_domain->palette().color(QPalette::WindowText) : QColor();
}

void frmAbout::setLinkColor(const QColor &color)
{
    QPalette pal = m_domain->palette();
    pal.setColor(QPalette::WindowText, color);
    m_domain->setPalette(pal);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_domain)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove: {
        Trap t(m_ctx, ErrorPolicy::shortMsg());
        t([&] { setLinkColor(QColor(0, 0, 255)); });
        return event->type() == QEvent::MouseMove;
    }
    case QEvent::Leave: {
        Trap t(m_ctx, ErrorPolicy::shortMsg());
        t([&] { setLinkColor(Qt::black); });
        break;
    }
    case QEvent::MouseButtonPress:
        // Taken here so the release (the click) comes back to the link.
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && m_domain->rect().contains(me->position().toPoint())) {
            openHomePage();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { setLinkColor(Qt::black); });
    QDialog::mouseMoveEvent(event);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Esc closes the box the same way OK does.
    if (m_ok && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_ok->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::openHomePage()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] {
        if (!m_ctx.shell)
            throw RuntimeError::noObject();
        m_ctx.shell->open(QUrl(kHomePage));
    });
}
