#pragma once
#include "core/SiteOptions.h"
#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// Per-site choices kept across runs in a file of the program's own in the data folder
// ("velloran-sites.txt"; velloran.ini and velloran.dat are never touched). One choice a
// line, fields split by tabs:
//   host <tab> zoom in percent
//   origin <tab> permission <tab> allow | block      (origin: scheme://host[:port])
//   address <tab> site <tab> option <tab> value      (a Top 8 site's own options)
// A file that cannot be read in full is set aside as "velloran-sites.txt.bad" and the
// program starts with no choices. A file that cannot be written (a full disk) stays as
// it was; the setters say so by returning false, and the choice holds for this run.
class SiteSettings
{
public:
    explicit SiteSettings(const QString &dataFolder);

    static constexpr int kMinZoom = 25;
    static constexpr int kMaxZoom = 500;

    // What a site may ask for; each is answered and kept on its own.
    enum class Permission { Notifications, Location, Camera, Microphone, Screen, ScreenAudio, PointerLock };
    static constexpr Permission kPermissions[] = {Permission::Notifications, Permission::Location,
                                                  Permission::Camera,        Permission::Microphone,
                                                  Permission::Screen,        Permission::ScreenAudio,
                                                  Permission::PointerLock};
    // The word in the file ("notifications", "camera", ...).
    static QString permissionKey(Permission p);
    // What the site wants, to follow "wants to" ("show notifications", ...).
    static QString permissionText(Permission p);
    // Whether a yes is kept for the site. Seeing the screen is allowed one request at a
    // time, as in other browsers: a kept yes would let the site look again unasked.
    static bool keepsAllow(Permission p) { return p != Permission::Screen && p != Permission::ScreenAudio; }

    struct Data
    {
        QHash<QString, int> zoom;                                  // host -> percent
        QMap<QString, QMap<Permission, bool>> permissions;         // origin -> allowed
        QMap<QString, SiteOptions> options;                        // site key -> its options
        bool operator==(const Data &) const = default;
    };

    // The zoom for a host, in percent (100 when none is kept).
    int zoom(const QString &host) const;
    // Keeps a host's zoom and writes the file; 100 forgets it. The setters return
    // whether the file holds the choice: false for a site that cannot be kept, or
    // when the file could not be written.
    bool setZoom(const QString &host, int percent);

    // The person's kept answer for an origin, if any.
    std::optional<bool> permission(const QString &origin, Permission p) const;
    QMap<Permission, bool> permissions(const QString &origin) const;
    QStringList permissionOrigins() const { return m_data.permissions.keys(); }
    bool setPermission(const QString &origin, Permission p, bool allowed);
    // Withdraws a kept answer: the site is asked again next time.
    bool forgetPermission(const QString &origin, Permission p);

    // A Top 8 site's own options (the defaults when it has none), found by its address
    // as the data file holds it.
    SiteOptions options(const QString &address) const;
    bool setOptions(const QString &address, const SiteOptions &options);
    // The address as the file keys it: encoded, so it holds no spaces or tabs.
    static QString siteKey(const QString &address);

    QString path() const { return m_path; }

    // The file's text; nothing when any line is damaged.
    static std::optional<Data> parse(const QByteArray &text);
    static QByteArray format(const Data &data);

private:
    bool save() const;

    QString m_path;
    Data m_data;
};
