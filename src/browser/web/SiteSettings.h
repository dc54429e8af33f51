#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

// Per-site choices kept across runs in a file of the program's own in the data folder
// ("velloran-sites.txt"; velloran.ini and velloran.dat are never touched). One line a
// site: the host, a tab, then the page zoom in percent. A file that cannot be read in
// full is set aside as "velloran-sites.txt.bad" and the program starts with no choices.
class SiteSettings
{
public:
    explicit SiteSettings(const QString &dataFolder);

    static constexpr int kMinZoom = 25;
    static constexpr int kMaxZoom = 500;

    // The zoom for a host, in percent (100 when none is kept).
    int zoom(const QString &host) const;
    // Keeps a host's zoom and writes the file; 100 forgets it.
    void setZoom(const QString &host, int percent);

    QString path() const { return m_path; }

    // The file's text as host -> zoom; nothing when any line is damaged.
    static std::optional<QHash<QString, int>> parse(const QByteArray &text);
    static QByteArray format(const QHash<QString, int> &zooms);

private:
    void save() const;

    QString m_path;
    QHash<QString, int> m_zoom;
};
