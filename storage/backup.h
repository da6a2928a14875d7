#pragma once

#include <QDir>
#include <QString>

// Backups of the data directory as zip archives, made and read by Info-ZIP's zip and unzip.
namespace Backup {

// 0 when the archive holds the data directory; -1 without a data directory; a positive
// value when the archiver failed (2: it could not be started, 1: it crashed).
int exportArchive(const QString& archive);
// 0 when the records of the archive have replaced those of the data directory; -1 on any
// failure, and then the data directory is exactly as it was.
int importArchive(const QString& archive);

} // namespace Backup

// Creates a new directory "<stem><n+1>", "<stem><n+2>", … in `parent`, readable by its
// owner only, and returns its name; an existing entry is never reused. Empty when none
// could be created.
QString findNewDirToCreate(QDir parent, QString stem, int n);
// Follows the first subdirectory at each level, links left aside, down to a directory
// without subdirectories.
QDir getImportedDataDir(QDir start);
// Replaces the files of `to` with the regular files of `from`: 0, or -1 with `to` unchanged.
int copyImportedFiles(QDir from, QDir to);
