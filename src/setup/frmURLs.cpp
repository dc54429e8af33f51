#include "setup/frmURLs.h"
#include "setup/frmSiteOptions.h"
#include "platform/Geometry.h"
#include "info/frmSplash.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include "core/IniFile.h"
#include "platform/Sound.h"
#include "core/UrlDataFile.h"
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kInstruction = QStringLiteral(
    "    Enter your top 8 URLs and an optional alias for each URL (eg: URL - https://velloran.example/   Alias - Brennick)");
const QString kHint = QStringLiteral(
    "    Tip: You can copy a URL from the IE Address Bar and paste it into a URL entry in this form.");

// Anything that reads as a number counts, signs and decimals included.
bool isNumeric(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

// A whole 16-bit value, rounded half to even like the classic conversion.
int16_t toInteger(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        throw RuntimeError::typeMismatch();
    const double r = std::nearbyint(v);
    if (r < -32768 || r > 32767)
        throw RuntimeError::overflow();
    return int16_t(r);
}

template <typename W>
W *named(W *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

bool userMovedFocus(const QEvent *event)
{
    // Switching windows or opening a menu moves focus away only for a moment.
    const Qt::FocusReason r = static_cast<const QFocusEvent *>(event)->reason();
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

} // namespace

frmURLs::frmURLs(AppContext &ctx, QWidget *parent, const QList<UrlRecord> &salvaged) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmURLs"));
    setAttribute(Qt::WA_DeleteOnClose);
    ctx.windows.join(this);
    buildControls();

    // A data file that cannot be read leaves the boxes as they are, so the user can
    // enter the Top 8 afresh; the rest of the loading is skipped.
    ErrorPolicy p;
    p.custom = [this](const RuntimeError &e) {
        if (e.number() == 53)
            m_ctx.error(QStringLiteral("The URL data file is missing or corrupt. Re-enter your Top 8 URLs."));
        else
            m_ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                        + QStringLiteral(". Unable to start."));
        return true;
    };
    Trap t(ctx, p);
    t([&] { CenterInWorkArea(this, *ctx.screen); });
    t([&] {
        if (ctx.state.FirstRun == 0)
            readRows();
        else
            for (const UrlRecord &r : salvaged)
                fillRow(r);
    });
    t([&] { LoadSettingsIntoDialog(); });
    t([&] { PlayWav(ctx, QStringLiteral("frmurls.wav")); });
}

frmURLs::~frmURLs()
{
    m_ctx.windows.leave(this);
}

