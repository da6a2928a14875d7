#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty home directory for the lifetime of the object; HOME is restored after.
class TestHome
{
public:
    enum class DataDir { Missing, Created };

    explicit TestHome(DataDir dataDir = DataDir::Created);
    ~TestHome();

    QString path() const;
    QString dataDir() const;
    // Writes `bytes` to `name` inside the data directory, creating the directory.
    QString writeDataFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir;
    QByteArray previousHome;
};

QByteArray readFile(const QString& path);
// Records are replaced by renaming a new file over the old: a rewrite changes the inode.
quint64 inodeOf(const QString& path);
