#include "favorites/frmListFiles.h"
#include "engine/BrowserControl.h"
#include "favorites/basExplorerShell.h"
#include "platform/AppContext.h"
#include "platform/ErrorTrap.h"
#include <QComboBox>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QPointer>
#include <QStorageInfo>
#include <QTextStream>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

static const QString kParentEntry = QStringLiteral("..");

frmListFiles::frmListFiles(AppContext &ctx, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmListFiles"));
    setWindowTitle(QStringLiteral("Favorites Browse..."));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velloran.svg")));
    setAttribute(Qt::WA_DeleteOnClose);
    ctx.windows.join(this);
    buildControls();
    Form_Load();
}

frmListFiles::~frmListFiles()
{
    m_ctx.windows.leave(this);
}

void frmListFiles::buildControls()
{
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSizeF(8.25);

    Image1 = new QToolButton(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setIcon(QIcon(QStringLiteral(":/icons/favorites.svg")));
    Image1->setIconSize(QSize(16, 16));
    Image1->setAutoRaise(true);
    Image1->setAccessibleName(QStringLiteral("Back to Favorites"));
    Image1->setToolTip(QStringLiteral("Show the Favorites folder"));
    connect(Image1, &QToolButton::clicked, this, &frmListFiles::showFavoritesFolder);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    Drive1->setFont(listFont);
    fillDrives();
    // activated, not currentIndexChanged: only the user's choice moves the folder list.
    connect(Drive1, &QComboBox::activated, this, &frmListFiles::Drive1_Change);

    Dir1 = new QListWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setAccessibleName(QStringLiteral("Folders"));
    Dir1->setFont(listFont);
    Dir1->setMinimumHeight(40);
    connect(Dir1, &QListWidget::itemActivated, this, &frmListFiles::Dir1_Activated);

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setAccessibleName(QStringLiteral("Shortcuts"));
    File1->setFont(listFont);
    File1->setMinimumHeight(40);
    connect(File1, &QListWidget::itemActivated, this, &frmListFiles::File1_DblClick);

    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(Image1);
    top->addWidget(Drive1, 1);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    column->addLayout(top);
    column->addWidget(Dir1, 2);
    column->addWidget(File1, 3);

    setTabOrder(Image1, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
}

void frmListFiles::fillDrives()
{
    QStringList roots;
    for (const QFileInfo &drive : QDir::drives())
        roots.append(drive.absoluteFilePath());
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        // Containers bind-mount single files; only folders can be browsed.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots.append(volume.rootPath());
    }
    if (roots.isEmpty())
        roots.append(QDir::rootPath());
    roots.removeDuplicates();
    roots.sort(Qt::CaseInsensitive);
    Drive1->addItems(roots);
    // Shows the current drive, not the Favorites folder's.
    const int current = Drive1->findText(QStorageInfo(QDir::currentPath()).rootPath());
    Drive1->setCurrentIndex(current >= 0 ? current : Drive1->findText(QDir::rootPath()));
}

void frmListFiles::Form_Load()
{
    const double tx = m_ctx.screen ? m_ctx.screen->twipsPerPixelX() : 15.0;
    const double ty = m_ctx.screen ? m_ctx.screen->twipsPerPixelY() : 15.0;
    resize(260, 420);
    if (tx > 0 && ty > 0)
        placeFromMainWindow();
    showFavoritesFolder();
    Form_Resize();
}

void frmListFiles::placeFromMainWindow()
{
    const double tx = m_ctx.screen ? m_ctx.screen->twipsPerPixelX() : 15.0;
    const double ty = m_ctx.screen ? m_ctx.screen->twipsPerPixelY() : 15.0;
    if (tx > 0 && ty > 0)
        move(qRound(m_ctx.state.FavoritesLeft / tx), qRound(m_ctx.state.FavoritesTop / ty));
}

void frmListFiles::showFavoritesFolder()
{
    QString folder = GetSpecialFolderPath(CSIDL_FAVORITES);
    // Without a Favorites folder the home folder is the most useful place to start.
    if (folder.isEmpty())
        folder = QDir::homePath();
    setDirPath(folder);
}

void frmListFiles::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// The frame's own size is known only once the window manager has framed the window,
// a moment after it is shown; the first showing places it again then, so the title
// bar lands where the main window's corner says and the height counts the frame.
void frmListFiles::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Form_Resize();
    if (m_placedAfterFraming)
        return;
    m_placedAfterFraming = true;
    QTimer::singleShot(250, this, [this] {
        placeFromMainWindow();
        Form_Resize();
    });
}

