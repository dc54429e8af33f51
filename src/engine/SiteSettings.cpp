#include "engine/SiteSettings.h"
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
        m_data = *read;
        return;
    }
    // Kept beside, so nothing the person chose is lost; the next choice writes a new file.
    const QString bad = m_path + QStringLiteral(".bad");
    QFile::remove(bad);
    QFile::rename(m_path, bad);
}

QString SiteSettings::permissionKey(Permission p)
{
    switch (p) {
    case Permission::Notifications: return QStringLiteral("notifications");
    case Permission::Location: return QStringLiteral("location");
    case Permission::Camera: return QStringLiteral("camera");
    case Permission::Microphone: return QStringLiteral("microphone");
    case Permission::Screen: return QStringLiteral("screen");
    case Permission::ScreenAudio: return QStringLiteral("screen-audio");
    case Permission::PointerLock: return QStringLiteral("pointer-lock");
    }
    return {};
}

QString SiteSettings::permissionText(Permission p)
{
    switch (p) {
    case Permission::Notifications: return QStringLiteral("show notifications");
    case Permission::Location: return QStringLiteral("know your location");
    case Permission::Camera: return QStringLiteral("use your camera");
    case Permission::Microphone: return QStringLiteral("use your microphone");
    case Permission::Screen: return QStringLiteral("see your screen");
    case Permission::ScreenAudio: return QStringLiteral("see your screen and hear its sound");
    case Permission::PointerLock: return QStringLiteral("hide and hold your mouse pointer");
    }
    return {};
}

namespace {

// A site as a field of its own: something, with no spaces to split it.
bool siteField(const QString &site)
{
    return !site.isEmpty() && !site.contains(QLatin1Char(' '));
}

} // namespace

std::optional<SiteSettings::Data> SiteSettings::parse(const QByteArray &text)
{
    Data data;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        const QString site = QString::fromUtf8(fields[0]);
        if (!siteField(site))
            return std::nullopt;
        if (fields.size() == 2) {
            bool ok = false;
            const int percent = fields[1].toInt(&ok);
            if (!ok || percent < kMinZoom || percent > kMaxZoom)
                return std::nullopt;
            data.zoom.insert(site, percent);
        } else if (fields.size() == 3) {
            const auto known = std::find_if(std::begin(kPermissions), std::end(kPermissions),
                                            [&](Permission p) { return permissionKey(p).toUtf8() == fields[1]; });
            if (known == std::end(kPermissions) || (fields[2] != "allow" && fields[2] != "block"))
                return std::nullopt;
            data.permissions[site].insert(*known, fields[2] == "allow");
        } else {
            return std::nullopt;
        }
    }
    return data;
}

QByteArray SiteSettings::format(const Data &data)
{
    QStringList hosts = data.zoom.keys();
    std::sort(hosts.begin(), hosts.end());
    QByteArray out;
    for (const QString &host : hosts)
        out += host.toUtf8() + '\t' + QByteArray::number(data.zoom.value(host)) + "\r\n";
    for (auto site = data.permissions.cbegin(); site != data.permissions.cend(); ++site)
        for (auto p = site->cbegin(); p != site->cend(); ++p)
            out += site.key().toUtf8() + '\t' + permissionKey(p.key()).toUtf8() + '\t'
                   + (p.value() ? "allow" : "block") + "\r\n";
    return out;
}

int SiteSettings::zoom(const QString &host) const
{
    return m_data.zoom.value(host, 100);
}

bool SiteSettings::setZoom(const QString &host, int percent)
{
    if (!siteField(host) || host.contains(QLatin1Char('\t')) || host.contains(QLatin1Char('\n')))
        return false;
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == zoom(host))
        return true;
    if (percent == 100)
        m_data.zoom.remove(host);
    else
        m_data.zoom.insert(host, percent);
    return save();
}

std::optional<bool> SiteSettings::permission(const QString &origin, Permission p) const
{
    const auto site = m_data.permissions.constFind(origin);
    if (site == m_data.permissions.cend() || !site->contains(p))
        return std::nullopt;
    return site->value(p);
}

QMap<SiteSettings::Permission, bool> SiteSettings::permissions(const QString &origin) const
{
    return m_data.permissions.value(origin);
}

bool SiteSettings::setPermission(const QString &origin, Permission p, bool allowed)
{
    if (!siteField(origin) || origin.contains(QLatin1Char('\t')) || origin.contains(QLatin1Char('\n')))
        return false;
    if (permission(origin, p) == allowed)
        return true;
    m_data.permissions[origin].insert(p, allowed);
    return save();
}

bool SiteSettings::forgetPermission(const QString &origin, Permission p)
{
    auto site = m_data.permissions.find(origin);
    if (site == m_data.permissions.end() || !site->remove(p))
        return true;
    if (site->isEmpty())
        m_data.permissions.erase(site);
    return save();
}

bool SiteSettings::save() const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = format(m_data);
    // Flushed here because commit() ignores a failed flush: on a full disk it would put
    // a cut file in place of the whole one.
    return file.write(text) == text.size() && file.flush() && file.commit();
}
