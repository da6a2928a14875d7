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
#include <QtConcurrent/QtConcurrentRun>

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
// by hand such as "FT_2026_42 copia". Empty for a name of another shape. Read from the
// file name as the file system gives it or from an id alike.
template <typename View>
struct Claim
{
    View sequence;
    int year = 0;
    int number = 0;
    bool canonical = false; // the name is the one the register gives that number
};

template <typename View>
std::optional<Claim<View>> claimOf(View id)
{
    const auto isDigit = [](auto c) { return c.unicode() >= '0' && c.unicode() <= '9'; };
    const auto digitsOf = [&isDigit](View digits) {
        int value = 0;
        for (qsizetype i = 0; i < digits.size(); ++i) {
            if (!isDigit(digits.at(i)))
                return -1;
            value = value * 10 + (digits.at(i).unicode() - '0');
        }
        return value;
    };
    qsizetype firstSeparator = 0;
    while (firstSeparator < id.size() && id.at(firstSeparator).unicode() >= 'A' && id.at(firstSeparator).unicode() <= 'Z')
        ++firstSeparator;
    if (firstSeparator == 0 || firstSeparator == id.size() || id.at(firstSeparator).unicode() != '_')
        return std::nullopt;
    View rest = id.sliced(firstSeparator + 1);
    if (rest.size() < 6 || digitsOf(rest.first(4)) < 0 || rest.at(4).unicode() != '_')
        return std::nullopt;
    const int year = digitsOf(rest.first(4));
    rest = rest.sliced(5);
    qsizetype digits = 0;
    while (digits < rest.size() && isDigit(rest.at(digits)))
        ++digits;
    View number = rest.first(digits);
    while (number.size() > 1 && number.front().unicode() == '0')
        number = number.sliced(1);
    if (digits == 0 || number.size() > numberDigits)
        return std::nullopt;
    const bool canonical = digits == rest.size() && digits == std::max<qsizetype>(6, number.size());
    return Claim<View>{id.first(firstSeparator), year, digitsOf(number), canonical};
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

DocumentRegister::~DocumentRegister()
{
    stopReadingIndexes();
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
    stopReadingIndexes();
    years_.clear();
    highest.clear();
    claims.clear();
    lastDates.clear();
    const QByteArrayView prefix = QByteArrayView(QFile::encodeName(RecordTypes::document + QLatin1Char('_')));
    const QByteArrayView suffix(".xml");
    int count = 0;
    Year* year = nullptr;
    int yearNumber = 0;
    listing.forEachName(RecordTypes::document, [&](QByteArrayView name) {
        ++count;
        const QByteArrayView id = name.sliced(prefix.size()).chopped(suffix.size());
        const std::optional<Claim<QLatin1StringView>> named = claimOf(QLatin1StringView(id));
        if (!named) {
            qWarning() << "Document file ignored, its name gives no number:" << QFile::decodeName(name.toByteArray());
            return;
        }
        const quint64 key = claimKey(named->sequence, named->year, named->number);
        claim(key);
        // the names come mostly a year after another: the year looked up last is likely the one
        if (!year || yearNumber != named->year) {
            year = &years_[named->year];
            yearNumber = named->year;
        }
        if (named->canonical)
            year->listed.push_back(key);
        else
            year->listedByOtherName.append({key, QFile::decodeName(id.toByteArray())});
    });
    qDebug() << "documents listed:" << count;
    readIndexesInBackground();
}

quint64 DocumentRegister::claimKey(QAnyStringView sequence, int year, int number) const
{
    qsizetype index = 0;
    while (index < sequenceNames.size() && !QAnyStringView::equal(sequenceNames.at(index), sequence))
        ++index;
    if (index == sequenceNames.size())
        sequenceNames.append(sequence.toString());
    return (quint64(index) << 48) | (quint64(quint16(year)) << 32) | quint32(number);
}

void DocumentRegister::claim(quint64 key)
{
    const quint64 wholeYear = key & ~quint64(0xffffffff);
    int& top = highest[wholeYear];
    top = std::max(top, int(quint32(key)));
    ++claims[key];
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
    const quint64 key = claimKey(sequence, year, document.number);
    claim(key);
    QDate& lastOfSequence = lastDates[claimKey(sequence, year, 0)];
    lastOfSequence = std::max(lastOfSequence, document.date);
    Year& documents = summarised(year);
    Listed issued;
    issued.entry.id = id;
    issued.entry.sequence = sequenceNames.at(qsizetype(key >> 48));
    issued.entry.year = year;
    issued.entry.number = document.number;
    summarise(document, &issued.entry);
    issued.foldedName = SearchText::fold(issued.entry.customerName);
    // kept in its place among the others, newest first, rather than sorting the year again
    const auto place = std::lower_bound(documents.documents.begin(), documents.documents.end(), issued,
                                        [](const Listed& a, const Listed& b) { return newestFirst(a.entry, b.entry); });
    documents.documents.insert(place, std::move(issued));
    Q_EMIT documentIssued(id);
    if (!durable)
        return refuse(IssueResult::NotWritten,
                      QStringLiteral("Documento scritto, ma il disco non ha confermato la scrittura: "
                                     "controllare il disco prima di continuare."));
    return IssueResult::Issued;
}

QString DocumentRegister::indexPath(int year)
{
    RegisterRecord index(RecordTypes::documentIndex, QString::number(year));
    return Serializable::fileNameOf(&index);
}

QHash<QString, DocumentRegister::Listed> DocumentRegister::readIndex(const QString& path)
{
    QHash<QString, Listed> documents;
    RegisterRecord index(RecordTypes::documentIndex, QString());
    if (!QFile::exists(path) || Serializable::unserialize(&index, path, RecordTypes::documentIndex) != 0)
        return documents;
    documents.reserve(index.fields()->size());
    for (auto it = index.fields()->cbegin(); it != index.fields()->cend(); ++it) {
        Listed listed;
        if (readIndexLine(it.value(), &listed.entry, &listed.foldedName)) {
            listed.entry.id = it.key();
            documents.insert(it.key(), std::move(listed));
        }
    }
    return documents;
}

void DocumentRegister::readIndexesInBackground()
{
    QList<std::pair<int, QString>> toRead;
    for (const int year : years())
        toRead.append({year, indexPath(year)});
    if (toRead.isEmpty())
        return;
    for (const auto& each : std::as_const(toRead))
        indexedYears.append(each.first);
    // newest year first: it is the one the DOCUMENTI tab shows first
    indexes = QtConcurrent::run([toRead](QPromise<IndexedYear>& promise) {
        for (const auto& [year, path] : toRead) {
            if (promise.isCanceled())
                return;
            promise.addResult(IndexedYear{year, readIndex(path)});
        }
    });
}

void DocumentRegister::stopReadingIndexes()
{
    indexes.cancel();
    indexes.waitForFinished();
    indexes = {};
    indexedYears.clear();
}

QHash<QString, DocumentRegister::Listed> DocumentRegister::indexOf(int year) const
{
    // a year being read in the background is waited for rather than read twice at once
    const qsizetype reading = indexedYears.indexOf(year);
    if (reading >= 0)
        return indexes.resultAt(int(reading)).documents;
    return readIndex(indexPath(year));
}

DocumentRegister::Year& DocumentRegister::summarised(int year) const
{
    Year& documents = years_[year];
    if (!documents.summarised) {
        const QHash<QString, Listed> indexed = indexOf(year);
        std::sort(documents.listed.begin(), documents.listed.end());
        std::vector<bool> found(documents.listed.size());
        bool changed = false;
        documents.documents.reserve(qsizetype(documents.listed.size()) + documents.listedByOtherName.size());
        for (auto it = indexed.cbegin(); it != indexed.cend(); ++it) {
            const std::optional<Claim<QStringView>> named = claimOf(QStringView(it.key()));
            if (!named) {
                changed = true;
                continue;
            }
            const quint64 key = claimKey(named->sequence, named->year, named->number);
            bool listed = false;
            if (named->canonical) {
                const auto at = std::lower_bound(documents.listed.cbegin(), documents.listed.cend(), key);
                const auto index = at - documents.listed.cbegin();
                listed = at != documents.listed.cend() && *at == key && !found[index];
                if (listed)
                    found[index] = true;
            } else {
                const auto other = std::find_if(documents.listedByOtherName.begin(), documents.listedByOtherName.end(),
                                                [&it](const auto& byName) { return byName.second == it.key(); });
                listed = other != documents.listedByOtherName.end();
                if (listed)
                    documents.listedByOtherName.erase(other);
            }
            // an entry of a file gone since is dropped from the index
            changed = changed || !listed;
            if (listed) {
                Listed& entry = documents.documents.emplaceBack(it.value());
                entry.entry.sequence = sequenceNames.at(qsizetype(key >> 48));
                entry.entry.year = year;
                entry.entry.number = named->number;
            }
        }
        // the documents the index does not know are read from their files
        QList<std::pair<quint64, QString>> unindexed = std::move(documents.listedByOtherName);
        for (size_t i = 0; i < documents.listed.size(); ++i) {
            const quint64 key = documents.listed[i];
            if (!found[i])
                unindexed.append({key, recordIdOf(sequenceNames.at(qsizetype(key >> 48)), year, int(quint32(key)))});
        }
        for (const auto& [key, id] : std::as_const(unindexed)) {
            Listed listed;
            Entry& entry = listed.entry;
            entry.id = id;
            entry.sequence = sequenceNames.at(qsizetype(key >> 48));
            entry.year = year;
            entry.number = int(quint32(key));
            if (const std::optional<InvoiceData> document = readDocument(RecordTypes::document, id)) {
                summarise(*document, &entry);
                listed.foldedName = SearchText::fold(entry.customerName);
                changed = true;
            } else {
                // its number stays taken, and the file is kept as it is
                qWarning() << "Document file cannot be read, listed as damaged:" << documentPath(id);
                entry.readable = false;
            }
            documents.documents.append(std::move(listed));
        }
        documents.listed = {};
        documents.listedByOtherName = {};
        for (Listed& listed : documents.documents) {
            Entry& entry = listed.entry;
            const quint64 key = claimKey(entry.sequence, year, entry.number);
            entry.duplicate = claims.value(key) > 1;
            if (entry.duplicate)
                qWarning() << "Document number claimed by more than one file:" << documentPath(entry.id);
            if (entry.readable) {
                QDate& last = lastDates[key & ~quint64(0xffffffff)];
                last = std::max(last, entry.date);
            }
        }
        if (changed)
            writeIndex(year, documents);
        documents.summarised = true;
        documents.sorted = false;
    }
    if (!documents.sorted) {
        std::sort(documents.documents.begin(), documents.documents.end(),
                  [](const Listed& a, const Listed& b) { return newestFirst(a.entry, b.entry); });
        documents.sorted = true;
    }
    return documents;
}

void DocumentRegister::writeIndex(int year, const Year& documents) const
{
    RegisterRecord index(RecordTypes::documentIndex, QString::number(year));
    for (const Listed& listed : documents.documents) {
        if (listed.entry.readable)
            index.fields()->insert(listed.entry.id, indexLine(listed.entry, listed.foldedName));
    }
    // only a copy of what the documents hold: if it cannot be written it is built again
    Serializable::serialize(&index);
}

QDate DocumentRegister::lastDate(const QString& sequence, int year) const
{
    if (!years_.contains(year))
        return QDate();
    summarised(year);
    return lastDates.value(claimKey(sequence, year, 0));
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
    if (!claimOf(QStringView(id)) || id.contains(QLatin1Char('/')))
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
