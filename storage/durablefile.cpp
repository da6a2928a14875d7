#include "durablefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {

namespace {

int writeAll(int handle, const QByteArray& bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t step = ::write(handle, bytes.constData() + written, size_t(bytes.size() - written));
        if (step > 0)
            written += step;
        else if (step < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

// A synced copy beside `path`, named "<path>.quillbook-XXXXXX" so that the next start's
// clean-up tells it from any file of the user's. 0 and the copy's name, or the errno.
int writeCopy(const QString& path, const QByteArray& bytes, int mode, QByteArray* copy)
{
    *copy = QFile::encodeName(path) + ".quillbook-XXXXXX";
    const int handle = ::mkostemp(copy->data(), O_CLOEXEC);
    if (handle < 0)
        return errno;
    int error = writeAll(handle, bytes);
    if (error == 0 && (::fchmod(handle, mode_t(mode)) != 0 || ::fdatasync(handle) != 0))
        error = errno;
    if (::close(handle) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(copy->constData());
    return error;
}

// Where the file system cannot rename without replacing (EINVAL), an exclusive create still
// never replaces, at the cost of a half-written file if the machine stops meanwhile.
int createInPlace(const QByteArray& path, const QByteArray& bytes, int mode)
{
    const int handle = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    if (handle < 0)
        return errno;
    int error = writeAll(handle, bytes);
    if (error == 0 && ::fdatasync(handle) != 0)
        error = errno;
    if (::close(handle) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(path.constData());
    return error;
}

} // namespace

int replace(const QString& path, const QByteArray& bytes, int mode)
{
    QByteArray copy;
    int error = writeCopy(path, bytes, mode, &copy);
    if (error == 0 && ::rename(copy.constData(), QFile::encodeName(path).constData()) != 0) {
        error = errno;
        ::unlink(copy.constData());
    }
    return error;
}

int create(const QString& path, const QByteArray& bytes, int mode)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray copy;
    int error = writeCopy(path, bytes, mode, &copy);
    if (error != 0)
        return error;
    if (::renameat2(AT_FDCWD, copy.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        error = errno;
        ::unlink(copy.constData());
        if (error == EINVAL)
            error = createInPlace(target, bytes, mode);
    }
    if (error == 0 && !syncDirectory(QFileInfo(path).absolutePath()))
        error = errno;
    return error;
}

bool syncDirectory(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QString describeError(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("disco pieno");
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato");
    case EROFS:
        return QStringLiteral("disco in sola lettura");
    case EIO:
        return QStringLiteral("errore del disco");
    case EEXIST:
        return QStringLiteral("file già esistente");
    case ENOENT:
        return QStringLiteral("cartella inesistente");
    default:
        return QStringLiteral("errore di scrittura");
    }
}

} // namespace DurableFile
