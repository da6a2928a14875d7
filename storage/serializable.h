#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// Base of every record the program stores: a field map (key to value text) written as
// one XML file "<type>_<id>.xml" in the flat data directory.
class Serializable : public QObject
{
    Q_OBJECT

public:
    using FieldMap = QMap<QString, QString>;

    Serializable(QObject* parent, const QString& type);
    ~Serializable() override;

    virtual QString recordType() const = 0;
    virtual QString recordId() const = 0;

    // Never null: the record always holds a map, empty at first.
    FieldMap* fields() const;
    // The record takes ownership of `map` and deletes the one it held.
    void setFields(FieldMap* map);

    // 0 when the record's file holds the record afterwards, -1 otherwise (with a warning in
    // the log, and in `failure` a short Italian reason for the user: "disco pieno").
    static int serialize(Serializable* record, QString* failure = nullptr);
    // 0 when the file was read into the record, -1 (with a warning) when it cannot be
    // opened, is not a well-formed record file or is refused; the record keeps its map then.
    static int unserialize(Serializable* record, const QString& fileName, const QString& type);
    // The record files "<type>_<id>.xml" of the data directory, sorted by name.
    static QStringList filesOfType(const QString& type);
    static bool ensureDataDir();
    // Makes the renames of the last save durable; call once after writing a batch of records.
    static bool syncDataDir();

    static QString escapeAccents(QString text);
    static QString unescapeAccents(QString text);

    static QString fileNameOf(const Serializable* record);

protected:
    // Puts `map` in place of the record's map and hands the previous one to the caller.
    std::unique_ptr<FieldMap> exchangeFields(std::unique_ptr<FieldMap> map);

    const QString typeName;

private:
    std::unique_ptr<FieldMap> fieldMap;

    Q_DISABLE_COPY_MOVE(Serializable)
};
