#include "setup/frmSiteOptions.h"
#include "engine/SiteSettings.h"
#include "platform/AppContext.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

template <typename W>
W *named(W *w, const QString &name, const QString &accessible)
{
    w->setObjectName(name);
    w->setAccessibleName(accessible);
    return w;
}

QLabel *buddyLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// Each unit's own bounds; every total they allow lies within SiteOptions' range.
constexpr int kUnitMin[] = {SiteOptions::kMinInterval, 1, 1};
constexpr int kUnitMax[] = {SiteOptions::kMaxInterval, SiteOptions::kMaxInterval / 60, SiteOptions::kMaxInterval / 3600};

const char *const kDayCaptions[] = {"&Mon", "Tu&e", "We&d", "T&hu", "Fr&i", "S&at", "&Sun"};
const char *const kDayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

int minutesOf(const QTime &t) { return t.hour() * 60 + t.minute(); }
QTime timeOf(int minutes) { return QTime(minutes / 60, minutes % 60); }

// The file keys a site by its address; an address that yields no key cannot be kept.
bool keyable(const QString &address)
{
    const QString key = SiteSettings::siteKey(address);
    return !key.isEmpty() && !key.contains(QLatin1Char(' ')) && !key.contains(QLatin1Char('\t'));
}

} // namespace

bool frmSiteOptions::edit(AppContext &ctx, const QString &address, const QString &siteName, QWidget *parent)
{
    if (!ctx.sites) {
        ctx.error(QStringLiteral("Velloran cannot keep options for sites in this session."));
        return false;
    }
    if (!keyable(address)) {
        ctx.info(QStringLiteral("Enter the site's address first."));
        return false;
    }
    return ctx.dialogs->exec(new frmSiteOptions(ctx, address, siteName, parent)) == QDialog::Accepted;
}

