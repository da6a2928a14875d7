#include "einvoiceexport.h"

#include "durablefile.h"
#include "einvoice.h"
#include "recordtypes.h"
#include "recordxml.h"
#include "serializable.h"
#include "zipwriter.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString counterKey = QStringLiteral("PROGRESSIVO");
const QString folderKey = QStringLiteral("CARTELLA");
const QString settingsId = QStringLiteral("0");

// Progressives are five characters of [0-9A-Z]: some sixty million files.
constexpr int progressivoWidth = 5;
constexpr qint64 progressivoLimit = 36LL * 36 * 36 * 36 * 36;

QString progressivoText(qint64 counter)
{
    return QString::number(counter, 36).toUpper().rightJustified(progressivoWidth, QLatin1Char('0'));
}

QString settingsPath(const QString& dataDirectory)
{
    return dataDirectory + QLatin1Char('/') + RecordTypes::einvoice + QLatin1Char('_') + settingsId
        + QStringLiteral(".xml");
}

Serializable::FieldMap readSettings(const QString& dataDirectory)
{
    Serializable::FieldMap fields;
    QFile file(settingsPath(dataDirectory));
    if (!file.exists())
        return fields;
    QString error;
    if (!file.open(QIODevice::ReadOnly)
        || !RecordXml::parse(file.read(RecordXml::maxFileSize + 1), &fields, &error)) {
        qWarning() << "Electronic invoice settings not read:" << file.fileName() << error << file.errorString();
        return {};
    }
    for (auto it = fields.begin(); it != fields.end(); ++it)
        it.value() = Serializable::unescapeAccents(it.value());
    return fields;
}

// 0, or the errno; the record is durable when this returns.
int writeSettings(const QString& dataDirectory, Serializable::FieldMap fields)
{
    for (auto it = fields.begin(); it != fields.end(); ++it)
        it.value() = Serializable::escapeAccents(it.value());
    const QByteArray bytes = RecordXml::compose(RecordTypes::einvoice, settingsId, fields);
    if (!QDir().mkpath(dataDirectory))
        return errno ? errno : EACCES;
    if (const int error = DurableFile::replace(settingsPath(dataDirectory), bytes))
        return error;
    return DurableFile::syncDirectory(dataDirectory) ? 0 : errno;
}

// The highest progressive among the folder's electronic invoices of this seller, ours or
// not: a file there is never overwritten, and after a restore of an older backup the
// counter still moves past what was already sent.
qint64 highestInFolder(const QString& folder, const QString& namePrefix)
{
    static const QRegularExpression progressivo(QStringLiteral("^([0-9A-Z]{1,5})\\.xml$"),
                                                QRegularExpression::CaseInsensitiveOption);
    qint64 highest = 0;
    const QStringList names = QDir(folder).entryList({namePrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = progressivo.match(name.mid(namePrefix.size()));
        if (match.hasMatch())
            highest = std::max(highest, match.captured(1).toUpper().toLongLong(nullptr, 36));
    }
    return highest;
}

QString documentLabel(const InvoiceData& document)
{
    return QStringLiteral("%1 N. %2 del %3")
        .arg(document.docType)
        .arg(document.number)
        .arg(document.date.toString(QStringLiteral("dd/MM/yyyy")));
}

QStringList messagesOf(const QList<EInvoice::Finding>& findings, const QString& prefix = {})
{
    QStringList messages;
    for (const EInvoice::Finding& finding : findings)
        messages << prefix + finding.message;
    return messages;
}

// The seller's part of every file name: "IT01234567890_".
QString namePrefixOf(const InvoiceData& document)
{
    const QString name = EInvoice::fileName(document, QString());
    return name.left(name.size() - int(qstrlen(".xml")));
}

} // namespace

EInvoiceExport::EInvoiceExport(const QString& dataDirectory)
    : dataDirectory(dataDirectory)
{
}

bool EInvoiceExport::exportable(const QString& docType)
{
    static const QStringList types = {QStringLiteral("FATTURA"), QStringLiteral("FATTURA ACCOMPAGNATORIA"),
                                      QStringLiteral("NOTA DI CREDITO"), QStringLiteral("NOTA DI DEBITO")};
    return types.contains(docType);
}

QString EInvoiceExport::folder() const
{
    return readSettings(dataDirectory).value(folderKey);
}

bool EInvoiceExport::setFolder(const QString& folder)
{
    Serializable::FieldMap settings = readSettings(dataDirectory);
    settings.insert(folderKey, folder);
    return writeSettings(dataDirectory, settings) == 0;
}