void frmURLs::buildControls()
{
    setWindowTitle(QStringLiteral("Velloran - Set Up"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));

    auto *root = new QVBoxLayout(this);
    auto *lblRnterURLs = named(new QLabel(kInstruction, this), QStringLiteral("lblRnterURLs"));
    lblRnterURLs->setWordWrap(true);
    root->addWidget(lblRnterURLs);
    root->addLayout(buildRows());
    root->addStretch(1);
    root->addWidget(named(new QLabel(kHint, this), QStringLiteral("lblHint")));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(buildRefreshOptions(), 1);
    bottom->addWidget(buildStartupOptions());
    bottom->addLayout(buildButtons());
    root->addLayout(bottom);

    QList<QWidget *> order;
    for (int i = 0; i < 8; ++i)
        order << txtURL[i] << chkAutoLoad[i] << cmdSiteOptions[i] << txtAlias[i];
    order << chkOnActive << chkEvery << txtMinutes << VScrollMins << cmdOK << cmdCancel
          << optTabbed << optCascade << optTile;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(txtMinutes, &QLineEdit::textChanged, this, &frmURLs::txtMinutes_Change);
    connect(VScrollMins, &QScrollBar::valueChanged, this, &frmURLs::VScrollMins_Change);
    connect(chkEvery, &QCheckBox::toggled, this, &frmURLs::chkEvery_Click);
    connect(optTabbed, &QRadioButton::toggled, this, [this](bool on) { if (on) optTabbed_Click(); });
    connect(optCascade, &QRadioButton::toggled, this, [this](bool on) { if (on) optCascade_Click(); });
    connect(optTile, &QRadioButton::toggled, this, [this](bool on) { if (on) optTile_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, &frmURLs::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmURLs::cmdCancel_Click);

    resize(QSize(760, 480).expandedTo(minimumSizeHint()));
}

// The eight rows of the Top 8 under their column headings.
QGridLayout *frmURLs::buildRows()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(named(new QLabel(QStringLiteral("URL:"), this), QStringLiteral("lblURL")), 0, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Auto Load"), this), QStringLiteral("Label2")), 0, 2, Qt::AlignHCenter);
    grid->addWidget(named(new QLabel(QStringLiteral("Alias (optional):"), this), QStringLiteral("lblAlias")), 0, 4);
    for (int i = 0; i < 8; ++i) {
        const QString n = QString::number(i + 1);
        grid->addWidget(named(new QLabel(n + QLatin1Char('.'), this), QStringLiteral("Label1_") + n), i + 1, 0);
        txtURL[i] = named(new QLineEdit(this), QStringLiteral("txtURL%1").arg(i));
        txtURL[i]->setAccessibleName(QStringLiteral("URL ") + n);
        chkAutoLoad[i] = named(new QCheckBox(this), QStringLiteral("chkAutoLoad%1").arg(i));
        chkAutoLoad[i]->setAccessibleName(QStringLiteral("Auto Load ") + n);
        chkAutoLoad[i]->setChecked(true);
        txtAlias[i] = named(new QLineEdit(this), QStringLiteral("txtAlias%1").arg(i));
        txtAlias[i]->setAccessibleName(QStringLiteral("Alias ") + n);
        cmdSiteOptions[i] = named(new QPushButton(QStringLiteral("Options..."), this),
                                  QStringLiteral("cmdSiteOptions%1").arg(i));
        cmdSiteOptions[i]->setAccessibleName(QStringLiteral("Site options for site ") + n);
        cmdSiteOptions[i]->setEnabled(false);
        connect(txtURL[i], &QLineEdit::textChanged, cmdSiteOptions[i],
                [b = cmdSiteOptions[i]](const QString &url) { b->setEnabled(!url.trimmed().isEmpty()); });
        connect(cmdSiteOptions[i], &QPushButton::clicked, this, [this, i] {
            frmSiteOptions::edit(m_ctx, UrlDataWriter::encodeUrl(txtURL[i]->text()), txtAlias[i]->text(), this);
        });
        grid->addWidget(txtURL[i], i + 1, 1);
        grid->addWidget(chkAutoLoad[i], i + 1, 2, Qt::AlignHCenter);
        grid->addWidget(cmdSiteOptions[i], i + 1, 3);
        grid->addWidget(txtAlias[i], i + 1, 4);
        txtURL[i]->installEventFilter(this);
        txtAlias[i]->installEventFilter(this);
    }
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(4, 2);
    return grid;
}

QGroupBox *frmURLs::buildRefreshOptions()
{
    // Refresh options: On Active above, Every with its minutes box and stepper below.
    auto *frmRefreshOptions = named(new QGroupBox(QStringLiteral("&Refresh Options"), this),
                                    QStringLiteral("frmRefreshOptions"));
    chkOnActive = named(new QCheckBox(QStringLiteral("On &Active"), frmRefreshOptions), QStringLiteral("chkOnActive"));
    chkEvery = named(new QCheckBox(QStringLiteral("&Every:"), frmRefreshOptions), QStringLiteral("chkEvery"));
    txtMinutes = named(new QLineEdit(QStringLiteral("1"), frmRefreshOptions), QStringLiteral("txtMinutes"));
    txtMinutes->setAccessibleName(QStringLiteral("Refresh interval in minutes"));
    txtMinutes->setFixedWidth(txtMinutes->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    txtMinutes->installEventFilter(this);
    auto *frmMins = named(new QFrame(frmRefreshOptions), QStringLiteral("frmMins"));
    VScrollMins = named(new QScrollBar(Qt::Vertical, frmMins), QStringLiteral("VScrollMins"));
    VScrollMins->setAccessibleName(QStringLiteral("Step refresh minutes"));
    VScrollMins->setRange(1, 60);
    VScrollMins->setInvertedAppearance(true); // the upper arrow raises the minutes
    VScrollMins->setInvertedControls(false);
    VScrollMins->setFocusPolicy(Qt::StrongFocus);
    VScrollMins->setFixedHeight(txtMinutes->sizeHint().height());
    auto *lblMins = named(new QLabel(QStringLiteral("&Mins"), frmMins), QStringLiteral("lblMins"));
    lblMins->setBuddy(txtMinutes);
    auto *lblReEvery = named(new QLabel(QStringLiteral("The refresh interval can be set from 1 to 60 minutes."), frmMins),
                             QStringLiteral("lblReEvery"));
    lblReEvery->setWordWrap(true);
    auto *minsRow = new QHBoxLayout(frmMins);
    minsRow->setContentsMargins(0, 0, 0, 0);
    minsRow->addWidget(VScrollMins);
    minsRow->addWidget(lblMins);
    minsRow->addSpacing(8);
    minsRow->addWidget(lblReEvery, 1);
    auto *refreshGrid = new QGridLayout(frmRefreshOptions);
    refreshGrid->addWidget(chkOnActive, 0, 0, 1, 3);
    refreshGrid->addWidget(chkEvery, 1, 0);
    refreshGrid->addWidget(txtMinutes, 1, 1);
    refreshGrid->addWidget(frmMins, 1, 2);
    refreshGrid->setColumnStretch(2, 1);

    return frmRefreshOptions;
}

QGroupBox *frmURLs::buildStartupOptions()
{
    auto *frmStartupOption = named(new QGroupBox(QStringLiteral("&Startup Options"), this),
                                   QStringLiteral("frmStartupOption"));
    optTabbed = named(new QRadioButton(QStringLiteral("Ta&bbed"), frmStartupOption), QStringLiteral("optTabbed"));
    optCascade = named(new QRadioButton(QStringLiteral("&Cascade"), frmStartupOption), QStringLiteral("optCascade"));
    optTile = named(new QRadioButton(QStringLiteral("&Tile"), frmStartupOption), QStringLiteral("optTile"));
    optTile->setChecked(true);
    auto *startupGrid = new QGridLayout(frmStartupOption);
    startupGrid->addWidget(named(new QLabel(QStringLiteral("URL Windows"), frmStartupOption), QStringLiteral("Label3")),
                           0, 0, 1, 3);
    startupGrid->addWidget(optTabbed, 1, 0);
    startupGrid->addWidget(optCascade, 1, 1);
    startupGrid->addWidget(optTile, 1, 2);

    return frmStartupOption;
}

QVBoxLayout *frmURLs::buildButtons()
{
    cmdOK = named(new QPushButton(QStringLiteral("&OK"), this), QStringLiteral("cmdOK"));
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("cmdCancel"));
    // Enter in any box cancels; a button with the focus takes Enter itself.
    cmdOK->setAutoDefault(true);
    cmdCancel->setAutoDefault(true);
    cmdCancel->setDefault(true);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    return buttons;
}

void frmURLs::readRows()
{
    UrlDataReader file(m_ctx.dataFilePath());
    while (!file.atEnd()) {
        const UrlRecord r = file.read();
        if (r.slot < 1 || r.slot > 8)
            throw RuntimeError::subscript();
        fillRow(r);
    }
}

void frmURLs::fillRow(const UrlRecord &r)
{
    const size_t i = size_t(r.slot - 1);
    txtURL[i]->setText(r.url);
    if (r.autoload == -1)
        chkAutoLoad[i]->setChecked(true);
    else if (r.autoload == 0)
        chkAutoLoad[i]->setChecked(false);
    txtAlias[i]->setText(r.alias);
}

void frmURLs::LoadSettingsIntoDialog()
{
    auto &s = m_ctx.state;
    Trap t(m_ctx, ErrorPolicy::longMsg());
    t([&] {
        // After a failed write the file holds old settings; the session's own stay.
        if (!s.SettingsUnsaved && !ReadSettings(s, m_ctx.settingsPath())) {
            s.applySettingsDefaults();
            t.stop();
        }
    });
    t([&] { chkOnActive->setChecked(s.RefreshOnActive == -1); });
    // Changing Every puts "1" into the minutes box; the next step overwrites it.
    t([&] { chkEvery->setChecked(s.RefreshEvery == -1); });
    t([&] {
        txtMinutes->setText(QString::number(s.RefreshMinutes));
        if (s.RefreshMinutes >= 1 && s.RefreshMinutes <= 60) {
            // The stepper starts from the saved value without writing the box again.
            const QSignalBlocker quiet(VScrollMins);
            VScrollMins->setValue(s.RefreshMinutes);
        }
    });
    t([&] {
        if (s.CascadeLayout == -1)
            optCascade->setChecked(true);
        else if (s.TileLayout == -1)
            optTile->setChecked(true);
        else
            optTabbed->setChecked(true);
    });
}

bool frmURLs::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && event->type() == QEvent::FocusIn && userMovedFocus(event)) {
        edit->selectAll();
        // A click places the cursor after the focus arrives; select again after it.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    } else if (edit == txtMinutes && event->type() == QEvent::FocusOut && userMovedFocus(event)) {
        txtMinutes_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void frmURLs::txtMinutes_Change()
{
    // Putting "1" back changes the text again; that change needs no check.
    if (m_inMinutesChange || isNumeric(txtMinutes->text()))
        return;
    const QScopedValueRollback guard(m_inMinutesChange, true);
    if (m_ctx.sound)
        m_ctx.sound->beep();
    m_ctx.plain(QStringLiteral("Please enter a numeric value!"));
    txtMinutes->setFocus();
    txtMinutes->setText(QStringLiteral("1"));
}

void frmURLs::txtMinutes_LostFocus()
{
    const QString text = txtMinutes->text();
    int value = 0; // a text that does not convert counts as nothing entered
    try {
        value = toInteger(text);
    } catch (const RuntimeError &) {
    }
    if (value <= 0 || text.trimmed().toDouble() > 60)
        txtMinutes->setText(QStringLiteral("60"));
}

void frmURLs::VScrollMins_Change()
{
    txtMinutes->setText(QString::number(VScrollMins->value()));
}

void frmURLs::chkEvery_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { txtMinutes->setText(QStringLiteral("1")); });
}

