#include "engine/Downloads.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include "platform/Services.h"
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <utility>

namespace Downloads {

namespace {

QString downloadsFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::homePath();
    return folder;
}

// Names being saved now, which may not exist on disk yet.
QSet<QString> &namesInUse()
{
    static QSet<QString> names;
    return names;
}

} // namespace

QString safeName(const QString &offered)
{
    QString name;
    for (const QChar c : offered) {
        // Control and direction characters could make "report\u202Efdp.desktop" read as a PDF.
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Other_Format || cat == QChar::Separator_Line
            || cat == QChar::Separator_Paragraph || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            continue;
        name += c;
    }
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.size() > 200)
        name = name.left(100) + name.right(100);
    return name.isEmpty() ? QStringLiteral("download") : name;
}

QString uniquePath(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    const QFileInfo info(name);
    const QString stem = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const QString suffix = info.completeBaseName().isEmpty() || info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString candidate = dir.filePath(name);
    for (int n = 1; QFileInfo::exists(candidate) || namesInUse().contains(candidate); ++n)
        candidate = dir.filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
    return candidate;
}

// Nothing waits inside the engine's call: the download is saved at once in the
// downloads folder under a name of its own, and its window offers Rename and Cancel.
void start(QWebEngineDownloadRequest *download)
{
    QPointer<WebPage> page = qobject_cast<WebPage *>(download->page());
    const QString path = uniquePath(downloadsFolder(), safeName(download->downloadFileName()));
    namesInUse().insert(path);
    QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, download, [path] { namesInUse().remove(path); });
    QObject::connect(download, &QObject::destroyed, [path] { namesInUse().remove(path); });
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->accept();
    auto *window = new DownloadWindow(download, page, page ? page->dialogParent() : nullptr);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
}

} // namespace Downloads

DownloadWindow::DownloadWindow(QWebEngineDownloadRequest *download, WebPage *page, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_download(download), m_page(page),
      m_name(download->downloadFileName()), m_site(WebPage::siteName(download->url())),
      m_path(QDir(download->downloadDirectory()).filePath(download->downloadFileName()))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("downloadWindow"));
    setWindowTitle(QStringLiteral("Downloading %1 - Velloran").arg(m_name));
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setMinimumWidth(380);
    m_bar = new QProgressBar(this);
    m_bar->setAccessibleName(QStringLiteral("Download progress"));
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancel = new QPushButton(QStringLiteral("&Cancel Download"), this);
    m_rename = new QPushButton(QStringLiteral("&Rename..."), this);
    m_rename->setAccessibleDescription(QStringLiteral("Choose another name or folder for this file"));
    m_folder = new QPushButton(QStringLiteral("Open &Folder"), this);
    m_close = new QPushButton(QStringLiteral("C&lose"), this);
    m_folder->hide();
    m_close->hide();
    for (QPushButton *b : {m_rename, m_cancel, m_folder, m_close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, download, &QWebEngineDownloadRequest::cancel);
    connect(m_folder, &QPushButton::clicked, this, [this] {
        if (m_page && m_page->session().shell())
            m_page->session().shell()->open(QUrl::fromLocalFile(QFileInfo(m_path).absolutePath()));
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_rename, &QPushButton::clicked, this, &DownloadWindow::chooseName);
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, &DownloadWindow::progress);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, this, &DownloadWindow::progress);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, &DownloadWindow::finished);
    progress();
    if (download->isFinished())
        finished();
}

void DownloadWindow::progress()
{
    if (m_download->isFinished())
        return;
    const QLocale locale;
    const qint64 got = m_download->receivedBytes();
    const qint64 total = m_download->totalBytes();
    QString text = QStringLiteral("Saving %1 from %2 to %3\n").arg(m_name, m_site, QDir::toNativeSeparators(m_download->downloadDirectory()));
    if (total > 0) {
        const int percent = int(got * 100 / total);
        m_bar->setRange(0, 100);
        m_bar->setValue(percent);
        text += QStringLiteral("%1 of %2").arg(locale.formattedDataSize(got), locale.formattedDataSize(total));
        if (percent != m_lastPercent) {
            m_lastPercent = percent;
            status(QStringLiteral(" Downloading %1: %2 %").arg(m_name).arg(percent));
        }
    } else {
        m_bar->setRange(0, 0);
        text += locale.formattedDataSize(got);
        if (m_lastPercent != -2) {
            m_lastPercent = -2;
            status(QStringLiteral(" Downloading %1 ...").arg(m_name));
        }
    }
    m_text->setText(text);
}

void DownloadWindow::finished()
{
    if (m_download->state() == QWebEngineDownloadRequest::DownloadCompleted && !m_wanted.isEmpty())
        return rename();
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_path).absolutePath());
    QString text;
    switch (m_download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        setWindowTitle(QStringLiteral("Downloaded %1 - Velloran").arg(m_name));
        text = QStringLiteral("%1 was saved in %2.").arg(m_name, folder);
        m_bar->setRange(0, 100);
        m_bar->setValue(100);
        m_folder->show();
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        setWindowTitle(QStringLiteral("Download Cancelled - Velloran"));
        text = QStringLiteral("The download of %1 from %2 was cancelled.").arg(m_name, m_site);
        m_bar->hide();
        m_rename->hide();
        break;
    default:
        setWindowTitle(QStringLiteral("Download Failed - Velloran"));
        text = QStringLiteral("%1 from %2 could not be saved in %3: %4.")
                   .arg(m_name, m_site, folder, m_download->interruptReasonString());
        m_bar->hide();
        m_rename->hide();
        break;
    }
    m_text->setText(text);
    m_cancel->hide();
    m_close->show();
    m_close->setDefault(true);
    setAccessibleDescription(text);
    status(QLatin1Char(' ') + text);
    // It may have been hidden while the download ran: the outcome is always shown.
    setAttribute(Qt::WA_ShowWithoutActivating, !isVisible());
    show();
    raise();
}

void DownloadWindow::chooseName()
{
    auto *dialog = new QFileDialog(this, QStringLiteral("Rename Download - Velloran"), m_wanted.isEmpty() ? m_path : m_wanted);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &chosen) {
        if (chosen.isEmpty() || QFileInfo(chosen).absoluteFilePath() == QFileInfo(m_path).absoluteFilePath())
            return;
        m_wanted = chosen;
        if (m_download->state() == QWebEngineDownloadRequest::DownloadCompleted)
            rename();
        else if (!m_download->isFinished())
            m_text->setText(QStringLiteral("%1 will be saved as %2 once it has arrived.").arg(m_name, QDir::toNativeSeparators(m_wanted)));
    });
    dialog->open();
}

// The engine saves where it was told at the start; a new name is given once the file is there.
void DownloadWindow::rename()
{
    const QString wanted = std::exchange(m_wanted, QString());
    QString error;
    if (QFileInfo::exists(wanted) && !QFile::remove(wanted))
        error = QStringLiteral("a file of that name could not be replaced");
    else if (QFile file(m_path); !file.rename(wanted))
        error = file.errorString();
    if (error.isEmpty()) {
        m_path = wanted;
        m_name = QFileInfo(wanted).fileName();
    }
    finished();
    if (!error.isEmpty())
        m_text->setText(m_text->text() + QStringLiteral("\nIt could not be renamed to %1: %2.").arg(QDir::toNativeSeparators(wanted), error));
}

void DownloadWindow::status(const QString &text)
{
    if (m_page)
        emit m_page->statusMessage(text);
}

void DownloadWindow::closeEvent(QCloseEvent *event)
{
    if (!m_download->isFinished()) {
        hide();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