void frmListFiles::Form_Resize()
{
    // The height follows the main window; only the width is the user's. Nothing here
    // may fail loudly, so an unusable value simply leaves the height alone.
    if (m_resizing || !m_ctx.screen)
        return;
    const double ty = m_ctx.screen->twipsPerPixelY();
    if (ty <= 0 || m_ctx.state.FavoritesHeight <= 0)
        return;
    const int frame = isVisible() ? frameGeometry().height() - height() : 0;
    const int target = qRound(m_ctx.state.FavoritesHeight / ty) - frame;
    if (target <= 0 || target == height())
        return;
    m_resizing = true;
    resize(width(), target);
    m_resizing = false;
}

void frmListFiles::setDirPath(const QString &path)
{
    m_dirPath = QDir::cleanPath(QDir(path).absolutePath());
    const QDir dir(m_dirPath);

    Dir1->clear();
    if (!dir.isRoot()) {
        auto *up = new QListWidgetItem(kParentEntry, Dir1);
        up->setData(Qt::UserRole, QDir::cleanPath(m_dirPath + QStringLiteral("/..")));
    }
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : folders) {
        auto *item = new QListWidgetItem(name, Dir1);
        item->setData(Qt::UserRole, dir.filePath(name));
    }
    Dir1->setToolTip(m_dirPath);
    Dir1->setAccessibleDescription(m_dirPath);

    // File1 follows every change of Dir1's folder.
    File1->clear();
    File1->addItems(dir.entryList({QStringLiteral("*.url")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void frmListFiles::Drive1_Change(int index)
{
    if (index >= 0)
        setDirPath(Drive1->itemText(index));
}

void frmListFiles::Dir1_Activated(QListWidgetItem *item)
{
    if (item)
        setDirPath(item->data(Qt::UserRole).toString());
}

void frmListFiles::File1_DblClick(QListWidgetItem *item)
{
    if (!item)
        return;
    QString path = m_dirPath.trimmed();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += item->text().trimmed();
    openAddress(fnOpenFavorite(path));
    close();
}

// Shortcut files come from anywhere; only ordinary web and file addresses are opened.
static bool isWebAddress(const QString &address)
{
    static const QStringList allowed = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("ftp"), QStringLiteral("file")};
    const QString text = address.trimmed();
    const QString scheme = QUrl(text).scheme().toLower();
    if (!scheme.isEmpty())
        return allowed.contains(scheme);
    // No scheme of its own: judge what the browser will make of it.
    return allowed.contains(QUrl::fromUserInput(text).scheme().toLower());
}

void frmListFiles::openAddress(const QString &address)
{
    // A shortcut without an address says so instead of navigating the page to nothing.
    if (address.trimmed().isEmpty()) {
        m_ctx.info(QStringLiteral("This shortcut holds no web address."));
        return;
    }
    if (!isWebAddress(address)) {
        m_ctx.error(QStringLiteral("This shortcut was not opened: its address is not a web page."));
        return;
    }
    emit favoriteChosen(address);
}

QString frmListFiles::fnOpenFavorite(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    QStringList lines;
    while (!in.atEnd())
        lines.append(in.readLine());
    const bool readOk = in.status() == QTextStream::Ok;
    file.close();
    if (!readOk || lines.size() < 2)
        return QString();

    // Older shortcuts carry the address as the second line's "BASEURL=" entry.
    const QString second = lines.at(1);
    if (second.toLower().contains(QStringLiteral("baseurl="))) {
        const QString address = second.mid(8);
        if (!address.trimmed().isEmpty())
            return address;
    }

    // The usual form keeps it as URL= in the [InternetShortcut] section.
    bool inShortcut = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inShortcut = line.mid(1, line.size() - 2).trimmed()
                             .compare(QStringLiteral("InternetShortcut"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!inShortcut || eq <= 0)
            continue;
        if (line.left(eq).trimmed().compare(QStringLiteral("URL"), Qt::CaseInsensitive) == 0) {
            const QString address = line.mid(eq + 1).trimmed();
            if (!address.isEmpty())
                return address;
        }
    }
    return QString();
}

frmListFiles *showFavoritesWindow(AppContext &ctx, BrowserControl *target)
{
    // One Favorites window: the open one is found among the loaded windows.
    frmListFiles *w = nullptr;
    for (QWidget *loaded : ctx.windows.windows())
        if (auto *f = qobject_cast<frmListFiles *>(loaded); f && !w)
            w = f;
    if (w) {
        w->show();
        w->raise();
        w->activateWindow();
        // The caller found no page: the shortcuts go on opening where they did.
        if (!target)
            return w;
        QObject::disconnect(w, &frmListFiles::favoriteChosen, nullptr, nullptr);
    } else {
        w = new frmListFiles(ctx);
        w->show();
    }
    QObject::connect(w, &frmListFiles::favoriteChosen, w, [&ctx, page = QPointer<BrowserControl>(target)](const QString &address) {
        if (!page) {
            ctx.error(QStringLiteral("There is no browser window to open this shortcut in."));
            return;
        }
        Trap t(ctx, ErrorPolicy::navigation());
        t([&] { page->Navigate(address); });
    });
    return w;
}