frmSiteOptions::frmSiteOptions(AppContext &ctx, const QString &address, const QString &siteName, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_address(address)
{
    setObjectName(QStringLiteral("frmSiteOptions"));
    buildControls(siteName);
    // A custom interval starts from the one set for all sites.
    const int allSites = ctx.state.RefreshMinutes;
    setIntervalSeconds(allSites >= 1 && allSites <= 60 ? allSites * 60 : 60);
    load(ctx.sites ? ctx.sites->options(address) : SiteOptions());
}

void frmSiteOptions::buildControls(const QString &siteName)
{
    setWindowTitle(QStringLiteral("Site Options"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
    auto *root = new QVBoxLayout(this);

    // Which site: plain text, cut short in the middle so both ends of an address show.
    constexpr int kSiteWidth = 420;
    lblSiteName = named(new QLabel(this), QStringLiteral("lblSiteName"), QStringLiteral("Site name"));
    lblSiteAddress = named(new QLabel(this), QStringLiteral("lblSiteAddress"), QStringLiteral("Site address"));
    for (QLabel *l : {lblSiteName, lblSiteAddress})
        l->setTextFormat(Qt::PlainText);
    QFont bold = lblSiteName->font();
    bold.setBold(true);
    lblSiteName->setFont(bold);
    const QString name = siteName.trimmed();
    lblSiteName->setText(QFontMetrics(bold).elidedText(name, Qt::ElideRight, kSiteWidth));
    lblSiteName->setToolTip(name);
    lblSiteName->setVisible(!name.isEmpty() && name != m_address.trimmed());
    lblSiteAddress->setText(lblSiteAddress->fontMetrics().elidedText(m_address.trimmed(), Qt::ElideMiddle, kSiteWidth));
    lblSiteAddress->setToolTip(m_address.trimmed());
    root->addWidget(lblSiteName);
    root->addWidget(lblSiteAddress);

    // Refresh
    auto *refresh = new QGroupBox(QStringLiteral("Refresh"), this);
    cboInterval = named(new QComboBox(refresh), QStringLiteral("cboInterval"), QStringLiteral("Reload"));
    cboInterval->addItems({QStringLiteral("As set for all sites"), QStringLiteral("At its own interval")});
    const int minutes = m_ctx.state.RefreshMinutes;
    cboInterval->setToolTip(m_ctx.state.RefreshEvery != -1 ? QStringLiteral("Set Up has no timed reload for all sites.")
                            : minutes == 1 ? QStringLiteral("Set Up reloads all sites every minute.")
                                           : QStringLiteral("Set Up reloads all sites every %1 minutes.").arg(minutes));
    spnInterval = named(new QSpinBox(refresh), QStringLiteral("spnInterval"), QStringLiteral("Reload every"));
    spnInterval->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    cboIntervalUnit = named(new QComboBox(refresh), QStringLiteral("cboIntervalUnit"),
                            QStringLiteral("Reload interval unit"));
    cboIntervalUnit->addItems({QStringLiteral("seconds"), QStringLiteral("minutes"), QStringLiteral("hours")});
    auto *lblRange = new QLabel(QStringLiteral("From 10 seconds to 24 hours."), refresh);
    lblRange->setForegroundRole(QPalette::PlaceholderText);
    chkNotWhileUsed = named(new QCheckBox(QStringLiteral("Not while I am &using it"), refresh),
                            QStringLiteral("chkNotWhileUsed"), QStringLiteral("Not while I am using it"));
    chkNotWhileUsed->setToolTip(QStringLiteral("No automatic reload of the page in front while you have used the "
                                               "mouse or keyboard in it within the last 30 seconds."));
    auto *everyRow = new QHBoxLayout;
    everyRow->addWidget(spnInterval);
    everyRow->addSpacing(8);
    everyRow->addWidget(buddyLabel(QStringLiteral("U&nit:"), cboIntervalUnit, refresh));
    everyRow->addWidget(cboIntervalUnit);
    everyRow->addSpacing(8);
    everyRow->addWidget(lblRange, 1);
    auto *refreshForm = new QFormLayout(refresh);
    refreshForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    refreshForm->addRow(buddyLabel(QStringLiteral("&Reload:"), cboInterval, refresh), cboInterval);
    refreshForm->addRow(buddyLabel(QStringLiteral("E&very:"), spnInterval, refresh), everyRow);
    refreshForm->addRow(chkNotWhileUsed);
    root->addWidget(refresh);

    // Active hours
    auto *hours = new QGroupBox(QStringLiteral("Active hours"), this);
    chkHours = named(new QCheckBox(QStringLiteral("Reload &only during these hours"), hours), QStringLiteral("chkHours"),
                     QStringLiteral("Reload only during these hours"));
    auto *days = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        chkDay[i] = named(new QCheckBox(QString::fromLatin1(kDayCaptions[i]), hours), QStringLiteral("chkDay%1").arg(i),
                          QString::fromLatin1(kDayNames[i]));
        days->addWidget(chkDay[i]);
    }
    days->addStretch(1);
    timFrom = named(new QTimeEdit(hours), QStringLiteral("timFrom"), QStringLiteral("From"));
    timTo = named(new QTimeEdit(hours), QStringLiteral("timTo"), QStringLiteral("To"));
    for (QTimeEdit *t : {timFrom, timTo})
        t->setDisplayFormat(QStringLiteral("HH:mm"));
    lblHoursHint = new QLabel(hours);
    lblHoursHint->setObjectName(QStringLiteral("lblHoursHint"));
    lblHoursHint->setForegroundRole(QPalette::PlaceholderText);
    auto *times = new QHBoxLayout;
    times->addWidget(buddyLabel(QStringLiteral("&From:"), timFrom, hours));
    times->addWidget(timFrom);
    times->addSpacing(12);
    times->addWidget(buddyLabel(QStringLiteral("&To:"), timTo, hours));
    times->addWidget(timTo);
    times->addSpacing(12);
    times->addWidget(lblHoursHint, 1);
    auto *hoursBox = new QVBoxLayout(hours);
    hoursBox->addWidget(chkHours);
    hoursBox->addLayout(days);
    hoursBox->addLayout(times);
    root->addWidget(hours);

    // Changes
    auto *changes = new QGroupBox(QStringLiteral("Changes"), this);
    chkIgnoreNumbers = named(new QCheckBox(QStringLiteral("I&gnore numbers and times"), changes),
                             QStringLiteral("chkIgnoreNumbers"), QStringLiteral("Ignore numbers and times"));
    chkIgnoreNumbers->setToolTip(
        QStringLiteral("A change of digits alone, like a clock or counter, does not mark the page as changed."));
    chkNotifyChange = named(new QCheckBox(QStringLiteral("Notify me when it &changes"), changes),
                            QStringLiteral("chkNotifyChange"), QStringLiteral("Notify me when it changes"));
    chkNotifyText = named(new QCheckBox(QStringLiteral("Notify me when this te&xt appears:"), changes),
                          QStringLiteral("chkNotifyText"), QStringLiteral("Notify me when this text appears"));
    txtNotifyText = named(new QLineEdit(changes), QStringLiteral("txtNotifyText"), QStringLiteral("Text to watch for"));
    txtNotifyText->setMaxLength(SiteOptions::kMaxWatchedText);
    auto *textRow = new QHBoxLayout;
    textRow->addWidget(chkNotifyText);
    textRow->addWidget(txtNotifyText, 1);
    auto *changesBox = new QVBoxLayout(changes);
    changesBox->addWidget(chkIgnoreNumbers);
    changesBox->addWidget(chkNotifyChange);
    changesBox->addLayout(textRow);
    root->addWidget(changes);

    // Wall mode
    auto *wall = new QGroupBox(QStringLiteral("Wall mode"), this);
    spnDwell = named(new QSpinBox(wall), QStringLiteral("spnDwell"), QStringLiteral("Show on the wall for"));
    spnDwell->setRange(0, SiteOptions::kMaxDwell);
    spnDwell->setSuffix(QStringLiteral(" s"));
    spnDwell->setSpecialValueText(QStringLiteral("Not shown"));
    spnDwell->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    spnDwell->setToolTip(QStringLiteral("How long this site stays in front when the sites take turns on the wall."));
    auto *wallRow = new QHBoxLayout(wall);
    wallRow->addWidget(buddyLabel(QStringLiteral("Show on the &wall for"), spnDwell, wall));
    wallRow->addWidget(spnDwell);
    wallRow->addStretch(1);
    root->addWidget(wall);

    root->addStretch(1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    root->addWidget(buttons);

    QList<QWidget *> order{cboInterval, spnInterval, cboIntervalUnit, chkNotWhileUsed, chkHours};
    for (QCheckBox *d : chkDay)
        order << d;
    order << timFrom << timTo << chkIgnoreNumbers << chkNotifyChange << chkNotifyText << txtNotifyText << spnDwell
          << cmdOK << cmdCancel;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cboInterval, &QComboBox::currentIndexChanged, this, &frmSiteOptions::intervalChoiceChanged);
    connect(cboIntervalUnit, &QComboBox::currentIndexChanged, this, &frmSiteOptions::unitChanged);
    connect(chkHours, &QCheckBox::toggled, this, &frmSiteOptions::hoursToggled);
    connect(timFrom, &QTimeEdit::timeChanged, this, &frmSiteOptions::updateHoursHint);
    connect(timTo, &QTimeEdit::timeChanged, this, &frmSiteOptions::updateHoursHint);
    connect(chkNotifyText, &QCheckBox::toggled, txtNotifyText, &QWidget::setEnabled);
    // Ticked by the person, the box's text is what they mean to type next.
    connect(chkNotifyText, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            txtNotifyText->setFocus();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &frmSiteOptions::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void frmSiteOptions::intervalChoiceChanged()
{
    const bool own = cboInterval->currentIndex() == 1;
    spnInterval->setEnabled(own);
    cboIntervalUnit->setEnabled(own);
}

// The number stays as typed and the new unit's bounds correct it.
void frmSiteOptions::unitChanged()
{
    const int u = std::max(0, cboIntervalUnit->currentIndex());
    spnInterval->setRange(kUnitMin[u], kUnitMax[u]);
}

void frmSiteOptions::setIntervalSeconds(int seconds)
{
    seconds = std::clamp(seconds, SiteOptions::kMinInterval, SiteOptions::kMaxInterval);
    const int u = seconds % 3600 == 0 ? Hours : seconds % 60 == 0 ? Minutes : Seconds;
    cboIntervalUnit->setCurrentIndex(u);
    unitChanged();
    spnInterval->setValue(seconds / kUnitSeconds[u]);
}

void frmSiteOptions::hoursToggled(bool on)
{
    // A first tick starts from the working week rather than from nothing.
    if (on && std::none_of(chkDay.begin(), chkDay.end(), [](QCheckBox *d) { return d->isChecked(); })) {
        for (int i = 0; i < 7; ++i)
            chkDay[i]->setChecked(i < 5);
        timFrom->setTime(QTime(7, 0));
        timTo->setTime(QTime(19, 0));
    }
    for (QCheckBox *d : chkDay)
        d->setEnabled(on);
    timFrom->setEnabled(on);
    timTo->setEnabled(on);
    updateHoursHint();
}

void frmSiteOptions::updateHoursHint()
{
    const int from = minutesOf(timFrom->time());
    const int to = minutesOf(timTo->time());
    QString hint;
    if (chkHours->isChecked() && to < from)
        hint = QStringLiteral("Ends the next day, past midnight.");
    else if (chkHours->isChecked() && to == from)
        hint = QStringLiteral("The whole day.");
    lblHoursHint->setText(hint);
}

void frmSiteOptions::load(const SiteOptions &o)
{
    if (o.intervalSeconds)
        setIntervalSeconds(o.intervalSeconds);
    cboInterval->setCurrentIndex(o.intervalSeconds ? 1 : 0);
    intervalChoiceChanged();
    chkNotWhileUsed->setChecked(o.notWhileUsed);

    // Days and times before the box, so ticking it finds them and keeps them.
    for (int i = 0; i < 7; ++i)
        chkDay[i]->setChecked(o.hours.days & (1 << i));
    if (o.hours.limited()) {
        timFrom->setTime(timeOf(o.hours.start));
        timTo->setTime(timeOf(o.hours.end));
    }
    chkHours->setChecked(o.hours.limited());
    hoursToggled(chkHours->isChecked());

    chkIgnoreNumbers->setChecked(o.ignoreNumbers);
    chkNotifyChange->setChecked(o.notifyOnChange);
    txtNotifyText->setText(o.watchedText);
    chkNotifyText->setChecked(!o.watchedText.isEmpty());
    txtNotifyText->setEnabled(chkNotifyText->isChecked());
    spnDwell->setValue(o.dwellSeconds);
}

SiteOptions frmSiteOptions::chosen() const
{
    SiteOptions o;
    if (cboInterval->currentIndex() == 1) {
        const int u = std::max(0, cboIntervalUnit->currentIndex());
        o.intervalSeconds = std::clamp(spnInterval->value() * kUnitSeconds[u], SiteOptions::kMinInterval,
                                       SiteOptions::kMaxInterval);
    }
    o.notWhileUsed = chkNotWhileUsed->isChecked();
    if (chkHours->isChecked()) {
        for (int i = 0; i < 7; ++i)
            if (chkDay[i]->isChecked())
                o.hours.days |= quint8(1 << i);
        o.hours.start = minutesOf(timFrom->time());
        o.hours.end = minutesOf(timTo->time());
    }
    o.ignoreNumbers = chkIgnoreNumbers->isChecked();
    o.notifyOnChange = chkNotifyChange->isChecked();
    // Ticked with nothing to look for is the same as not ticked.
    if (chkNotifyText->isChecked())
        o.watchedText = txtNotifyText->text().simplified();
    o.dwellSeconds = spnDwell->value();
    return o;
}

void frmSiteOptions::cmdOK_Click()
{
    // Text still being typed into a spin box is corrected to its bounds, and shown so.
    spnInterval->interpretText();
    spnDwell->interpretText();
    if (chkHours->isChecked() && std::none_of(chkDay.begin(), chkDay.end(), [](QCheckBox *d) { return d->isChecked(); })) {
        m_ctx.info(QStringLiteral("Choose at least one day for the active hours."));
        chkDay[0]->setFocus();
        return;
    }
    if (!m_ctx.sites) {
        m_ctx.error(QStringLiteral("Velloran cannot keep options for sites in this session."));
        reject();
        return;
    }
    if (!keyable(m_address)) {
        m_ctx.info(QStringLiteral("Enter the site's address first."));
        return;
    }
    // A write that fails still leaves the options in force for this session.
    if (!m_ctx.sites->setOptions(m_address, chosen()))
        m_ctx.error(QStringLiteral(
            "Velloran could not save the options for this site; they are kept until you close Velloran."));
    accept();
}
