#pragma once
#include "core/SiteOptions.h"
#include <QDialog>
#include <array>

class AppContext;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

// One Top 8 site's own options: its refresh interval and hours, how its changes are
// noticed and how long it shows on the wall. What it shows is read from, and OK writes
// to, the program's SiteSettings under the site's address.
class frmSiteOptions : public QDialog
{
    Q_OBJECT
public:
    // Runs the dialog for `address` (as the data file holds it); `siteName` is the
    // alias, shown above the address when there is one. True when OK kept the options,
    // if only for this session when the file could not be written.
    static bool edit(AppContext &ctx, const QString &address, const QString &siteName, QWidget *parent);

    frmSiteOptions(AppContext &ctx, const QString &address, const QString &siteName, QWidget *parent = nullptr);

    // What the controls hold, as it would be kept.
    SiteOptions chosen() const;
    void load(const SiteOptions &o);

    enum Unit { Seconds, Minutes, Hours };
    static constexpr int kUnitSeconds[] = {1, 60, 3600};

    QLabel *lblSiteName = nullptr;
    QLabel *lblSiteAddress = nullptr;
    QComboBox *cboInterval = nullptr;
    QSpinBox *spnInterval = nullptr;
    QComboBox *cboIntervalUnit = nullptr;
    QCheckBox *chkNotWhileUsed = nullptr;
    QCheckBox *chkHours = nullptr;
    std::array<QCheckBox *, 7> chkDay{};
    QTimeEdit *timFrom = nullptr;
    QTimeEdit *timTo = nullptr;
    QLabel *lblHoursHint = nullptr;
    QCheckBox *chkIgnoreNumbers = nullptr;
    QCheckBox *chkNotifyChange = nullptr;
    QCheckBox *chkNotifyText = nullptr;
    QLineEdit *txtNotifyText = nullptr;
    QSpinBox *spnDwell = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void buildControls(const QString &siteName);
    void cmdOK_Click();
    void intervalChoiceChanged();
    void unitChanged();
    void hoursToggled(bool on);
    void updateHoursHint();
    void setIntervalSeconds(int seconds);

    AppContext &m_ctx;
    QString m_address;
};
