#include "engine/ExternalLinks.h"
#include "platform/Services.h"
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace ExternalLinks {

Kind kind(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? Kind::Never : Kind::Web;
    // What the engine itself shows, or what would hand a program local files or code.
    static const QStringList never{QStringLiteral("file"), QStringLiteral("data"), QStringLiteral("javascript"),
                                   QStringLiteral("about"), QStringLiteral("blob"), QStringLiteral("filesystem"),
                                   QStringLiteral("view-source"), QStringLiteral("chrome"), QStringLiteral("qrc"),
                                   QStringLiteral("devtools"), QStringLiteral("chrome-extension"), QStringLiteral("smb"),
                                   QStringLiteral("nfs"), QStringLiteral("sftp"), QStringLiteral("ftp"),
                                   QStringLiteral("help"), QStringLiteral("ghelp"), QStringLiteral("man"),
                                   QStringLiteral("info"), QStringLiteral("trash"), QStringLiteral("computer"),
                                   QStringLiteral("network"), QStringLiteral("recent"), QStringLiteral("x-scheme-handler")};
    static const QRegularExpression valid(QStringLiteral("^[a-z][a-z0-9+.-]{0,31}$"));
    if (scheme.isEmpty() || never.contains(scheme) || !valid.match(scheme).hasMatch())
        return Kind::Never;
    return Kind::Ask;
}

QString handlerName(const QString &scheme)
{
    if (!QRegularExpression(QStringLiteral("^[a-z][a-z0-9+.-]{0,31}$")).match(scheme).hasMatch())
        return {};
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(3000) || query.exitCode() != 0) {
        query.kill();
        return {};
    }
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed().section(QLatin1Char(';'), 0, 0);
    if (id.isEmpty())
        return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    QFile entry(path);
    if (!path.isEmpty() && entry.open(QIODevice::ReadOnly)) {
        bool inEntry = false;
        while (!entry.atEnd()) {
            const QString line = QString::fromUtf8(entry.readLine()).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                inEntry = line == QLatin1String("[Desktop Entry]");
            else if (inEntry && line.startsWith(QLatin1String("Name=")))
                return line.mid(5).left(80);
        }
    }
    QString name = id;
    name.remove(QRegularExpression(QStringLiteral("\\.desktop$")));
    return name;
}

void open(const QUrl &url, const QString &site, Shell *shell, QWidget *parent,
          const std::function<void(const QString &)> &status)
{
    const QString scheme = url.scheme().toLower();
    switch (kind(url)) {
    case Kind::Never:
        status(QStringLiteral(" Velloran did not open a %1: link from %2: such links are not handed to other programs.")
                   .arg(scheme.left(32), site));
        return;
    case Kind::Web:
        if (!shell || !shell->open(url))
            status(QStringLiteral(" Velloran could not hand %1 to your default browser.").arg(url.toDisplayString().left(200)));
        return;
    case Kind::Ask:
        break;
    }
    const QString program = handlerName(scheme);
    if (program.isEmpty()) {
        status(QStringLiteral(" Velloran did not open a %1: link from %2: no program on this computer handles it.")
                   .arg(scheme, site));
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Question, QStringLiteral("Open Another Program - Velloran"),
                                QStringLiteral("The page at %1 wants to open a %2: link with %3.").arg(site, scheme, program),
                                QMessageBox::Cancel, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(QStringLiteral("The link: %1").arg(url.toDisplayString().left(300)));
    QPushButton *go = box->addButton(QStringLiteral("&Open %1").arg(program), QMessageBox::AcceptRole);
    box->setDefaultButton(QMessageBox::Cancel);
    QObject::connect(go, &QPushButton::clicked, box, [url, shell, status, program] {
        if (!shell || !shell->open(url))
            status(QStringLiteral(" Velloran could not hand the link to %1.").arg(program));
    });
    box->open();
}

} // namespace ExternalLinks
