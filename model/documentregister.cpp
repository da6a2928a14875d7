#include "documentregister.h"

#include "companykeys.h"
#include "numbertext.h"
#include "paths.h"
#include "recordstore.h"
#include "recordtypes.h"
#include "searchtext.h"
#include "serializable.h"

#include <QDebug>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// One record file of the register: a document, the draft or the index of a year.
class RegisterRecord final : public Serializable
{
public:
    RegisterRecord(const QString& type, const QString& id) : Serializable(nullptr, type), id(id) {}
    QString recordType() const override { return typeName; }
    QString recordId() const override { return id; }

private:
    const QString id;
};

struct Sequence
{
    QString code;
    QStringList docTypes;
    QString described; // for messages: "le fatture e le note di debito"
};

// The numbering of an Italian business: invoices and debit notes count together, credit
// notes and transport documents each on their own.
const QList<Sequence>& sequences()
{
    static const QList<Sequence> table = {
        {QStringLiteral("FT"),
         {QStringLiteral("FATTURA"), QStringLiteral("FATTURA ACCOMPAGNATORIA"), QStringLiteral("NOTA DI DEBITO")},
         QStringLiteral("le fatture e le note di debito")},
        {QStringLiteral("NC"), {QStringLiteral("NOTA DI CREDITO")}, QStringLiteral("le note di credito")},
        {QStringLiteral("DDT"), {QStringLiteral("DOCUMENTO DI TRASPORTO")}, QStringLiteral("i documenti di trasporto")},
    };
    return table;
}

QString describedSequence(const QString& code)
{
    for (const Sequence& sequence : sequences()) {
        if (sequence.code == code)
            return sequence.described;
    }
    return code;
}

constexpr int maxNumber = 999999999;
constexpr int numberDigits = 9;
const QString draftId = QStringLiteral("0");
const QString xmlSuffix = QStringLiteral(".xml");

QString italianDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString documentPath(const QString& id)
{
    return dataDirPath() + QLatin1Char('/') + RecordTypes::document + QLatin1Char('_') + id + xmlSuffix;
}

// The sequence, year and number a file name claims: "FT_2026_000042" and also a copy made
// by hand such as "FT_2026_42 copia". Empty for a name of another shape.
struct Claim
{
    QStringView sequence;
    int year = 0;
    int number = 0;
};

std::optional<Claim> claimOf(QStringView id)
{
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const qsizetype firstSeparator = id.indexOf(QLatin1Char('_'));
    if (firstSeparator <= 0)
        return std::nullopt;
    const QStringView sequence = id.left(firstSeparator);
    if (!std::all_of(sequence.begin(), sequence.end(), [](QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }))
        return std::nullopt;
    QStringView rest = id.mid(firstSeparator + 1);
    if (rest.size() < 6 || !std::all_of(rest.begin(), rest.begin() + 4, isDigit) || rest.at(4) != QLatin1Char('_'))
        return std::nullopt;
    const int year = rest.left(4).toInt();
    rest = rest.mid(5);
    qsizetype digits = 0;
    while (digits < rest.size() && isDigit(rest.at(digits)))
        ++digits;
    QStringView number = rest.left(digits);
    while (number.size() > 1 && number.front() == QLatin1Char('0'))
        number = number.mid(1);
    if (digits == 0 || number.size() > numberDigits)
        return std::nullopt;
    return Claim{sequence, year, number.toInt()};
}

// The summary of a document as the index keeps it: date, customer code and name, total,
// document type and the name as the search compares it (empty when the same), separated by
// tabs (a tab in a name becomes a blank). Folding accents is the dearest part of reading a
// year, so it is done once, when the document enters the index.
QString indexLine(const DocumentRegister::Entry& entry, const QString& foldedName)
{
    const auto field = [](QString text) { return text.replace(QLatin1Char('\t'), QLatin1Char(' ')); };
    return QStringList{entry.date.toString(Qt::ISODate), field(entry.customerCode), field(entry.customerName),
                       QString::number(entry.totale, 'f', QLocale::FloatingPointShortest), field(entry.docType),
                       foldedName == entry.customerName ? QString() : field(foldedName)}
        .join(QLatin1Char('\t'));
}

bool readIndexLine(const QString& line, DocumentRegister::Entry* entry, QString* foldedName)
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    if (parts.size() != 6)
        return false;
    bool ok = false;
    const double totale = QLocale::c().toDouble(parts.at(3), &ok);
    const QDate date = QDate::fromString(parts.at(0), Qt::ISODate);
    if (!ok || !date.isValid())
        return false;
    entry->date = date;
    entry->customerCode = parts.at(1);
    entry->customerName = parts.at(2);
    entry->totale = totale;
    entry->docType = parts.at(4);
    *foldedName = parts.at(5).isEmpty() ? entry->customerName : parts.at(5);
    return true;
}