std::optional<qint64> EInvoiceExport::reserve(int count, const QString& folder, const QString& namePrefix,
                                              QString* reason)
{
    Serializable::FieldMap settings = readSettings(dataDirectory);
    const qint64 last = std::max(settings.value(counterKey).toLongLong(), highestInFolder(folder, namePrefix));
    if (last + count >= progressivoLimit) {
        *reason = QStringLiteral("progressivi di invio esauriti");
        return std::nullopt;
    }
    // stored before any file bears them, so that no crash can hand them out twice
    settings.insert(counterKey, QString::number(last + count));
    if (const int error = writeSettings(dataDirectory, settings)) {
        *reason = DurableFile::describeError(error);
        return std::nullopt;
    }
    return last + 1;
}

EInvoiceExport::Outcome EInvoiceExport::exportDocument(const InvoiceData& document)
{
    Outcome outcome;
    if (!exportable(document.docType)) {
        outcome.failures << QStringLiteral("Il %1 non ha una fattura elettronica.").arg(document.docType);
        return outcome;
    }
    const QString target = folder();
    if (target.isEmpty() || !QFileInfo(target).isDir()) {
        outcome.reason = QStringLiteral("cartella inesistente");
        return outcome;
    }
    // A document the user must correct spends no progressive.
    if (const EInvoice::Built trial = EInvoice::build(document, progressivoText(1)); !trial.ok()) {
        outcome.failures = messagesOf(trial.findings);
        return outcome;
    }
    const QString namePrefix = namePrefixOf(document);
    // A file that appears under the chosen name meanwhile keeps it; the next progressive is taken.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<qint64> counter = reserve(1, target, namePrefix, &outcome.reason);
        if (!counter)
            return outcome;
        const QString progressivo = progressivoText(*counter);
        const EInvoice::Built built = EInvoice::build(document, progressivo);
        if (!built.ok()) {
            outcome.failures = messagesOf(built.findings);
            return outcome;
        }
        const QString path = QDir(target).filePath(EInvoice::fileName(document, progressivo));
        const int error = DurableFile::create(path, built.xml);
        if (error == 0) {
            outcome.filePath = path;
            outcome.documents = 1;
            return outcome;
        }
        if (error != EEXIST) {
            outcome.reason = DurableFile::describeError(error);
            qWarning() << "Electronic invoice not written:" << path << qt_error_string(error);
            return outcome;
        }
        qWarning() << "Electronic invoice: a file already bears the name" << path << "; the next progressive is used";
    }
    outcome.reason = QStringLiteral("file già esistente");
    return outcome;
}

EInvoiceExport::Outcome EInvoiceExport::exportYear(const QList<InvoiceData>& documents, const QString& zipPath,
                                                   const std::function<bool(int, int)>& progress)
{
    Outcome outcome;
    QList<const InvoiceData*> exportables;
    for (const InvoiceData& document : documents)
        if (exportable(document.docType))
            exportables << &document;
    if (exportables.isEmpty()) {
        outcome.reason = QStringLiteral("nessuna fattura da esportare");
        return outcome;
    }
    const std::optional<qint64> first =
        reserve(int(exportables.size()), folder(), namePrefixOf(*exportables.first()), &outcome.reason);
    if (!first)
        return outcome;

    ZipWriter zip;
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < exportables.size(); ++i) {
        const InvoiceData& document = *exportables.at(i);
        const QString progressivo = progressivoText(*first + i);
        const EInvoice::Built built = EInvoice::build(document, progressivo);
        if (built.ok() && zip.add(EInvoice::fileName(document, progressivo), built.xml, now))
            ++outcome.documents;
        else
            outcome.failures << messagesOf(built.findings, documentLabel(document) + QStringLiteral(": "));
        if (progress && !progress(int(i + 1), int(exportables.size()))) {
            outcome.reason = QStringLiteral("esportazione interrotta");
            outcome.documents = 0;
            return outcome;
        }
    }
    if (outcome.documents == 0) {
        outcome.reason = QStringLiteral("nessuna fattura valida");
        return outcome;
    }
    const QByteArray archive = zip.finish();
    if (archive.isEmpty()) {
        outcome.reason = zip.errorString();
        outcome.documents = 0;
        return outcome;
    }
    const int error = DurableFile::replace(zipPath, archive, 0644);
    if (error != 0 || !DurableFile::syncDirectory(QFileInfo(zipPath).absolutePath())) {
        outcome.reason = DurableFile::describeError(error ? error : errno);
        outcome.documents = 0;
        return outcome;
    }
    outcome.filePath = zipPath;
    return outcome;
}
