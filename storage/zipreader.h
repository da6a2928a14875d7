#pragma once

#include <QByteArray>
#include <QString>

struct zip;

// Reads a zip archive entry by entry through libzip, in memory: nothing is ever unpacked
// to disk, and no entry yields more bytes than the caller allows, whatever the archive
// claims about its sizes. No password is ever asked for.
class ZipReader final
{
public:
    enum class Kind {
        File,      // plainly a regular file
        Directory, // plainly a directory
        Other,     // a link, a device, or an entry whose host does not say what it is
    };

    struct Entry
    {
        QString name;
        Kind kind = Kind::Other;
        bool encrypted = false;
        qint64 declaredSize = 0; // what the archive claims; never trusted for reading
    };

    enum class Read { Ok, TooLarge, Damaged };

    explicit ZipReader(const QString& path);
    ~ZipReader();

    // False when the file is not a zip archive libzip can read; errorString() says why.
    bool isOpen() const { return archive != nullptr; }
    QString errorString() const { return error; }

    qint64 entryCount() const;
    Entry entry(qint64 index) const;
    // Decompresses the entry into `bytes`, stopping as soon as it exceeds `cap` bytes.
    Read read(qint64 index, qint64 cap, QByteArray* bytes) const;

private:
    zip* archive = nullptr;
    QString error;

    Q_DISABLE_COPY_MOVE(ZipReader)
};
