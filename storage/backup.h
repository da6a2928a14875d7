#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Backups of the record files of a data directory as zip archives, written and read in
// memory through libzip: no archiver program, nothing unpacked outside the data
// directory's own file system.
namespace Backup {

struct Result
{
    int code = 0;
    // Why it failed, in Italian, fit to be shown to the user; empty on success.
    QString reason;
};

// Called with the records handled so far and the number to handle, from the thread that
// runs the export or import.
using Progress = std::function<void(qint64 done, qint64 total)>;

// True for the exact name of a record file, "<type>_<id>.xml" with one of `recordTypes`:
// not the leftovers of an interrupted save, nor any other file.
bool isRecordFileName(const QString& fileName, const QStringList& recordTypes);

// Writes the record files of `dataDir` into `archive`, replacing it only once the new
// archive is complete. Code 0; -1 when there is no data directory or no record in it;
// 1 when the records cannot be read or the archive cannot be written.
Result exportArchive(const QString& archive, const QString& dataDir, const QStringList& recordTypes,
                     const Progress& progress = {});

// Replaces the records of `dataDir` (or of the directory it links to) with those of
// `archive`, all of them or none. Code 0, or -1 with the reason when the archive is refused
// or the records cannot be put in place; the data directory is then exactly as it was.
Result importArchive(const QString& archive, const QString& dataDir, const QStringList& recordTypes,
                     const Progress& progress = {});

// Removes what an import ended half-way (a crash, a kill) left beside the data directory:
// only directories named like its staging directory. Returns how many were removed.
int removeInterruptedImports(const QString& dataDir);

} // namespace Backup
