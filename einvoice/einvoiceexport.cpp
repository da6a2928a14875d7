#include "einvoiceexport.h"

#include "amounttext.h"
#include "durablefile.h"
#include "einvoice.h"
#include "recordtypes.h"
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

// Progressives are five characters of [0-9A-Z]: some sixty million files.
constexpr int progressivoWidth = 5;
constexpr qint64 progressivoLimit = 36LL * 36 * 36 * 36 * 36;

QString progressivoText(qint64 counter)
{
    return QString::number(counter, 36).toUpper().rightJustified(progressivoWidth, QLatin1Char('0'));
}

// "einvoice_0.xml": the last progressive used and the export folder, read when made.
class Settings final : public Serializable
{
public:
    Settings() : Serializable(nullptr, RecordTypes::einvoice)
    {
        if (const QString path = fileNameOf(this); QFile::exists(path))
            unserialize(this, path, typeName); // a damaged file leaves the record empty
    }
    QString recordType() const override { return typeName; }
    QString recordId() const override { return QStringLiteral("0"); }
    QString value(const QString& key) const { return fields()->value(key); }
    void set(const QString& key, const QString& value) { fields()->insert(key, value); }
    // Empty when the record is on disk for good; otherwise why not ("disco pieno").
    QString write()
    {
        QString failure;
        if (serialize(this, &failure) != 0)
            return failure;
        return syncDataDir() ? QString() : DurableFile::describeError(errno);
    }
};

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

QString EInvoiceExport::documentLabel(const InvoiceData& document)
{
    return QStringLiteral("%1 N. %2 del %3")
        .arg(document.docType, formatCount(document.number), document.date.toString(QStringLiteral("dd/MM/yyyy")));
}

bool EInvoiceExport::exportable(const QString& docType)
{
    static const QStringList types = {QStringLiteral("FATTURA"), QStringLiteral("FATTURA ACCOMPAGNATORIA"),
                                      QStringLiteral("NOTA DI CREDITO"), QStringLiteral("NOTA DI DEBITO")};
    return types.contains(docType);
}

QString EInvoiceExport::folder() const
{
    return Settings().value(folderKey);
}

bool EInvoiceExport::setFolder(const QString& folder)
{
    Settings settings;
    settings.set(folderKey, folder);
    return settings.write().isEmpty();
}

std::optional<qint64> EInvoiceExport::reserve(int count, const QString& folder, const QString& namePrefix,
                                              QString* reason)
{
    Settings settings;
    const qint64 last = std::max(settings.value(counterKey).toLongLong(), highestInFolder(folder, namePrefix));
    if (last + count >= progressivoLimit) {
        *reason = QStringLiteral("progressivi di invio esauriti");
        return std::nullopt;
    }
    // stored before any file bears them, so that no crash can hand them out twice
    settings.set(counterKey, QString::number(last + count));
    *reason = settings.write();
    if (!reason->isEmpty())
        return std::nullopt;
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
