#include "backup.h"

#include "paths.h"
#include "recordxml.h"

#include <QDebug>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What an archive of records may hold: a few megabytes of small files. More than this
// is not a backup of ours, and may be a bomb meant to fill the disk.
constexpr qint64 maxUnpackedBytes = 256LL * 1024 * 1024;
constexpr qint64 maxUnpackedFile = 16LL * 1024 * 1024;
constexpr int maxEntries = 200000;
constexpr int maxNewDirAttempts = 10000;

struct Run
{
    int exitCode = 0; // as QProcess::execute: -2 when it could not start, -1 when it crashed
    QByteArray output;
};

// Runs an archiver to its end. The file-size limit stops an archive that unpacks to
// far more than it claims before it fills the disk.
Run runArchiver(const QString& program, const QStringList& arguments)
{
    Run run;
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        qWarning() << "Archiver not found on PATH:" << program;
        run.exitCode = -2;
        return run;
    }
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // No one is there to answer: unzip asks on a write error and would wait forever.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] {
        const rlimit limit{rlim_t(maxUnpackedFile), rlim_t(maxUnpackedFile)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start();
    if (!process.waitForStarted(-1)) {
        qWarning() << "Archiver could not start:" << path << process.errorString();
        run.exitCode = -2;
        return run;
    }
    process.waitForFinished(-1);
    run.output = process.readAllStandardOutput();
    run.exitCode = process.exitStatus() == QProcess::CrashExit ? -1 : process.exitCode();
    return run;
}

// Refuses an archive that is not a zip, holds links, names outside the unpacking
// directory, or unpacks to more than a backup of records ever could.
bool archiveLooksSafe(const QString& archive)
{
    const Run listing = runArchiver(QStringLiteral("unzip"), {QStringLiteral("-Z"), archive});
    if (listing.exitCode != 0) {
        qWarning() << "Import refused, not a readable zip archive:" << archive << listing.exitCode;
        return false;
    }
    const Run names = runArchiver(QStringLiteral("unzip"), {QStringLiteral("-Z"), QStringLiteral("-1"), archive});
    const QStringList lines = QString::fromLocal8Bit(listing.output).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('l'))) {
            qWarning() << "Import refused, the archive holds a symbolic link:" << archive << line;
            return false;
        }
    }
    const QStringList entries = QString::fromLocal8Bit(names.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (names.exitCode != 0 || entries.size() > maxEntries) {
        qWarning() << "Import refused, cannot list the archive or too many entries:" << archive;
        return false;
    }
    for (const QString& entry : entries) {
        const QStringList parts = QString(entry).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
        if (entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) || parts.contains(QStringLiteral(".."))) {
            qWarning() << "Import refused, an entry leads outside the archive:" << archive << entry;
            return false;
        }
    }
    // last line: "N files, X bytes uncompressed, Y bytes compressed: …"
    static const QRegularExpression total(QStringLiteral("(\\d+) files?, (\\d+) bytes uncompressed"));
    const QRegularExpressionMatch match = total.match(QString::fromLocal8Bit(listing.output));
    if (!match.hasMatch() || match.captured(2).toLongLong() > maxUnpackedBytes) {
        qWarning() << "Import refused, the archive unpacks to too much or its size is unknown:" << archive;
        return false;
    }
    return true;
}

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
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

bool isRecordDocument(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QMap<QString, QString> fields;
    QString error;
    const bool parsed = RecordXml::parse(file.read(RecordXml::maxFileSize + 1), &fields, &error);
    if (!parsed)
        qWarning() << "Import refused, a record file of the archive cannot be read:" << path << error;
    return parsed;
}

} // namespace