// The layout choice reaches the shared state at once, so windows opened later from
// the URL menu follow it even when the dialog is cancelled.
void frmURLs::optTabbed_Click() { setLayoutFlags(-1, 0, 0); }
void frmURLs::optCascade_Click() { setLayoutFlags(0, -1, 0); }
void frmURLs::optTile_Click() { setLayoutFlags(0, 0, -1); }

void frmURLs::setLayoutFlags(int16_t tabbed, int16_t cascade, int16_t tile)
{
    m_ctx.state.TabbedLayout = tabbed;
    m_ctx.state.CascadeLayout = cascade;
    m_ctx.state.TileLayout = tile;
}

void frmURLs::cmdCancel_Click()
{
    Trap t(m_ctx, ErrorPolicy::shortMsg());
    t([&] { reject(); });
}

bool frmURLs::minutesAcceptable() const
{
    const QString text = txtMinutes->text();
    try {
        const int value = toInteger(text);
        return value >= 1 && text.trimmed().toDouble() <= 60;
    } catch (const RuntimeError &) {
        return false;
    }
}

// OK chosen by its access key never took the focus from the minutes box, so
// its check runs here: the box is corrected as on leaving it, and OK stops so the
// person sees the value that would be saved.
bool frmURLs::minutesCheckedForOk()
{
    if (minutesAcceptable())
        return true;
    txtMinutes_LostFocus();
    txtMinutes->setFocus();
    txtMinutes->selectAll();
    return false;
}

