#include "engine/SiteSettings.h"
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>
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

bool cleanField(const QString &site)
{
    return siteField(site) && !site.contains(QLatin1Char('\t')) && !site.contains(QLatin1Char('\n'))
           && !site.contains(QLatin1Char('\r'));
}

bool flag(const QByteArray &v, bool &out)
{
    if (v != "0" && v != "1")
        return false;
    out = v == "1";
    return true;
}

bool number(const QByteArray &v, int lo, int hi, int &out)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n < lo || n > hi || QByteArray::number(n) != v)
        return false;
    out = n;
    return true;
}

// One option line's name and value into `o`; false for a name or value it cannot hold.
bool readOption(const QByteArray &name, const QByteArray &value, SiteOptions &o)
{
    if (name == "interval")
        return number(value, SiteOptions::kMinInterval, SiteOptions::kMaxInterval, o.intervalSeconds);
    if (name == "hours") {
        const auto h = ActiveHours::fromText(QString::fromUtf8(value));
        if (!h || !h->limited())
            return false;
        o.hours = *h;
        return true;
    }
    if (name == "not-while-used")
        return flag(value, o.notWhileUsed);
    if (name == "ignore-numbers")
        return flag(value, o.ignoreNumbers);
    if (name == "notify-change")
        return flag(value, o.notifyOnChange);
    if (name == "dwell")
        return number(value, 0, SiteOptions::kMaxDwell, o.dwellSeconds);
    if (name == "watch-text") {
        o.watchedText = QString::fromUtf8(value);
        return !o.watchedText.isEmpty() && o.watchedText.size() <= SiteOptions::kMaxWatchedText
               && o.watchedText.toUtf8() == value;
    }
    return false;
}

using OptionLine = QPair<QByteArray, QByteArray>;

QList<OptionLine> optionLines(const SiteOptions &o)
{
    const SiteOptions none;
    QList<OptionLine> out;
    if (o.intervalSeconds != none.intervalSeconds)
        out.append(OptionLine("interval", QByteArray::number(o.intervalSeconds)));
    if (o.hours.limited())
        out.append(OptionLine("hours", o.hours.text().toUtf8()));
    if (o.notWhileUsed)
        out.append(OptionLine("not-while-used", "1"));
    if (o.ignoreNumbers)
        out.append(OptionLine("ignore-numbers", "1"));
    if (o.notifyOnChange)
        out.append(OptionLine("notify-change", "1"));
    if (!o.watchedText.isEmpty())
        out.append(OptionLine("watch-text", o.watchedText.toUtf8()));
    if (o.dwellSeconds != none.dwellSeconds)
        out.append(OptionLine("dwell", QByteArray::number(o.dwellSeconds)));
    return out;
}

} // namespace

QString SiteSettings::siteKey(const QString &address)
{
    return QString::fromLatin1(QUrl(address.trimmed(), QUrl::TolerantMode).toEncoded());
}

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
        } else if (fields.size() == 4 && fields[1] == "site") {
            if (!readOption(fields[2], fields[3], data.options[site]))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    // Options naming only what every site has anyway mean nothing; the file never keeps them.
    data.options.removeIf([](const auto &site) { return site.value().isDefault(); });
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
    for (auto site = data.options.cbegin(); site != data.options.cend(); ++site)
        for (const auto &[name, value] : optionLines(site.value()))
            out += site.key().toUtf8() + "\tsite\t" + name + '\t' + value + "\r\n";
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

SiteOptions SiteSettings::options(const QString &address) const
{
    return m_data.options.value(siteKey(address));
}

bool SiteSettings::setOptions(const QString &address, const SiteOptions &options)
{
    const QString key = siteKey(address);
    if (!cleanField(key))
        return false;
    SiteOptions o = options;
    // What the file cannot hold is not kept: a watched text on one line, within bounds.
    o.watchedText = o.watchedText.simplified().left(SiteOptions::kMaxWatchedText);
    o.intervalSeconds = o.intervalSeconds ? std::clamp(o.intervalSeconds, SiteOptions::kMinInterval,
                                                       SiteOptions::kMaxInterval) : 0;
    o.dwellSeconds = std::clamp(o.dwellSeconds, 0, SiteOptions::kMaxDwell);
    if (!o.hours.limited())
        o.hours = {};
    if (this->options(address) == o)
        return true;
    if (o.isDefault())
        m_data.options.remove(key);
    else
        m_data.options.insert(key, o);
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