void summarise(const InvoiceData& document, DocumentRegister::Entry* entry)
{
    entry->docType = document.docType;
    entry->date = document.date;
    entry->customerCode = document.customer.value(CODE);
    entry->customerName = document.customer.value(RAGIONE_S);
    entry->totale = document.totale;
    entry->readable = true;
}

std::optional<InvoiceData> readDocument(const QString& type, const QString& id)
{
    RegisterRecord record(type, id);
    const QString path = Serializable::fileNameOf(&record);
    if (Serializable::unserialize(&record, path, type) != 0)
        return std::nullopt;
    QString error;
    std::optional<InvoiceData> document = InvoiceData::fromFields(*record.fields(), &error);
    if (!document)
        qWarning() << "Document file skipped, it does not hold a document:" << path << error;
    return document;
}

bool newestFirst(const DocumentRegister::Entry& a, const DocumentRegister::Entry& b)
{
    if (a.date != b.date)
        return a.date > b.date;
    if (a.number != b.number)
        return a.number > b.number;
    return a.id > b.id;
}

} // namespace

DocumentRegister::DocumentRegister(QObject* parent) : QObject(parent)
{
}

QString DocumentRegister::sequenceOf(const QString& docType)
{
    const QString type = docType.trimmed().toUpper();
    for (const Sequence& sequence : sequences()) {
        if (sequence.docTypes.contains(type))
            return sequence.code;
    }
    return QString();
}

QString DocumentRegister::recordIdOf(const QString& sequence, int year, int number)
{
    return QStringLiteral("%1_%2_%3").arg(sequence).arg(year, 4, 10, QLatin1Char('0')).arg(number, 6, 10, QLatin1Char('0'));
}

std::optional<int> DocumentRegister::parseNumber(const QString& text, QString* message)
{
    const QString digits = text.trimmed();
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    QStringView significant(digits);
    while (significant.size() > 1 && significant.front() == QLatin1Char('0'))
        significant = significant.mid(1);
    if (!digits.isEmpty() && std::all_of(digits.cbegin(), digits.cend(), isDigit) && significant.size() <= numberDigits
        && significant.toInt() > 0)
        return significant.toInt();
    if (message)
        *message = QStringLiteral("Numero del documento non valido: \"%1\". Il numero deve essere un intero da 1 a %2.")
                       .arg(text)
                       .arg(maxNumber);
    return std::nullopt;
}

void DocumentRegister::load()
{
    load(RecordListing({RecordTypes::document}));
}

void DocumentRegister::load(const RecordListing& listing)
{
    years_.clear();
    highest.clear();
    claims.clear();
    const QStringList names = listing.namesOf(RecordTypes::document);
    claims.reserve(names.size());
    const qsizetype prefix = RecordTypes::document.size() + 1;
    for (const QString& name : names) {
        const QString id = name.mid(prefix, name.size() - prefix - xmlSuffix.size());
        const std::optional<Claim> claim = claimOf(id);
        if (!claim) {
            qWarning() << "Document file ignored, its name gives no number:" << name;
            continue;
        }
        addListed(id, claim->sequence, claim->year, claim->number);
    }
    markDuplicates();
    qDebug() << "documents listed:" << names.size();
}

quint64 DocumentRegister::claimKey(QStringView sequence, int year, int number) const
{
    qsizetype index = sequenceNames.indexOf(sequence);
    if (index < 0) {
        index = sequenceNames.size();
        sequenceNames.append(sequence.toString());
    }
    return (quint64(index) << 48) | (quint64(quint16(year)) << 32) | quint32(number);
}

void DocumentRegister::addListed(const QString& id, QStringView sequence, int year, int number)
{
    const quint64 key = claimKey(sequence, year, number);
    Listed listed;
    listed.entry.id = id;
    listed.entry.sequence = sequenceNames.at(qsizetype(key >> 48));
    listed.entry.year = year;
    listed.entry.number = number;
    Year& documents = years_[year];
    documents.documents.append(std::move(listed));
    documents.sorted = false;
    int& top = highest[claimKey(sequence, year, 0)];
    top = std::max(top, number);
    ++claims[key];
}

void DocumentRegister::markDuplicates()
{
    for (Year& year : years_) {
        for (Listed& listed : year.documents) {
            Entry& e = listed.entry;
            e.duplicate = claims.value(claimKey(e.sequence, e.year, e.number)) > 1;
            if (e.duplicate)
                qWarning() << "Document number claimed by more than one file:" << documentPath(e.id);
        }
    }
}