ErrorPolicy frmURLs::okFailurePolicy()
{
    ErrorPolicy p;
    p.custom = [this](const RuntimeError &e) {
        // A file still open elsewhere, or a minimized window refusing a move, is harmless.
        if (e.number() == 55 || e.number() == 384)
            return false;
        emit frameFrozen(false);
        m_ctx.setScreenBusy(false);
        m_ctx.error(QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.') + e.description()
                    + QStringLiteral(". Unable to start. Re-install Velloran"));
        m_ctx.endProgram(1);
        return true;
    };
    return p;
}

void frmURLs::cmdOK_Click()
{
    if (!minutesCheckedForOk())
        return;
    auto &s = m_ctx.state;
    QPointer<frmSplash> splash;
    Trap t(m_ctx, okFailurePolicy());
    t([&] { hide(); });
    t([&] {
        splash = new frmSplash(m_ctx);
        splash->show();
    });
    t([&] { m_ctx.setScreenBusy(true); });
    t([&] { emit frameFrozen(true); });

    bool aliasHadQuote = false;
    const std::array<UrlRecord, 8> rows = rowsToSave(aliasHadQuote);
    // The file is replaced whole before any window changes: a failed write ends the
    // program with the previous file and the running windows as they were.
    t([&] {
        UrlDataWriter writer(m_ctx.dataFilePath());
        for (const UrlRecord &r : rows)
            writer.write(r);
        writer.commit();
    });
    for (const UrlRecord &r : rows)
        t([&] { updateRunningSlot(r); });

    t([&] { emit frameFrozen(false); });
    t([&] { m_ctx.setScreenBusy(false); });
    t([&] {
        if (aliasHadQuote)
            m_ctx.info(QStringLiteral("Double quotes in an alias were replaced by apostrophes."));
    });
    saveRefreshOptions(t);
    t([&] {
        if (s.FirstRun == -1) {
            // Start-up arranged nothing (there was no Top 8 yet): arrange now, and from
            // here on the dialog shows the file that was just written.
            emit arrangeWanted();
            s.FirstRun = 0;
        } else {
            applyLayout();
        }
    });
    t([&] { PlayWav(m_ctx, QStringLiteral("closeurl.wav")); });
    t([&] { accept(); });
    t([&] { delete splash; });
}

