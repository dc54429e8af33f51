#pragma once
#include "core/UrlDataFile.h"
#include <QDialog>
#include <array>
#include <cstdint>

class AppContext;
class Trap;
struct ErrorPolicy;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QVBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The Set Up dialog, where the user edits the Top 8, the refresh options and the
// layout. It keeps no data of its own: the rows come from the URL data file, the
// rest from the shared state, and OK writes both files and updates the running frame.
class frmURLs : public QDialog
{
    Q_OBJECT
public:
    // `salvaged`: records of a damaged data file to start from instead of the file.
    explicit frmURLs(AppContext &ctx, QWidget *parent = nullptr, const QList<UrlRecord> &salvaged = {});
    ~frmURLs() override;

    void LoadSettingsIntoDialog();

    void cmdOK_Click();
    void cmdCancel_Click();
    void chkEvery_Click();
    void optTabbed_Click();
    void optCascade_Click();
    void optTile_Click();
    void txtMinutes_Change();
    void txtMinutes_LostFocus();
    void VScrollMins_Change();

    // Rows of slots 1..8 at index slot - 1.
    std::array<QLineEdit *, 8> txtURL{};
    std::array<QCheckBox *, 8> chkAutoLoad{};
    std::array<QLineEdit *, 8> txtAlias{};
    // Opens the row's own site options; only a row with an address has any.
    std::array<QPushButton *, 8> cmdSiteOptions{};

    QRadioButton *optTabbed = nullptr;
    QRadioButton *optCascade = nullptr;
    QRadioButton *optTile = nullptr;
    QCheckBox *chkOnActive = nullptr;
    QCheckBox *chkEvery = nullptr;
    QLineEdit *txtMinutes = nullptr;
    QScrollBar *VScrollMins = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

signals:
    // What OK changed in the running program; the frame carries it out.
    void frameFrozen(bool frozen);             // hold the frame's drawing while it changes
    void slotClosing(int slot);                // its address changed: the old page goes
    void slotOpening(const UrlRecord &record); // an Auto Load slot opens
    void slotListed(int slot, const QString &caption); // the slot goes on the URL menu
    void arrangeWanted();                      // first run: arrange what opened
    void tileWanted();
    void cascadeWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    std::array<UrlRecord, 8> rowsToSave(bool &aliasHadQuote) const;
    void saveRefreshOptions(Trap &t);
    bool minutesCheckedForOk();
    // A failed OK restores the frame and ends the program, but for the harmless errors.
    ErrorPolicy okFailurePolicy();
    QGridLayout *buildRows();
    QGroupBox *buildRefreshOptions();
    QGroupBox *buildStartupOptions();
    QVBoxLayout *buildButtons();
    void readRows();
    void fillRow(const UrlRecord &r);
    bool minutesAcceptable() const;
    void updateRunningSlot(const UrlRecord &r);
    void applyLayout();
    void setLayoutFlags(int16_t tabbed, int16_t cascade, int16_t tile);

    AppContext &m_ctx;
    bool m_inMinutesChange = false;
};
