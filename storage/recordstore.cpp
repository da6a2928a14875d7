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

// Calls `visit` with the name of every regular file of `dir`, in the order the file system
// gives them. Read straight from the directory: a data directory of tens of thousands of
// documents is listed at every start, and Qt's listing costs several times more.
void forEachRegularFile(const QString& dir, const std::function<void(QByteArrayView)>& visit)
{
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (!handle)
        return;
    while (const dirent* entry = ::readdir(handle)) {
        bool regular = entry->d_type == DT_REG;
        // a link to a record file is listed, as a file, like the record it points to
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            regular = ::fstatat(::dirfd(handle), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular)
            visit(QByteArrayView(entry->d_name));
    }
    ::closedir(handle);
}

QStringList decodedNames(const QByteArray& names)
{
    QStringList decoded;
    for (qsizetype at = 0; at < names.size();) {
        const qsizetype end = names.indexOf('\0', at);
        decoded << QFile::decodeName(names.mid(at, end - at));
        at = end + 1;
    }
    return decoded;
}

} // namespace

RecordListing::RecordListing(const QStringList& types) : dir(dataDirPath())
{
    QList<QByteArray> prefixes;
    for (const QString& type : types)
        prefixes << QFile::encodeName(type) + '_';
    QList<QByteArray> names(types.size());
    const QByteArrayView suffix(".xml");
    forEachRegularFile(dir, [&](QByteArrayView name) {
        if (!name.endsWith(suffix)) {
            // only names that do not end in ".xml" can be left by an interrupted save: with
            // tens of thousands of documents the pattern is not tried on every record
            const QString decoded = QFile::decodeName(name.toByteArray());
            if (isInterruptedWrite(decoded))
                interruptedWrites << decoded;
            return;
        }
        for (qsizetype i = 0; i < prefixes.size(); ++i) {
            if (name.size() > prefixes.at(i).size() && name.startsWith(prefixes.at(i))) {
                names[i].append(name).append('\0');
                return;
            }
        }
    });
    for (qsizetype i = 0; i < types.size(); ++i)
        namesOfType.insert(types.at(i), names.at(i));
}

QStringList RecordListing::filesOf(const QString& type) const
{
    QStringList paths;
    QStringList names = namesOf(type);
    names.sort();
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << dir + QLatin1Char('/') + name;
    return paths;
}

QStringList RecordListing::namesOf(const QString& type) const
{
    return decodedNames(namesOfType.value(type));
}

void RecordListing::forEachName(const QString& type, const std::function<void(QByteArrayView)>& visit) const
{
    const QByteArray names = namesOfType.value(type);
    for (qsizetype at = 0; at < names.size();) {
        const qsizetype end = names.indexOf('\0', at);
        visit(QByteArrayView(names).sliced(at, end - at));
        at = end + 1;
    }
}

QString RecordListing::directory() const
{
    return dir;
}

QString RecordListing::canonicalFile(const QString& type, const QString& id) const
{
    const QByteArray name = QFile::encodeName(type + QLatin1Char('_') + id + xmlSuffix) + '\0';
    const QByteArray& names = namesOfType.value(type);
    // whole names only: the one before ends with a NUL, or there is none
    for (qsizetype at = names.indexOf(name); at >= 0; at = names.indexOf(name, at + 1)) {
        if (at == 0 || names.at(at - 1) == '\0')
            return dir + QLatin1Char('/') + QFile::decodeName(name.chopped(1));
    }
    return QString();
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
