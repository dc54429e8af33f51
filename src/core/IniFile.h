#pragma once
#include "core/SharedState.h"
#include <QByteArray>
#include <QString>

// The settings file: one line of six 16-bit integers separated by commas, CR LF:
// RefreshOnActive, RefreshEvery, RefreshMinutes, TileLayout, CascadeLayout, TabbedLayout.

// Reads the six settings straight into the state. Any failure returns false (fields
// read before it keep their new values; every caller then applies the defaults).
bool ReadSettings(SharedState &s, const QString &path);
// The same over the file's bytes, for callers that hold them already (the fuzzer).
bool ReadSettingsFromBytes(SharedState &s, const QByteArray &bytes);
// Replaces the file with the current six settings; false on any failure. The file
// is replaced whole or not at all, so a failed write keeps the previous settings.
bool WriteSettings(const SharedState &s, const QString &path);

QByteArray settingsLine(const SharedState &s);
