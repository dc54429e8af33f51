#include "browser/web/SiteSettings.h"
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

SiteSettings::SiteSettings(const QString &dataFolder)
    : m_path(QDir(dataFolder).filePath(QStringLiteral("velloran-sites.txt")))
{
    QFile file(m_path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    const auto read = parse(file.read(1 << 20));
    const bool whole = file.atEnd();
    file.close();
    if (read && whole) {
        m_zoom = *read;
        return;
    }
    // Kept beside, so nothing the person chose is lost; the next choice writes a new file.
    const QString bad = m_path + QStringLiteral(".bad");
    QFile::remove(bad);
    QFile::rename(m_path, bad);
}

std::optional<QHash<QString, int>> SiteSettings::parse(const QByteArray &text)
{
    QHash<QString, int> zooms;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 2)
            return std::nullopt;
        const QString host = QString::fromUtf8(fields[0]);
        bool ok = false;
        const int percent = fields[1].toInt(&ok);
        if (host.isEmpty() || host.contains(QLatin1Char(' ')) || !ok || percent < kMinZoom || percent > kMaxZoom)
            return std::nullopt;
        zooms.insert(host, percent);
    }
    return zooms;
}

QByteArray SiteSettings::format(const QHash<QString, int> &zooms)
{
    QStringList hosts = zooms.keys();
    std::sort(hosts.begin(), hosts.end());
    QByteArray out;
    for (const QString &host : hosts)
        out += host.toUtf8() + '\t' + QByteArray::number(zooms.value(host)) + "\r\n";
    return out;
}

int SiteSettings::zoom(const QString &host) const
{
    return m_zoom.value(host, 100);
}

void SiteSettings::setZoom(const QString &host, int percent)
{
    if (host.isEmpty() || host.contains(QLatin1Char('\t')) || host.contains(QLatin1Char('\n')))
        return;
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == zoom(host))
        return;
    if (percent == 100)
        m_zoom.remove(host);
    else
        m_zoom.insert(host, percent);
    save();
}

void SiteSettings::save() const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(format(m_zoom));
    file.commit();
}
