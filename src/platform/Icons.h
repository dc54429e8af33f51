#pragma once
#include <QIcon>
#include <QString>

// One icon per resource path for the whole run: the picture is read once and each size
// drawn once, however many windows and tool bars show it.
QIcon sharedIcon(const QString &path);
