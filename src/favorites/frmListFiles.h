#pragma once
#include <QWidget>

class AppContext;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QToolButton;

// Lists the Internet shortcuts of the user's Favorites folder and lets the user browse
// other drives and folders; a chosen shortcut's web address is handed on by
// `favoriteChosen`, and whoever opened the window decides where it opens.
class frmListFiles : public QWidget
{
    Q_OBJECT
public:
    explicit frmListFiles(AppContext &ctx, QWidget *parent = nullptr);
    ~frmListFiles() override;

    // The web address a shortcut file holds, or the empty string.
    static QString fnOpenFavorite(const QString &path);

    // The folder Dir1 shows; setting it also refreshes File1.
    QString dirPath() const { return m_dirPath; }
    void setDirPath(const QString &path);

signals:
    // A shortcut was chosen and holds a web address (checked already).
    void favoriteChosen(const QString &address);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Resize();
    void showFavoritesFolder();
    void placeFromMainWindow();
    void fillDrives();
    void Drive1_Change(int index);
    void Dir1_Activated(QListWidgetItem *item);
    void File1_DblClick(QListWidgetItem *item);
    void openAddress(const QString &address);

    AppContext &m_ctx;
    QToolButton *Image1 = nullptr;
    QComboBox *Drive1 = nullptr;
    QListWidget *Dir1 = nullptr;
    QListWidget *File1 = nullptr;
    QString m_dirPath;
    bool m_resizing = false;
    bool m_placedAfterFraming = false;
};

class BrowserControl;

// Opens the Favorites window, or brings an open one forward without reloading it; its
// chosen shortcuts open in `target` from now on (a message says so when it is gone).
// A null target leaves an open window's earlier one as it was.
frmListFiles *showFavoritesWindow(AppContext &ctx, BrowserControl *target);
