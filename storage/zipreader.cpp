#include "zipreader.h"

#include <QFile>

#include <sys/stat.h>
#include <zip.h>

namespace {

constexpr zip_uint32_t dosDirectoryAttribute = 0x10;

// Only a Unix mode can say "link" or "device"; hosts whose file systems know neither
// (DOS, Windows, OS/2) mark directories with an attribute bit. Any other host, or a Unix
// host that gives no mode, leaves the kind unknown, and unknown is not a file.
ZipReader::Kind kindOf(const QString& name, zip_uint8_t host, zip_uint32_t attributes)
{
    const bool namedAsDirectory = name.endsWith(QLatin1Char('/'));
    const mode_t mode = attributes >> 16;
    if (mode != 0) {
        // Some writers give a Unix entry its permissions only; a link or a device always says so.
        if ((S_ISREG(mode) || (host == ZIP_OPSYS_UNIX && (mode & S_IFMT) == 0)) && !namedAsDirectory)
            return ZipReader::Kind::File;
        if (S_ISDIR(mode) && namedAsDirectory)
            return ZipReader::Kind::Directory;
        return ZipReader::Kind::Other;
    }
    switch (host) {
    case ZIP_OPSYS_DOS:
    case ZIP_OPSYS_OS_2:
    case ZIP_OPSYS_WINDOWS_NTFS:
    case ZIP_OPSYS_VFAT:
        if (namedAsDirectory)
            return ZipReader::Kind::Directory;
        return (attributes & dosDirectoryAttribute) ? ZipReader::Kind::Other : ZipReader::Kind::File;
    default:
        return ZipReader::Kind::Other;
    }
}

} // namespace

ZipReader::ZipReader(const QString& path)
{
    int code = 0;
    archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = QString::fromLocal8Bit(zip_error_strerror(&reason));
        zip_error_fini(&reason);
    }
}

ZipReader::~ZipReader()
{
    if (archive)
        zip_discard(archive);
}

qint64 ZipReader::entryCount() const
{
    return archive ? zip_get_num_entries(archive, 0) : 0;
}

ZipReader::Entry ZipReader::entry(qint64 index) const
{
    Entry entry;
    const char* name = zip_get_name(archive, zip_uint64_t(index), ZIP_FL_ENC_GUESS);
    if (!name)
        return entry;
    entry.name = QString::fromUtf8(name);
    zip_uint8_t host = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, zip_uint64_t(index), 0, &host, &attributes) == 0)
        entry.kind = kindOf(entry.name, host, attributes);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) == 0) {
        entry.encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
        entry.declaredSize = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
    } else {
        entry.kind = Kind::Other;
    }
    return entry;
}

ZipReader::Read ZipReader::read(qint64 index, qint64 cap, QByteArray* bytes) const
{
    bytes->clear();
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file)
        return Read::Damaged;
    Read result = Read::Ok;
    char chunk[64 * 1024];
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk, sizeof chunk);
        if (got < 0) {
            result = Read::Damaged; // bad data or a checksum that does not match
            break;
        }
        if (got == 0)
            break;
        if (bytes->size() + got > cap) {
            result = Read::TooLarge;
            break;
        }
        bytes->append(chunk, int(got));
    }
    zip_fclose(file);
    if (result != Read::Ok)
        bytes->clear();
    return result;
}