// The records hold what the file will hold, so the running windows and a later
// comparison see the same text as the next start.
std::array<UrlRecord, 8> frmURLs::rowsToSave(bool &aliasHadQuote) const
{
    std::array<UrlRecord, 8> rows;
    for (int i = 0; i < 8; ++i) {
        rows[i].slot = int16_t(i + 1);
        rows[i].url = UrlDataWriter::encodeUrl(txtURL[i]->text());
        rows[i].autoload = chkAutoLoad[i]->isChecked() ? -1 : 0;
        rows[i].alias = UrlDataWriter::encodeAlias(txtAlias[i]->text());
        aliasHadQuote = aliasHadQuote || txtAlias[i]->text().contains(QLatin1Char('"'));
    }
    return rows;
}

// The refresh options into the shared state and the settings file, each one step of
// OK's trap.
void frmURLs::saveRefreshOptions(Trap &t)
{
    auto &s = m_ctx.state;
    t([&] { s.RefreshOnActive = chkOnActive->isChecked() ? -1 : 0; });
    t([&] { s.RefreshEvery = chkEvery->isChecked() ? -1 : 0; });
    t([&] { s.RefreshMinutes = toInteger(txtMinutes->text()); });
    t([&] {
        s.SettingsUnsaved = !WriteSettings(s, m_ctx.settingsPath());
        if (s.SettingsUnsaved)
            m_ctx.error(QStringLiteral("Unable to update .ini file. Refresh Options changed for this session only."));
    });
}

void frmURLs::updateRunningSlot(const UrlRecord &r)
{
    auto &entry = m_ctx.state.Slots(r.slot);
    // A changed alias or Auto Load box alone reaches only the file.
    if (entry.url == r.url)
        return;
    entry.url = r.url;
    entry.caption = r.caption();

    if (entry.closed == 0 && m_ctx.windows.findByTag(QString::number(r.slot))) {
        emit slotClosing(r.slot);
        entry.closed = -1;
        show();
    }
    if (r.url.isEmpty())
        return;

    if (r.autoload == -1) {
        emit slotOpening(r);
    } else if (m_ctx.state.TabbedActive == 0) {
        // Tab windows put a slot on the menu only at the next start.
        emit slotListed(r.slot, r.caption());
    }
}

void frmURLs::applyLayout()
{
    const auto &s = m_ctx.state;
    auto restartNeeded = [this](const QString &text) {
        if (m_ctx.sound)
            m_ctx.sound->beep();
        m_ctx.info(text);
    };
    if (s.TabbedActive == 0) {
        if (s.TabbedLayout == -1)
            restartNeeded(QStringLiteral("You will need to close and re-open Velloran to apply the tabbed interface."));
        else if (s.TileLayout == -1)
            emit tileWanted();
        else if (s.CascadeLayout == -1)
            emit cascadeWanted();
    } else if (s.TabbedActive == -1) {
        if (s.TileLayout == -1)
            restartNeeded(QStringLiteral("You will need to close and re-open Velloran to apply the tile interface."));
        else if (s.CascadeLayout == -1)
            restartNeeded(QStringLiteral("You will need to close and re-open Velloran to apply the cascade interface."));
    }
}
