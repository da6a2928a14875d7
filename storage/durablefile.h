#pragma once

#include <QByteArray>
#include <QString>

// Files that survive a crash or a power cut whole: written beside their place, synced, then
// renamed into it. Results are 0 or the errno of the step that failed.
namespace DurableFile {

// Puts `bytes` in place of the file at `path`, with the given mode. A crash at any moment
// leaves either the complete old file or the complete new one. The directory is not synced:
// callers writing a batch sync it once.
int replace(const QString& path, const QByteArray& bytes, int mode = 0600);

// Writes a new file and syncs it and its directory; never replaces one: EEXIST when the
// name is taken, whatever the file there holds.
int create(const QString& path, const QByteArray& bytes, int mode = 0644);

bool syncDirectory(const QString& path);

// What a user can act upon, in a few words ("disco pieno"); the log keeps the system's message.
QString describeError(int error);

} // namespace DurableFile
