#include "core/IniFile.h"
#include "core/TextFields.h"
#include <QFile>
#include <QSaveFile>

QByteArray settingsLine(const SharedState &s)
{
    const int16_t v[6] = {s.RefreshOnActive, s.RefreshEvery, s.RefreshMinutes,
                          s.TileLayout, s.CascadeLayout, s.TabbedLayout};
    QByteArray line;
    for (int i = 0; i < 6; ++i) {
        if (i)
            line += ',';
        line += QByteArray::number(v[i]);
    }
    return line + "\r\n";
}

bool ReadSettings(SharedState &s, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.read(64 * 1024);
    f.close();
    return ReadSettingsFromBytes(s, bytes);
}

bool ReadSettingsFromBytes(SharedState &s, const QByteArray &bytes)
{
    FieldReader in(bytes);
    int16_t *fields[6] = {&s.RefreshOnActive, &s.RefreshEvery, &s.RefreshMinutes,
                          &s.TileLayout, &s.CascadeLayout, &s.TabbedLayout};
    try {
        for (int16_t *field : fields) {
            if (in.atEnd())
                return false;
            *field = in.readInteger(true);
        }
    } catch (const RuntimeError &) {
        return false;
    }
    return true;
}

bool WriteSettings(const SharedState &s, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line = settingsLine(s);
    // Flushed here because commit() ignores a failed flush (see UrlDataWriter::commit).
    if (f.write(line) != line.size() || !f.flush())
        return false;
    return f.commit();
}
