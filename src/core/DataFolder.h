#pragma once
#include <QLockFile>
#include <QString>

// The one folder that holds velloran.ini and velloran.dat: VELLORAN_HOME when set;
// else the program's own folder when it already holds the files or can be written
// (a portable copy or a build tree) and is not an installed layout (under /usr or
// /opt, or a bin/ beside share/velloran); else the user's configuration folder.
// Created when missing.
QString resolveDataFolder(const QString &programFolder);

// What keeps `folder` from serving as the data folder once its lock could not be
// taken with `error`, in words for a person; empty when another running copy holds
// the lock, the one failure on which the program ends without a word.
QString dataFolderProblem(const QString &folder, QLockFile::LockError error);
