#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct zip;
struct zip_source;

// Builds a zip archive in memory through libzip. Every entry is marked as a regular Unix
// file, so any reader, ours included, sees exactly what it is.
class ZipWriter final
{
public:
    ZipWriter();
    ~ZipWriter();

    bool add(const QString& name, const QByteArray& bytes, const QDateTime& modified);
    // The bytes of the whole archive; empty, with errorString() set, when it cannot be built.
    QByteArray finish();
    QString errorString() const { return error; }

private:
    bool fail(const char* what);

    zip_source* buffer = nullptr;
    zip* archive = nullptr;
    // libzip reads the contents only when the archive is finished
    QList<QByteArray> contents;
    QString error;

    Q_DISABLE_COPY_MOVE(ZipWriter)
};