int DocumentRegister::nextNumber(const QString& docType, int year) const
{
    const QString sequence = sequenceOf(docType);
    return sequence.isEmpty() ? 0 : highest.value(claimKey(sequence, year, 0)) + 1;
}

bool DocumentRegister::isIssued(const QString& docType, int year, int number) const
{
    const QString sequence = sequenceOf(docType);
    return !sequence.isEmpty() && claims.contains(claimKey(sequence, year, number));
}

QString DocumentRegister::failure() const
{
    return lastFailure;
}

DocumentRegister::IssueResult DocumentRegister::refuse(IssueResult result, const QString& message)
{
    lastFailure = message;
    qWarning() << "Document not issued:" << message;
    return result;
}

DocumentRegister::IssueResult DocumentRegister::issue(const InvoiceData& document, bool confirmedEarlierDate)
{
    lastFailure.clear();
    const QString sequence = sequenceOf(document.docType);
    if (sequence.isEmpty())
        return refuse(IssueResult::NotWritten, QStringLiteral("Tipo di documento non valido: \"%1\".").arg(document.docType));
    if (document.number < 1 || document.number > maxNumber)
        return refuse(IssueResult::InvalidNumber,
                      QStringLiteral("Numero del documento non valido: %1. Il numero deve essere un intero da 1 a %2.")
                          .arg(document.number)
                          .arg(maxNumber));
    if (!document.date.isValid())
        return refuse(IssueResult::NotWritten, QStringLiteral("Data del documento non valida."));
    const int year = document.date.year();
    const QString id = recordIdOf(sequence, year, document.number);
    // a file put there since the listing counts too: an issued document is never written over
    if (claims.contains(claimKey(sequence, year, document.number)) || QFile::exists(documentPath(id)))
        return refuse(IssueResult::NumberTaken,
                      QStringLiteral("Il numero %1 del %2 è già stato usato per %3. Il primo numero libero è %4.")
                          .arg(document.number)
                          .arg(year)
                          .arg(describedSequence(sequence))
                          .arg(std::max(highest.value(claimKey(sequence, year, 0)), document.number) + 1));
    const QDate last = lastDate(sequence, year);
    if (!confirmedEarlierDate && last.isValid() && document.date < last)
        return refuse(IssueResult::EarlierThanLast,
                      QStringLiteral("La data %1 è precedente a quella dell'ultimo documento emesso per %2 (%3). "
                                     "Registrare comunque il documento?")
                          .arg(italianDate(document.date), describedSequence(sequence), italianDate(last)));

    RegisterRecord record(RecordTypes::document, id);
    *record.fields() = document.toFields();
    QString reason;
    if (Serializable::serialize(&record, &reason) != 0)
        return refuse(IssueResult::NotWritten, QStringLiteral("Documento non registrato: %1.").arg(reason));
    const bool durable = Serializable::syncDataDir();

    // the file is there: from now on its number is taken, whatever the sync said
    const bool wasSorted = years_.value(year).sorted;
    addListed(id, sequence, year, document.number);
    Year& documents = years_[year];
    Listed issued = documents.documents.takeLast();
    summarise(document, &issued.entry);
    issued.foldedName = SearchText::fold(issued.entry.customerName);
    // kept in its place among the others, newest first, rather than sorting the year again
    const auto place = wasSorted
        ? std::lower_bound(documents.documents.begin(), documents.documents.end(), issued,
                           [](const Listed& a, const Listed& b) { return newestFirst(a.entry, b.entry); })
        : documents.documents.end();
    documents.documents.insert(place, std::move(issued));
    documents.sorted = wasSorted;
    Q_EMIT documentIssued(id);
    if (!durable)
        return refuse(IssueResult::NotWritten,
                      QStringLiteral("Documento scritto, ma il disco non ha confermato la scrittura: "
                                     "controllare il disco prima di continuare."));
    return IssueResult::Issued;
}

