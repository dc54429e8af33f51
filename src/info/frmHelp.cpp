#include "info/frmHelp.h"
#include "platform/Geometry.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

static const QString kParagraphs[] = {
    QStringLiteral("Velloran automatically loads in independent windows up to 8 of your top web sites. "
                   "Enter your top 8 sites by entering the URLs and setting autoload and refresh options "
                   "in the SetUp Dialog, which is displayed by selecting &Setup... from the menubar."),
    QStringLiteral("In the Setup dialog you can also select from three interfaces: tiled, cascade, and tabbed. "
                   "Full screen mode is available from all three interfaces."),
    QStringLiteral("In addition to standard IE menubar shortcuts, right-click in a browser window for all "
                   "your IE shortcuts. Look for the Brennick in your Windows icon tray for more display options."),
};

frmHelp::frmHelp(AppContext &ctx, QWidget *parent)
    : QDialog(parent), m_ctx(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmHelp"));
    ctx.windows.join(this);

    Trap trap(ctx, ErrorPolicy::shortMsg());
    trap([&] {
        setWindowTitle(QStringLiteral("Velloran Help"));
        setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
        setAccessibleName(QStringLiteral("Velloran Help"));

        QLabel *title = buildTitle();

        auto *rule = new QFrame(this);
        rule->setObjectName(QStringLiteral("lblUnderLine"));
        rule->setAccessibleName(QStringLiteral("Separator"));
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);

        QHBoxLayout *body = buildBody();

        auto *note = new QLabel(
            QStringLiteral("Requires Qt 6.4 with Qt WebEngine and the Velloran run-time files."), this);
        note->setObjectName(QStringLiteral("Label1"));
        note->setAccessibleName(note->text());
        note->setTextFormat(Qt::PlainText);
        note->setWordWrap(true);

        auto *ok = new QPushButton(QStringLiteral("&OK"), this);
        ok->setObjectName(QStringLiteral("cmdOk"));
        ok->setAccessibleName(QStringLiteral("OK"));
        ok->setDefault(true);
        ok->setAutoDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] {
            Trap t(m_ctx, ErrorPolicy::shortMsg());
            t([&] { accept(); });
        });

        auto *bottom = new QHBoxLayout;
        bottom->addWidget(note, 1);
        bottom->addWidget(ok, 0, Qt::AlignBottom);

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(title);
        layout->addWidget(rule);
        layout->addSpacing(6);
        layout->addLayout(body, 1);
        layout->addSpacing(10);
        layout->addLayout(bottom);
        resize(460, 300);
        resize(sizeHint().expandedTo(size()));
        ok->setFocus();
    });
    trap([&] { centre(); });
}

// The title on its grey band.
QLabel *frmHelp::buildTitle()
{
    auto *title = new QLabel(QStringLiteral("Velloran Help"), this);
    title->setObjectName(QStringLiteral("lblHelp"));
    title->setAccessibleName(QStringLiteral("Velloran Help"));
    title->setTextFormat(Qt::PlainText);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    title->setAutoFillBackground(true);
    QPalette pal = title->palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(pal);
    title->setContentsMargins(8, 6, 8, 6);
    return title;
}

// The icon beside the help text.
QHBoxLayout *frmHelp::buildBody()
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setAccessibleName(QStringLiteral("Velloran icon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/velloran.svg")).pixmap(32, 32));
    icon->setFixedSize(32, 32);

    // Plain text: "&Setup..." names the menu item and its ampersand must show as typed.
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lblHelpText"));
    m_text->setAccessibleName(QStringLiteral("Help text"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setText(QStringList(std::begin(kParagraphs), std::end(kParagraphs)).join(QLatin1Char('\n')));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(380);

    auto *body = new QHBoxLayout;
    auto *iconColumn = new QVBoxLayout;
    iconColumn->addWidget(icon);
    iconColumn->addStretch();
    body->addLayout(iconColumn);
    body->addSpacing(10);
    body->addWidget(m_text, 1);
    return body;
}

frmHelp::~frmHelp()
{
    m_ctx.windows.leave(this);
}

QString frmHelp::helpText() const
{
    return m_text ? m_text->text() : QString();
}

void frmHelp::centre()
{
    if (m_ctx.screen)
        CenterInWorkAreaWhenShown(this, *m_ctx.screen);
}
