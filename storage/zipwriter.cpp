#include "zipwriter.h"

#include <sys/stat.h>
#include <zip.h>

ZipWriter::ZipWriter()
{
    zip_error_t reason;
    zip_error_init(&reason);
    buffer = zip_source_buffer_create(nullptr, 0, 0, &reason);
    if (buffer) {
        archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &reason);
        if (archive)
            zip_source_keep(buffer); // the bytes are read from it after the archive is closed
    }
    if (!archive)
        error = QString::fromLocal8Bit(zip_error_strerror(&reason));
    zip_error_fini(&reason);
}

ZipWriter::~ZipWriter()
{
    if (archive)
        zip_discard(archive);
    if (buffer)
        zip_source_free(buffer);
}

bool ZipWriter::fail(const char* what)
{
    error = QString::fromLatin1(what) + QStringLiteral(": ")
        + QString::fromLocal8Bit(archive ? zip_strerror(archive) : zip_error_strerror(zip_source_error(buffer)));
    return false;
}

bool ZipWriter::add(const QString& name, const QByteArray& bytes, const QDateTime& modified)
{
    if (!archive)
        return false;
    contents.append(bytes);
    zip_source_t* source = zip_source_buffer(archive, contents.constLast().constData(), zip_uint64_t(bytes.size()), 0);
    if (!source)
        return fail("cannot hold an entry");
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return fail("cannot add an entry");
    }
    const zip_uint32_t regularFile = zip_uint32_t(S_IFREG | 0644) << 16;
    if (zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, regularFile) != 0
        || zip_file_set_mtime(archive, zip_uint64_t(index), time_t(modified.toSecsSinceEpoch()), 0) != 0)
        return fail("cannot describe an entry");
    return true;
}

QByteArray ZipWriter::finish()
{
    if (!archive)
        return QByteArray();
    const int closed = zip_close(archive);
    if (closed != 0) {
        fail("cannot build the archive");
        return QByteArray();
    }
    archive = nullptr;
    zip_stat_t stat;
    zip_stat_init(&stat);
    QByteArray bytes;
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0) {
        fail("cannot read the archive built");
        return QByteArray();
    }
    bytes.resize(qsizetype(stat.size));
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), zip_uint64_t(bytes.size()));
    zip_source_close(buffer);
    if (got != qint64(bytes.size())) {
        fail("cannot read the archive built");
        return QByteArray();
    }
    return bytes;
}