DocumentRegister::Year& DocumentRegister::summarised(int year) const
{
    Year& documents = years_[year];
    if (!documents.summarised) {
        RegisterRecord index(RecordTypes::documentIndex, QString::number(year));
        const QString indexPath = Serializable::fileNameOf(&index);
        if (QFile::exists(indexPath) && Serializable::unserialize(&index, indexPath, RecordTypes::documentIndex) != 0)
            index.fields()->clear();
        Serializable::FieldMap known;
        bool changed = false;
        for (Listed& listed : documents.documents) {
            Entry& entry = listed.entry;
            const QString indexed = index.fields()->value(entry.id);
            if (entry.docType.isEmpty() && readIndexLine(indexed, &entry, &listed.foldedName)) {
                known.insert(entry.id, indexed);
                continue;
            }
            if (entry.docType.isEmpty()) {
                if (const std::optional<InvoiceData> document = readDocument(RecordTypes::document, entry.id)) {
                    summarise(*document, &entry);
                    listed.foldedName = SearchText::fold(entry.customerName);
                } else {
                    // its number stays taken, and the file is kept as it is
                    qWarning() << "Document file cannot be read, listed as damaged:" << documentPath(entry.id);
                    entry.readable = false;
                }
            }
            if (entry.readable) {
                known.insert(entry.id, indexLine(entry, listed.foldedName));
                changed = true;
            }
        }
        if (changed || known.size() != index.fields()->size()) {
            *index.fields() = known;
            // only a copy of what the documents hold: if it cannot be written it is built again
            Serializable::serialize(&index);
        }
        documents.summarised = true;
    }
    if (!documents.sorted) {
        std::sort(documents.documents.begin(), documents.documents.end(),
                  [](const Listed& a, const Listed& b) { return newestFirst(a.entry, b.entry); });
        documents.sorted = true;
    }
    return documents;
}

QDate DocumentRegister::lastDate(const QString& sequence, int year) const
{
    if (!years_.contains(year))
        return QDate();
    QDate last;
    for (const Listed& listed : std::as_const(summarised(year).documents)) {
        if (listed.entry.sequence == sequence && listed.entry.date > last)
            last = listed.entry.date;
    }
    return last;
}

QList<DocumentRegister::Entry> DocumentRegister::entries(int year) const
{
    QList<Entry> result;
    if (!years_.contains(year))
        return result;
    const Year& documents = summarised(year);
    result.reserve(documents.documents.size());
    for (const Listed& listed : documents.documents)
        result.append(listed.entry);
    return result;
}

QList<DocumentRegister::Entry> DocumentRegister::search(const QString& text, int year) const
{
    const QString folded = SearchText::fold(text.trimmed());
    const QString digits = text.trimmed();
    const std::optional<int> number = parseNumber(digits);
    // an amount as typed, "164,70" or "164.70", compared to the cent
    const std::optional<double> amount = parseAmount(digits);
    const qint64 cents = amount ? qRound64(*amount * 100) : -1;
    const auto matches = [&](const Listed& listed) {
        const Entry& entry = listed.entry;
        return folded.isEmpty() || listed.foldedName.contains(folded) || entry.customerCode.contains(folded)
            || (number && entry.number == *number) || (amount && qRound64(entry.totale * 100) == cents);
    };
    QList<Entry> result;
    const QList<int> searched = year == 0 ? years() : QList<int>{year};
    for (const int each : searched) {
        if (!years_.contains(each))
            continue;
        for (const Listed& listed : std::as_const(summarised(each).documents)) {
            if (matches(listed))
                result.append(listed.entry);
        }
    }
    return result;
}

QList<int> DocumentRegister::years() const
{
    QList<int> result = years_.keys();
    std::reverse(result.begin(), result.end());
    return result;
}

std::optional<InvoiceData> DocumentRegister::open(const QString& id) const
{
    // the id comes from the listing; anything else is no document of the register
    if (!claimOf(id) || id.contains(QLatin1Char('/')))
        return std::nullopt;
    return readDocument(RecordTypes::document, id);
}

bool DocumentRegister::saveDraft(const InvoiceData& draft)
{
    RegisterRecord record(RecordTypes::draft, draftId);
    *record.fields() = draft.toFields();
    QString reason;
    if (Serializable::serialize(&record, &reason) != 0 || !Serializable::syncDataDir()) {
        lastFailure = QStringLiteral("Bozza del documento non salvata: %1.")
                          .arg(reason.isEmpty() ? QStringLiteral("errore del disco") : reason);
        return false;
    }
    return true;
}

std::optional<InvoiceData> DocumentRegister::loadDraft() const
{
    RegisterRecord record(RecordTypes::draft, draftId);
    if (!QFile::exists(Serializable::fileNameOf(&record)))
        return std::nullopt;
    return readDocument(RecordTypes::draft, draftId);
}

bool DocumentRegister::discardDraft()
{
    RegisterRecord record(RecordTypes::draft, draftId);
    QFile file(Serializable::fileNameOf(&record));
    if (file.exists() && !file.remove()) {
        qWarning() << "Cannot remove the draft:" << file.fileName() << file.errorString();
        return false;
    }
    Serializable::syncDataDir();
    return true;
}
