#include "backup.h"

#include "recordxml.h"
#include "zipreader.h"
#include "zipwriter.h"

#include <QDebug>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// A backup holds a few megabytes of small records; an archive that says it holds more,
// or that yields more when read, is not one of ours and may be meant to fill the disk.
constexpr qint64 maxEntries = 200000;
constexpr qint64 maxRecordBytes = 256LL * 1024 * 1024;

// Where the records sit inside the archives we write: one folder, so that unpacking by
// hand does not scatter them, and every reader finds them together.
const QString archiveFolder = QStringLiteral("data/");

// What the user reads when an import is refused or fails.
namespace Reason {
QString notAnArchive() { return QStringLiteral("Il file scelto non e' un archivio zip leggibile."); }
QString notOurs() { return QStringLiteral("L'archivio non e' una copia dei dati di Quillbook."); }
QString unsafeName(const QString& entry)
{
    return QStringLiteral("L'archivio contiene un percorso non ammesso: %1").arg(entry);
}
QString notAFile(const QString& entry)
{
    return QStringLiteral("L'archivio contiene un elemento che non e' un file (un collegamento?): %1").arg(entry);
}
QString encrypted(const QString& entry)
{
    return QStringLiteral("L'archivio e' protetto da password: %1").arg(entry);
}
QString tooLarge() { return QStringLiteral("L'archivio e' troppo grande per essere una copia dei dati di Quillbook."); }
QString recordTooLarge(const QString& record)
{
    return QStringLiteral("Il record %1 e' troppo grande per essere un record di Quillbook.").arg(record);
}
QString damaged(const QString& record) { return QStringLiteral("Il record %1 e' danneggiato.").arg(record); }
QString twice(const QString& record) { return QStringLiteral("L'archivio contiene due volte il record %1.").arg(record); }
QString diskFull() { return QStringLiteral("Spazio su disco insufficiente."); }
QString cannotWrite() { return QStringLiteral("Impossibile scrivere nella cartella dei dati."); }
QString written(int error) { return error == ENOSPC || error == EDQUOT ? diskFull() : cannotWrite(); }
} // namespace Reason

Backup::Result refused(const QString& archive, const QString& reason, const QString& detail = QString())
{
    qWarning().noquote() << "Import refused:" << archive << "-" << reason << detail;
    return {-1, reason};
}

Backup::Result failed(const QString& archive, const QString& reason, const QString& detail)
{
    qWarning().noquote() << "Import failed:" << archive << "-" << reason << detail;
    return {-1, reason};
}

bool isSafeEntryName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0)) && !name.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

struct RecordEntry
{
    qint64 index;
    QString fileName;
};

// Looks at every entry before anything is read: only regular files and the directories
// above them, no password, names that stay inside, and every file in one folder. Record
// files are the only entries ever read; other files (an interrupted save's leftovers, a
// stray note) are left aside unread.
Backup::Result planImport(const QString& archive, const ZipReader& reader, const QStringList& recordTypes,
                          std::vector<RecordEntry>* records)
{
    const qint64 count = reader.entryCount();
    if (count > maxEntries)
        return refused(archive, Reason::tooLarge(), QStringLiteral("%1 entries").arg(count));
    QString folder;
    bool folderKnown = false;
    QStringList directories;
    for (qint64 index = 0; index < count; ++index) {
        const ZipReader::Entry entry = reader.entry(index);
        if (!isSafeEntryName(entry.name))
            return refused(archive, Reason::unsafeName(entry.name));
        if (entry.kind == ZipReader::Kind::Other)
            return refused(archive, Reason::notAFile(entry.name));
        if (entry.encrypted)
            return refused(archive, Reason::encrypted(entry.name));
        if (entry.kind == ZipReader::Kind::Directory) {
            directories << entry.name;
            continue;
        }
        const qsizetype slash = entry.name.lastIndexOf(QLatin1Char('/'));
        const QString entryFolder = entry.name.left(slash + 1);
        const QString fileName = entry.name.mid(slash + 1);
        if (folderKnown && entryFolder != folder)
            return refused(archive, Reason::notOurs(), QStringLiteral("files in %1 and in %2").arg(folder, entryFolder));
        folder = entryFolder;
        folderKnown = true;
        if (!Backup::isRecordFileName(fileName, recordTypes)) {
            qDebug() << "Import leaves aside" << entry.name;
            continue;
        }
        if (entry.declaredSize > RecordXml::maxFileSize)
            return refused(archive, Reason::recordTooLarge(fileName));
        records->push_back({index, fileName});
    }
    for (const QString& directory : std::as_const(directories)) {
        if (!folder.startsWith(directory))
            return refused(archive, Reason::notOurs(), QStringLiteral("directory %1 beside %2").arg(directory, folder));
    }
    if (records->empty())
        return refused(archive, Reason::notOurs(), QStringLiteral("no record files"));
    return {};
}

