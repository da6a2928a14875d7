#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// The record files of the data directory, listed once: "<type>_<id>.xml" for each type asked
// for, by exact prefix, so that "old_customer_copy.xml" is no customer and a file of one type
// is never taken for another.
class RecordListing
{
public:
    // Lists the data directory once; a missing directory lists nothing.
    explicit RecordListing(const QStringList& types);

    // Full paths of the files of `type`, sorted by name.
    QStringList filesOf(const QString& type) const;
    // The file names alone ("document_FT_2026_000042.xml"), in no particular order.
    QStringList namesOf(const QString& type) const;
    // The same names as the file system gives them, without a string made for each: the
    // cheap way through tens of thousands of documents at every start.
    void forEachName(const QString& type, const std::function<void(QByteArrayView)>& visit) const;
    QString directory() const;
    // The path of "<type>_<id>.xml" when it is there, else empty.
    QString canonicalFile(const QString& type, const QString& id) const;

    // The id that a record file's name gives: "customer_C00003.xml" -> "C00003".
    static QString idOfFile(const QString& type, const QString& path);

    // Removes what interrupted saves left in the data directory: only the files named like
    // the writer's temporary copies of a record ("customer_C00003.xml.AbC123"). Returns
    // how many were removed.
    int removeInterruptedWrites() const;

private:
    QString dir;
    // by type, the names one after the other, each ended by a NUL
    QHash<QString, QByteArray> namesOfType;
    QStringList interruptedWrites;
};
