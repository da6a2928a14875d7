#include "serializable.h"

#include "durablefile.h"
#include "paths.h"
#include "recordstore.h"
#include "recordxml.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <vector>


namespace {

struct Accent
{
    QChar letter;
    QString entity;
};

// Accented letters travel as entity names, so files stay readable by readers that
// mistake their encoding; the twenty letters of Italian business names.
const std::vector<Accent>& accentTable()
{
    static const std::vector<Accent> table = {
        {QChar(0x00E0), QStringLiteral("&agrave;")}, {QChar(0x00E1), QStringLiteral("&aacute;")},
        {QChar(0x00E8), QStringLiteral("&egrave;")}, {QChar(0x00EC), QStringLiteral("&igrave;")},
        {QChar(0x00ED), QStringLiteral("&iacute;")}, {QChar(0x00F2), QStringLiteral("&ograve;")},
        {QChar(0x00F3), QStringLiteral("&oacute;")}, {QChar(0x00F9), QStringLiteral("&ugrave;")},
        {QChar(0x00FA), QStringLiteral("&uacute;")}, {QChar(0x00C1), QStringLiteral("&Aacute;")},
        {QChar(0x00C0), QStringLiteral("&Agrave;")}, {QChar(0x00C2), QStringLiteral("&Acirc;")},
        {QChar(0x00C9), QStringLiteral("&Eacute;")}, {QChar(0x00C8), QStringLiteral("&Egrave;")},
        {QChar(0x00D2), QStringLiteral("&Ograve;")}, {QChar(0x00D3), QStringLiteral("&Oacute;")},
        {QChar(0x00CC), QStringLiteral("&Igrave;")}, {QChar(0x00CD), QStringLiteral("&Iacute;")},
        {QChar(0x00DA), QStringLiteral("&Uacute;")}, {QChar(0x00D9), QStringLiteral("&Ugrave;")},
    };
    return table;
}

// A record id becomes part of a file name: it must not lead out of the data directory.
bool isSafeRecordId(const QString& id)
{
    return std::none_of(id.cbegin(), id.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\');
    });
}

bool fileHolds(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.read(bytes.size() + 1) == bytes;
}

void fail(QString* failure, const QString& reason)
{
    if (failure)
        *failure = reason;
}

} // namespace

Serializable::Serializable(QObject* parent, const QString& type)
    : QObject(parent), typeName(type), fieldMap(std::make_unique<FieldMap>())
{
}

Serializable::~Serializable() = default;

Serializable::FieldMap* Serializable::fields() const
{
    return fieldMap.get();
}

void Serializable::setFields(FieldMap* map)
{
    fieldMap.reset(map ? map : new FieldMap);
}

std::unique_ptr<Serializable::FieldMap> Serializable::exchangeFields(std::unique_ptr<FieldMap> map)
{
    if (!map)
        map = std::make_unique<FieldMap>();
    fieldMap.swap(map);
    return map;
}

QString Serializable::fileNameOf(const Serializable* record)
{
    return dataDirPath() + QLatin1Char('/') + record->recordType() + QLatin1Char('_')
        + record->recordId() + QStringLiteral(".xml");
}

bool Serializable::ensureDataDir()
{
    const QString path = dataDirPath();
    if (QDir(path).exists())
        return true;
    qWarning("Cannot find the root directory");
    if (!QDir().mkpath(path)) {
        qWarning("Cannot create the root directory");
        return false;
    }
    return true;
}

