#include "engine/Downloads.h"
#include "engine/WebPage.h"
#include "engine/WebSession.h"
#include "platform/Services.h"
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>

namespace Downloads {

namespace {

QString downloadsFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::homePath();
    return folder;
}

} // namespace

void start(QWebEngineDownloadRequest *download)
{
    QPointer<WebPage> page = qobject_cast<WebPage *>(download->page());
    QPointer<QWebEngineDownloadRequest> guard(download);
    const QString site = WebPage::siteName(download->url());
    QWidget *parent = page ? page->dialogParent() : nullptr;

    QFileDialog dialog(parent, QStringLiteral("Save File from %1 - Velloran").arg(site),
                       QDir(downloadsFolder()).filePath(download->downloadFileName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (!guard)
        return;
    if (!chosen) {
        const QString name = download->downloadFileName();
        download->cancel();
        if (page)
            emit page->statusMessage(QStringLiteral(" The download of %1 was cancelled.").arg(name));
        return;
    }
    const QFileInfo target(dialog.selectedFiles().first());
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->accept();
    auto *window = new DownloadWindow(download, page, parent);
    window->show();
}

} // namespace Downloads

DownloadWindow::DownloadWindow(QWebEngineDownloadRequest *download, WebPage *page, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_download(download), m_page(page),
      m_name(download->downloadFileName()), m_site(WebPage::siteName(download->url()))
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
    m_folder = new QPushButton(QStringLiteral("Open &Folder"), this);
    m_close = new QPushButton(QStringLiteral("C&lose"), this);
    m_folder->hide();
    m_close->hide();
    for (QPushButton *b : {m_cancel, m_folder, m_close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, download, &QWebEngineDownloadRequest::cancel);
    connect(m_folder, &QPushButton::clicked, this, [this] {
        if (m_page && m_page->session().shell())
            m_page->session().shell()->open(QUrl::fromLocalFile(m_download->downloadDirectory()));
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
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
    const QString folder = QDir::toNativeSeparators(m_download->downloadDirectory());
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
        break;
    default:
        setWindowTitle(QStringLiteral("Download Failed - Velloran"));
        text = QStringLiteral("%1 from %2 could not be saved in %3: %4.")
                   .arg(m_name, m_site, folder, m_download->interruptReasonString());
        m_bar->hide();
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