// An open directory, closed when it goes.
class DirectoryHandle final
{
public:
    explicit DirectoryHandle(const QString& path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~DirectoryHandle()
    {
        if (fd >= 0)
            ::close(fd);
    }
    const int fd;

    Q_DISABLE_COPY_MOVE(DirectoryHandle)
};

// When the record `name` of the current directory holds exactly `bytes`, links it into the
// staging directory instead of writing it again: restoring over records that did not
// change then neither rewrites them nor frees their blocks when the old directory goes.
bool linkUnchanged(int current, int staging, const QByteArray& name, const QByteArray& bytes)
{
    const int fd = ::openat(current, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == bytes.size();
    if (same) {
        QByteArray old(bytes.size() + 1, Qt::Uninitialized);
        qint64 got = 0;
        for (ssize_t n = 1; n > 0 && got < old.size(); got += n)
            n = ::read(fd, old.data() + got, size_t(old.size() - got));
        same = got == bytes.size() && std::equal(bytes.cbegin(), bytes.cend(), old.cbegin());
    }
    ::close(fd);
    return same && ::linkat(current, name.constData(), staging, name.constData(), 0) == 0;
}

// Creates `name` in the directory, never over an existing file; 0 or the errno.
int writeNewFile(int directory, const QByteArray& name, const QByteArray& bytes)
{
    const int fd = ::openat(directory, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        data += written;
        left -= written;
    }
    return ::close(fd) == 0 ? 0 : errno;
}

bool syncDirectory(const QString& path)
{
    const DirectoryHandle directory(path);
    return directory.fd >= 0 && ::fsync(directory.fd) == 0;
}

// Puts `staged` in the place of `current` and the old contents at `staged`, as one step
// where the file system can (nobody ever sees a missing data directory), else as two renames.
bool exchangeDirectories(const QString& staged, const QString& current)
{
    const QByteArray from = QFile::encodeName(staged);
    const QByteArray to = QFile::encodeName(current);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0)
        return true;
    const QByteArray aside = to + ".previous";
    if (::rename(to.constData(), aside.constData()) != 0)
        return false;
    if (::rename(from.constData(), to.constData()) != 0) {
        ::rename(aside.constData(), to.constData());
        return false;
    }
    return ::rename(aside.constData(), from.constData()) == 0 || QDir(QString::fromLocal8Bit(aside)).removeRecursively();
}

// Reads, checks and writes every record into `staging`, then makes them durable with one
// sync of the file system instead of one per file.
Backup::Result stageRecords(const QString& archive, const ZipReader& reader, const std::vector<RecordEntry>& records,
                            const QString& current, const QString& staging, const Backup::Progress& progress)
{
    const DirectoryHandle currentDirectory(current);
    const DirectoryHandle directory(staging);
    if (directory.fd < 0)
        return failed(archive, Reason::cannotWrite(), staging);
    qint64 total = 0;
    QByteArray bytes;
    QMap<QString, QString> fields;
    for (std::size_t done = 0; done < records.size(); ++done) {
        const RecordEntry& record = records[done];
        switch (reader.read(record.index, RecordXml::maxFileSize, &bytes)) {
        case ZipReader::Read::TooLarge:
            return refused(archive, Reason::recordTooLarge(record.fileName));
        case ZipReader::Read::Damaged:
            return refused(archive, Reason::damaged(record.fileName), QStringLiteral("cannot be decompressed"));
        case ZipReader::Read::Ok:
            break;
        }
        total += bytes.size();
        if (total > maxRecordBytes)
            return refused(archive, Reason::tooLarge(), QStringLiteral("more than %1 bytes").arg(maxRecordBytes));
        QString error;
        if (!RecordXml::parse(bytes, &fields, &error))
            return refused(archive, Reason::damaged(record.fileName), error);
        const QByteArray name = QFile::encodeName(record.fileName);
        if (!linkUnchanged(currentDirectory.fd, directory.fd, name, bytes)) {
            if (const int error = writeNewFile(directory.fd, name, bytes)) {
                if (error == EEXIST)
                    return refused(archive, Reason::twice(record.fileName));
                return failed(archive, Reason::written(error), staging + QLatin1Char('/') + record.fileName);
            }
        }
        if (progress)
            progress(qint64(done + 1), qint64(records.size()));
    }
    if (::syncfs(directory.fd) != 0)
        return failed(archive, Reason::written(errno), QStringLiteral("sync of ") + staging);
    return {};
}

} // namespace

const QString stagingSuffix = QStringLiteral("-import-");

namespace Backup {

bool isRecordFileName(const QString& fileName, const QStringList& recordTypes)
{
    const QLatin1String suffix(".xml");
    if (!fileName.endsWith(suffix))
        return false;
    const auto isIdCharacter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-');
    };
    return std::any_of(recordTypes.cbegin(), recordTypes.cend(), [&](const QString& type) {
        if (type.isEmpty() || !fileName.startsWith(type + QLatin1Char('_')))
            return false;
        const QStringView id = QStringView(fileName).mid(type.size() + 1).chopped(suffix.size());
        return !id.isEmpty() && std::all_of(id.cbegin(), id.cend(), isIdCharacter);
    });
}

