#include "testhome.h"

#include "paths.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

TestHome::TestHome(DataDir dataDir) : previousHome(qgetenv("HOME"))
{
    qputenv("HOME", QFile::encodeName(dir.path()));
    if (dataDir == DataDir::Created)
        QDir().mkpath(dataDirPath());
}

TestHome::~TestHome()
{
    qputenv("HOME", previousHome);
}

QString TestHome::path() const
{
    return dir.path();
}

QString TestHome::dataDir() const
{
    return dataDirPath();
}

QString TestHome::writeDataFile(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(dataDirPath());
    const QString path = dataDirPath() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint64 inodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}
