#pragma once

#include <QFile>
#include <QString>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

// A tiny file system mounted over a directory, for full and read-only disks. Needs root.
class Tmpfs final
{
public:
    Tmpfs(const QString& path, const char* options) : target(QFile::encodeName(path))
    {
        mounted = ::geteuid() == 0 && ::mount("tmpfs", target.constData(), "tmpfs", 0, options) == 0;
    }
    ~Tmpfs()
    {
        if (mounted)
            ::umount2(target.constData(), MNT_DETACH);
    }
    bool isMounted() const { return mounted; }
    bool makeReadOnly() const
    {
        return ::mount("tmpfs", target.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray target;
    bool mounted = false;
};

// Writes zeros into `path` until the file system refuses more.
inline void fillDisk(const QString& path)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(512, '\0');
    while (filler.write(block) == block.size()) {
    }
    const QByteArray byte(1, '\0');
    while (filler.write(byte) == 1) {
    }
}