Result exportArchive(const QString& archive, const QString& dataDir, const QStringList& recordTypes,
                     const Progress& progress)
{
    qDebug() << "export data" << archive;
    const QDir directory(dataDir);
    if (!directory.exists()) {
        qDebug() << "no dir to save!";
        return {-1, QStringLiteral("Nessun dato da salvare.")};
    }
    QStringList names = directory.entryList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    names.removeIf([&recordTypes](const QString& name) { return !isRecordFileName(name, recordTypes); });
    if (names.isEmpty()) {
        qDebug() << "no records to save in" << dataDir;
        return {-1, QStringLiteral("Nessun dato da salvare.")};
    }

    const auto exportFailed = [&archive](const QString& detail) {
        qWarning().noquote() << "Export failed:" << archive << "-" << detail;
        return Result{1, QStringLiteral("Impossibile scrivere l'archivio.")};
    };
    ZipWriter writer;
    for (qsizetype done = 0; done < names.size(); ++done) {
        QFile record(directory.filePath(names[done]));
        if (!record.open(QIODevice::ReadOnly))
            return exportFailed(record.fileName() + QStringLiteral(": ") + record.errorString());
        const QByteArray bytes = record.read(RecordXml::maxFileSize + 1);
        if (bytes.size() > RecordXml::maxFileSize) {
            // the program could never read it back either
            qWarning() << "Export leaves aside a file too large to be a record:" << record.fileName();
            continue;
        }
        if (record.error() != QFileDevice::NoError
            || !writer.add(archiveFolder + names[done], bytes, record.fileTime(QFileDevice::FileModificationTime)))
            return exportFailed(record.fileName() + QStringLiteral(": ") + record.errorString() + writer.errorString());
        if (progress)
            progress(done + 1, names.size());
    }
    const QByteArray bytes = writer.finish();
    if (bytes.isEmpty())
        return exportFailed(writer.errorString());
    // The chosen file is replaced only by a complete archive, never emptied beforehand.
    QSaveFile file(archive);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return exportFailed(file.errorString());
    return {};
}

Result importArchive(const QString& archive, const QString& dataDir, const QStringList& recordTypes,
                     const Progress& progress)
{
    qDebug() << "import data " << archive;
    if (!QFileInfo(archive).isFile())
        return refused(archive, Reason::notAnArchive(), QStringLiteral("not a file"));
    const ZipReader reader(archive);
    if (!reader.isOpen())
        return refused(archive, Reason::notAnArchive(), reader.errorString());
    std::vector<RecordEntry> records;
    if (Result planned = planImport(archive, reader, recordTypes, &records); planned.code != 0)
        return planned;

    // When the data directory is a link (into a synchronised folder, say) the link stays,
    // and the records are put in the directory it leads to.
    if (!QDir().mkpath(dataDir))
        return failed(archive, Reason::cannotWrite(), QStringLiteral("cannot create ") + dataDir);
    const QString target = QFileInfo(dataDir).canonicalFilePath();
    struct stat targetInfo {};
    if (target.isEmpty() || ::stat(QFile::encodeName(target).constData(), &targetInfo) != 0)
        return failed(archive, Reason::cannotWrite(), QStringLiteral("cannot reach ") + dataDir);
    // Staged beside the target, on its file system, so that the swap is a rename; removed
    // when the import ends, holding the new records after a failure or the old ones after
    // a success.
    QTemporaryDir staging(target + stagingSuffix + QStringLiteral("XXXXXX"));
    if (!staging.isValid())
        return failed(archive, Reason::cannotWrite(), staging.errorString());
    if (Result staged = stageRecords(archive, reader, records, target, staging.path(), progress); staged.code != 0)
        return staged;
    ::chmod(QFile::encodeName(staging.path()).constData(), targetInfo.st_mode & 07777);
    if (!exchangeDirectories(staging.path(), target))
        return failed(archive, Reason::cannotWrite(), QStringLiteral("cannot put the records in place of ") + target);
    syncDirectory(QFileInfo(target).absolutePath());
    qDebug() << "imported" << records.size() << "records into" << target;
    return {};
}

int removeInterruptedImports(const QString& dataDir)
{
    const QFileInfo target(QFileInfo(dataDir).canonicalFilePath());
    if (target.filePath().isEmpty())
        return 0;
    const QRegularExpression staging(QLatin1Char('^') + QRegularExpression::escape(target.fileName() + stagingSuffix)
                                     + QStringLiteral("[A-Za-z0-9]{6}$"));
    QDir parent = target.dir();
    int removed = 0;
    const QStringList names = parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!staging.match(name).hasMatch())
            continue;
        qWarning() << "Removing what an interrupted import left behind:" << parent.filePath(name);
        removed += QDir(parent.filePath(name)).removeRecursively() ? 1 : 0;
    }
    return removed;
}

} // namespace Backup