namespace Backup {

int exportArchive(const QString& archive)
{
    qDebug() << "export data";
    const QDir dataDir(dataDirPath());
    if (!dataDir.exists()) {
        qDebug() << "no dir to save!";
        return -1;
    }
    if (QFile::exists(archive)) {
        qDebug() << "remove existing file";
        QFile::remove(archive);
    }
    const QStringList arguments = {QStringLiteral("-r"), archive, dataDir.absolutePath()};
    qDebug() << "called process with: zip " << arguments;
    const int result = runArchiver(QStringLiteral("zip"), arguments).exitCode;
    return result < 0 ? -result : result;
}

int importArchive(const QString& archive)
{
    qDebug() << "import data " << archive;
    const QString name = findNewDirToCreate(QDir(QDir::tempPath()), QStringLiteral("QUILLX929"), 0);
    qDebug() << "founded new dir: " << name;
    QDir unpacked(QDir::tempPath());
    if (name.isEmpty() || !unpacked.cd(name))
        return -1;
    qDebug() << "creata la tmp dir e cd nella stessa " << unpacked.canonicalPath();
    if (!archiveLooksSafe(archive))
        return -1;

    const QStringList arguments = {QStringLiteral("-o"), archive, QStringLiteral("-d"),
                                   unpacked.canonicalPath() + QLatin1Char('/')};
    const int unpackResult = runArchiver(QStringLiteral("unzip"), arguments).exitCode;
    qDebug() << "process result " << unpackResult;
    // 1 is a warning; anything else means files may be missing, and a part of a backup
    // must not replace the whole registry
    if (unpackResult != 0 && unpackResult != 1) {
        qWarning() << "Import refused, the archive could not be unpacked whole:" << archive << unpackResult;
        return -1;
    }
    return copyImportedFiles(getImportedDataDir(unpacked), QDir(dataDirPath()));
}

} // namespace Backup

QString findNewDirToCreate(QDir parent, QString stem, int n)
{
    qDebug() << "findNewDirToCreate " << parent.path() << stem << n;
    for (int attempt = 0; attempt < maxNewDirAttempts; ++attempt) {
        const QString name = stem + QString::number(++n);
        // mkdir fails on any existing entry, a link planted by someone else included
        const QString path = parent.absoluteFilePath(name);
        if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    qWarning() << "Cannot create a directory for unpacking in" << parent.path();
    return QString();
}

QDir getImportedDataDir(QDir start)
{
    qDebug() << "getImportedDataDir " << start.path();
    QDir current(start.canonicalPath());
    for (;;) {
        const QStringList subdirectories =
            current.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Unsorted);
        if (subdirectories.isEmpty())
            break;
        current.setPath(current.canonicalPath() + QLatin1Char('/') + subdirectories.first());
    }
    qDebug() << "founded all files.." << current.path();
    return current;
}

int copyImportedFiles(QDir from, QDir to)
{
    const QFileInfoList files =
        from.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::System, QDir::Unsorted);
    QFileInfoList regular;
    for (const QFileInfo& file : files) {
        if (!file.isFile() || file.isSymLink())
            continue; // devices, pipes and links are never records
        if (file.size() > RecordXml::maxFileSize) {
            qWarning() << "Import refused, a file of the archive is too large for a record:" << file.filePath();
            return -1;
        }
        if (file.fileName().endsWith(QLatin1String(".xml")) && !isRecordDocument(file.filePath()))
            return -1;
        regular << file;
    }
    // Any zip would otherwise do: one holding a letter would replace the whole registry.
    const bool holdsRecords = std::any_of(regular.cbegin(), regular.cend(), [](const QFileInfo& file) {
        const QString name = file.fileName();
        return name.endsWith(QLatin1String(".xml"))
            && (name.contains(QLatin1String("customer")) || name.contains(QLatin1String("company"))
                || name.contains(QLatin1String("preference")));
    });
    if (!holdsRecords) {
        qWarning() << "Import refused, no record files where the records should be:" << from.path();
        return -1;
    }

    // Everything is copied aside first and put in place only when all of it is there, so
    // a failure half-way (a full disk, an unreadable file) loses none of the records.
    const QString target = to.absolutePath();
    if (!QDir().mkpath(target))
        return -1;
    QTemporaryDir staging(target + QStringLiteral("-import-XXXXXX"));
    if (!staging.isValid()) {
        qWarning() << "Cannot prepare the import beside" << target << staging.errorString();
        return -1;
    }
    for (const QFileInfo& file : std::as_const(regular)) {
        const QString copy = staging.filePath(file.fileName());
        qDebug() << "copy : " << file.filePath() << copy;
        if (!QFile::copy(file.filePath(), copy) || QFileInfo(copy).size() != file.size() || !syncPath(copy, O_RDONLY)) {
            qWarning() << "Import failed, cannot copy" << file.filePath() << "to" << copy;
            return -1;
        }
    }
    syncPath(staging.path(), O_RDONLY | O_DIRECTORY);
    if (!exchangeDirectories(staging.path(), target)) {
        qWarning() << "Import failed, cannot put the imported records in place of" << target;
        return -1;
    }
    // the staging directory now holds the previous records and goes with `staging`
    syncPath(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return 0;
}