int Serializable::serialize(Serializable* record, QString* failure)
{
    if (!record)
        return -1;
    if (!isSafeRecordId(record->recordId())) {
        qWarning() << "Record not written: its id cannot be a file name:" << record->recordId();
        fail(failure, QStringLiteral("codice non valido come nome di file"));
        return -1;
    }
    FieldMap escaped = *record->fields(); // shared until a value needs its accents escaped
    for (auto it = record->fields()->cbegin(); it != record->fields()->cend(); ++it) {
        QString value = escapeAccents(it.value());
        if (!value.isSharedWith(it.value()))
            escaped.insert(it.key(), value);
    }
    const QByteArray document = RecordXml::compose(record->recordType(), record->recordId(), escaped);

    const QString path = fileNameOf(record);
    if (document.size() > RecordXml::maxFileSize) {
        // it could be written, but never read back: keep the previous file instead
        qWarning() << "Cannot write the record file:" << path << "larger than" << RecordXml::maxFileSize << "bytes";
        fail(failure, QStringLiteral("dati troppo lunghi"));
        return -1;
    }
    // Closing the program with thousands of unchanged customers must not rewrite them all.
    if (fileHolds(path, document))
        return 0;
    if (!ensureDataDir()) {
        fail(failure, DurableFile::describeError(errno));
        return -1;
    }

    // Written beside the old file and renamed over it, so a crash or a power cut at any
    // moment leaves either the complete old record or the complete new one. Every step is
    // checked: on a full disk QSaveFile::commit() alone can report success after a failed
    // write and put an empty file in place of a good record.
    const int error = DurableFile::replace(path, document);
    if (error != 0) {
        fail(failure, DurableFile::describeError(error));
        qWarning() << "Cannot write the record file:" << path << qt_error_string(error);
        return -1;
    }
    return 0;
}

int Serializable::unserialize(Serializable* record, const QString& fileName, const QString& type)
{
    Q_UNUSED(type) // the document's own type is not checked: the record's fields decide
    if (!record)
        return -1;

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "Cannot open the record file:" << fileName << file.errorString();
        return -1;
    }
    if (file.size() > RecordXml::maxFileSize) {
        qWarning() << "Record file refused:" << fileName << "larger than" << RecordXml::maxFileSize << "bytes";
        return -1;
    }
    const QByteArray document = file.read(RecordXml::maxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        qWarning() << "Cannot read the record file:" << fileName << file.errorString();
        return -1;
    }

    FieldMap read;
    QString error;
    if (!RecordXml::parse(document, &read, &error)) {
        qWarning() << "Record file refused:" << fileName << error;
        return -1;
    }
    for (auto it = read.begin(); it != read.end(); ++it)
        it.value() = unescapeAccents(it.value());
    record->setFields(new FieldMap(std::move(read)));
    return 0;
}

QStringList Serializable::filesOfType(const QString& type)
{
    return RecordListing({type}).filesOf(type);
}

bool Serializable::syncDataDir()
{
    return DurableFile::syncDirectory(dataDirPath());
}

QString Serializable::escapeAccents(QString text)
{
    const auto ascii = [](QChar c) { return c.unicode() < 0x80; };
    if (std::all_of(text.cbegin(), text.cend(), ascii))
        return text;
    // One pass: an entity name is plain ASCII, so no replacement can make another letter appear.
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (const QChar c : std::as_const(text)) {
        const auto& table = accentTable();
        const auto accent = c.unicode() < 0xC0 ? table.cend()
                                               : std::find_if(table.cbegin(), table.cend(),
                                                              [c](const Accent& a) { return a.letter == c; });
        if (accent != table.cend())
            escaped += accent->entity;
        else
            escaped += c;
    }
    return escaped;
}

QString Serializable::unescapeAccents(QString text)
{
    qsizetype at = text.indexOf(QLatin1Char('&'));
    if (at < 0)
        return text;
    // One pass from each "&": a letter put in place of an entity cannot start another one.
    QString unescaped;
    unescaped.reserve(text.size());
    qsizetype copied = 0;
    const auto& table = accentTable();
    while (at >= 0) {
        const QStringView rest = QStringView(text).mid(at);
        const auto accent = std::find_if(table.cbegin(), table.cend(),
                                         [rest](const Accent& a) { return rest.startsWith(a.entity); });
        if (accent != table.cend()) {
            unescaped += QStringView(text).mid(copied, at - copied);
            unescaped += accent->letter;
            copied = at + accent->entity.size();
            at = text.indexOf(QLatin1Char('&'), copied);
        } else {
            at = text.indexOf(QLatin1Char('&'), at + 1);
        }
    }
    unescaped += QStringView(text).mid(copied);
    return unescaped;
}
