#include "recordstore.h"

#include "paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QString xmlSuffix = QStringLiteral(".xml");

// The record writer writes "<file>.quillbook-XXXXXX" beside the record and renames it over
// the record; a process killed in between leaves the copy, which is never a record of its own.
bool isInterruptedWrite(const QString& name)
{
    static const QRegularExpression copyOfRecord(QStringLiteral("^[a-z]+_.+\\.xml\\.quillbook-[A-Za-z0-9]{6}$"));
    return copyOfRecord.match(name).hasMatch();
}

} // namespace

namespace {

// The names of the regular files of `dir`, in the order the file system gives them. Read
// straight from the directory: a data directory of tens of thousands of documents is listed
// at every start, and Qt's listing costs several times more.
QStringList regularFileNames(const QString& dir)
{
    QStringList names;
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (!handle)
        return names;
    while (const dirent* entry = ::readdir(handle)) {
        bool regular = entry->d_type == DT_REG;
        // a link to a record file is listed, as a file, like the record it points to
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            regular = ::fstatat(::dirfd(handle), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(handle);
    return names;
}

} // namespace

RecordListing::RecordListing(const QStringList& types) : dir(dataDirPath())
{
    const QStringList names = regularFileNames(dir);
    for (const QString& name : names) {
        if (!name.endsWith(xmlSuffix)) {
            // only names that do not end in ".xml" can be left by an interrupted save: with
            // tens of thousands of documents the pattern is not tried on every record
            if (isInterruptedWrite(name))
                interruptedWrites << name;
            continue;
        }
        const auto type = std::find_if(types.cbegin(), types.cend(), [&name](const QString& candidate) {
            return name.size() > candidate.size() + 1 && name.startsWith(candidate)
                && name.at(candidate.size()) == QLatin1Char('_');
        });
        if (type != types.cend())
            namesOfType[*type].append(name);
    }
}

QStringList RecordListing::filesOf(const QString& type) const
{
    QStringList paths;
    QStringList names = namesOfType.value(type);
    names.sort();
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << dir + QLatin1Char('/') + name;
    return paths;
}

QStringList RecordListing::namesOf(const QString& type) const
{
    return namesOfType.value(type);
}

QString RecordListing::directory() const
{
    return dir;
}

QString RecordListing::canonicalFile(const QString& type, const QString& id) const
{
    const QString name = type + QLatin1Char('_') + id + xmlSuffix;
    return namesOfType.value(type).contains(name) ? dir + QLatin1Char('/') + name : QString();
}

QString RecordListing::idOfFile(const QString& type, const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (!name.startsWith(type + QLatin1Char('_')) || !name.endsWith(xmlSuffix))
        return QString();
    return name.mid(type.size() + 1, name.size() - type.size() - 1 - xmlSuffix.size());
}

int RecordListing::removeInterruptedWrites() const
{
    int removed = 0;
    for (const QString& name : interruptedWrites) {
        if (QFile::remove(dir + QLatin1Char('/') + name)) {
            ++removed;
            qWarning() << "Removed what an interrupted save left behind:" << name;
        } else {
            qWarning() << "Cannot remove what an interrupted save left behind:" << name;
        }
    }
    return removed;
}
