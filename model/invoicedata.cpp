#include "invoicedata.h"

#include "companykeys.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The keys of the record; the format version goes up when a key changes meaning.
namespace Key {
const QString version = QStringLiteral("VERSION");
const QString docType = QStringLiteral("DOC_TYPE");
const QString number = QStringLiteral("NUMBER");
const QString date = QStringLiteral("DATE");
const QString note = QStringLiteral("NOTE");
const QString linkedNumber = QStringLiteral("LINKED_NUMBER");
const QString linkedDate = QStringLiteral("LINKED_DATE");
const QString iva = QStringLiteral("IVA");
const QString payment = QStringLiteral("PAYMENT");
const QString rows = QStringLiteral("ROWS");
const QString scadenze = QStringLiteral("SCADENZE");
const QString natura = QStringLiteral("NATURA");
const QString riferimentoNormativo = QStringLiteral("RIFERIMENTO_NORMATIVO");
const QString modalitaPagamento = QStringLiteral("MODALITA_PAGAMENTO");
} // namespace Key

const QString formatVersion = QStringLiteral("1");
const QString customerPrefix = QStringLiteral("CUSTOMER.");
const QString companyPrefix = QStringLiteral("COMPANY.");
const QString transportPrefix = QStringLiteral("TRANSPORT.");
const QString paymentPrefix = QStringLiteral("PAYMENT.");
const QString rowPrefix = QStringLiteral("R");
const QString scadenzaPrefix = QStringLiteral("SCADENZA");
const QString scadenzaDate = QStringLiteral("DATE");
const QString scadenzaNote = QStringLiteral("NOTE");
const QString scadenzaAmount = QStringLiteral("AMOUNT");
const QString dateFormat = QStringLiteral("yyyy-MM-dd");

// More rows than any document has; a count beyond it is a damaged file, not a document.
constexpr int maxListSize = 100000;

// The amounts of a document, as a table of key and member: written and read alike.
struct AmountKey
{
    const char* key;
    double InvoiceData::*member;
};

constexpr AmountKey amountKeys[] = {
    {"SCONTO_F", &InvoiceData::scontoF},
    {"IMPORTO_SCONTO", &InvoiceData::importoSconto},
    {"TRASPORTO", &InvoiceData::trasporto},
    {"VARIE", &InvoiceData::varie},
    {"IMBALLO", &InvoiceData::imballo},
    {"SPESE_BANCARIE", &InvoiceData::speseBancarie},
    {"COLLI", &InvoiceData::colli},
    {"PESO_COLLI", &InvoiceData::pesoColli},
    {"NETTO_TOTALE_COLLI", &InvoiceData::nettoTotaleColli},
    {"LORDO_COLLI", &InvoiceData::lordoColli},
    {"TOTALE_MERCI", &InvoiceData::totaleMerci},
    {"TOTALE_IMPONIBILE", &InvoiceData::totalImp},
    {"TOTALE_IVA", &InvoiceData::totaleIva},
    {"TOTALE", &InvoiceData::totale},
    {"BOLLO", &InvoiceData::bollo},
};

// The shortest text that reads back as the same double: a total stored is the total printed.
QString amountText(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString indexText(qsizetype index)
{
    return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(dateFormat) : QString();
}

void putMap(InvoiceData::FieldMap* fields, const QString& prefix, const InvoiceData::FieldMap& map)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        fields->insert(prefix + it.key(), it.value());
}

// Reads the record's values, remembering the first that does not read.
class FieldReader
{
public:
    explicit FieldReader(const InvoiceData::FieldMap& fields) : fields(fields) {}

    QString problem() const { return firstProblem; }

    QString text(const QString& key, bool required = false)
    {
        const auto it = fields.constFind(key);
        if (it == fields.cend()) {
            if (required)
                refuse(QStringLiteral("manca il campo %1").arg(key));
            return QString();
        }
        return it.value();
    }

    std::optional<qint64> integer(const QString& key, bool required = false)
    {
        const QString value = text(key, required);
        if (value.isEmpty() && !required)
            return 0;
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        if (!ok) {
            refuse(QStringLiteral("il campo %1 non è un numero intero: %2").arg(key, value));
            return std::nullopt;
        }
        return number;
    }

    double amount(const QString& key)
    {
        const QString value = text(key);
        if (value.isEmpty())
            return 0;
        bool ok = false;
        const double number = QLocale::c().toDouble(value, &ok);
        if (!ok || !std::isfinite(number)) {
            refuse(QStringLiteral("il campo %1 non è un importo: %2").arg(key, value));
            return 0;
        }
        return number;
    }

    QDate date(const QString& key, bool required = false)
    {
        const QString value = text(key, required);
        if (value.isEmpty())
            return QDate();
        const QDate date = QDate::fromString(value, dateFormat);
        if (!date.isValid())
            refuse(QStringLiteral("il campo %1 non è una data: %2").arg(key, value));
        return date;
    }

    int count(const QString& key)
    {
        const std::optional<qint64> value = integer(key);
        if (value && (*value < 0 || *value > maxListSize)) {
            refuse(QStringLiteral("il campo %1 non è un numero di righe: %2").arg(key).arg(*value));
            return 0;
        }
        return int(value.value_or(0));
    }

    void refuse(const QString& reason)
    {
        if (firstProblem.isEmpty())
            firstProblem = reason;
    }

private:
    const InvoiceData::FieldMap& fields;
    QString firstProblem;
};

// "R012.description" -> 12 and "description"; nothing for a key of another kind.
std::optional<std::pair<int, QString>> indexedKey(const QString& key, const QString& prefix)
{
    if (!key.startsWith(prefix))
        return std::nullopt;
    const qsizetype dot = key.indexOf(QLatin1Char('.'), prefix.size());
    if (dot < 0)
        return std::nullopt;
    const QStringView digits = QStringView(key).mid(prefix.size(), dot - prefix.size());
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int index = digits.toInt(&ok);
    if (!ok)
        return std::pair(-1, QString());
    return std::pair(index, key.mid(dot + 1));
}

} // namespace

InvoiceData::FieldMap InvoiceData::toFields() const
{
    FieldMap fields;
    fields.insert(Key::version, formatVersion);
    fields.insert(Key::docType, docType);
    fields.insert(Key::number, QString::number(number));
    fields.insert(Key::date, dateText(date));
    fields.insert(Key::note, note);
    if (linkedNumber != 0 || linkedDate.isValid()) {
        fields.insert(Key::linkedNumber, QString::number(linkedNumber));
        fields.insert(Key::linkedDate, dateText(linkedDate));
    }
    putMap(&fields, customerPrefix, customer);
    putMap(&fields, companyPrefix, company);
    putMap(&fields, transportPrefix, transport);
    fields.insert(Key::rows, QString::number(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i)
        putMap(&fields, rowPrefix + indexText(i + 1) + QLatin1Char('.'), rows.at(i));
    fields.insert(Key::iva, QString::number(ivaPercent));
    for (const AmountKey& amount : amountKeys)
        fields.insert(QLatin1String(amount.key), amountText(this->*amount.member));
    fields.insert(Key::natura, natura);
    fields.insert(Key::riferimentoNormativo, riferimentoNormativo);
    fields.insert(Key::payment, payment);
    fields.insert(Key::modalitaPagamento, modalitaPagamento);
    putMap(&fields, paymentPrefix, paymentInfo);
    fields.insert(Key::scadenze, QString::number(scadenze.size()));
    for (qsizetype i = 0; i < scadenze.size(); ++i) {
        const QString prefix = scadenzaPrefix + indexText(i + 1) + QLatin1Char('.');
        fields.insert(prefix + scadenzaDate, dateText(scadenze.at(i).first));
        fields.insert(prefix + scadenzaNote, scadenze.at(i).second);
        if (importiScadenze.size() == scadenze.size())
            fields.insert(prefix + scadenzaAmount, amountText(importiScadenze.at(i)));
    }
    return fields;
}

std::optional<InvoiceData> InvoiceData::fromFields(const FieldMap& fields, QString* error)
{
    FieldReader reader(fields);
    InvoiceData data;
    const QString version = reader.text(Key::version, true);
    if (!version.isEmpty() && version != formatVersion)
        reader.refuse(QStringLiteral("versione del documento sconosciuta: %1").arg(version));
    data.docType = reader.text(Key::docType, true);
    const std::optional<qint64> number = reader.integer(Key::number, true);
    if (number && (*number < 0 || *number > std::numeric_limits<int>::max()))
        reader.refuse(QStringLiteral("numero del documento fuori misura: %1").arg(*number));
    data.number = int(number.value_or(0));
    data.date = reader.date(Key::date, true);
    data.note = reader.text(Key::note);
    const std::optional<qint64> linked = reader.integer(Key::linkedNumber);
    if (linked && (*linked < 0 || *linked > std::numeric_limits<int>::max()))
        reader.refuse(QStringLiteral("numero collegato fuori misura: %1").arg(*linked));
    data.linkedNumber = int(linked.value_or(0));
    data.linkedDate = reader.date(Key::linkedDate);
    const std::optional<qint64> iva = reader.integer(Key::iva);
    if (iva && (*iva < 0 || *iva > 100))
        reader.refuse(QStringLiteral("aliquota IVA fuori misura: %1").arg(*iva));
    data.ivaPercent = int(iva.value_or(0));
    for (const AmountKey& amount : amountKeys)
        data.*amount.member = reader.amount(QLatin1String(amount.key));
    data.payment = reader.text(Key::payment);
    // documents stored before these keys existed read them empty
    data.natura = reader.text(Key::natura);
    data.riferimentoNormativo = reader.text(Key::riferimentoNormativo);
    data.modalitaPagamento = reader.text(Key::modalitaPagamento);

    const int rowCount = reader.count(Key::rows);
    const int scadenzaCount = reader.count(Key::scadenze);
    data.rows.resize(rowCount);
    data.scadenze.resize(scadenzaCount);
    QList<int> scadenzaParts(scadenzaCount, 0);
    QList<std::optional<double>> importi(scadenzaCount);
    for (auto it = fields.cbegin(); it != fields.cend() && reader.problem().isEmpty(); ++it) {
        const QString& key = it.key();
        if (key.startsWith(customerPrefix)) {
            data.customer.insert(key.mid(customerPrefix.size()), it.value());
        } else if (key.startsWith(companyPrefix)) {
            data.company.insert(key.mid(companyPrefix.size()), it.value());
        } else if (key.startsWith(transportPrefix)) {
            data.transport.insert(key.mid(transportPrefix.size()), it.value());
        } else if (key.startsWith(paymentPrefix)) {
            data.paymentInfo.insert(key.mid(paymentPrefix.size()), it.value());
        } else if (const auto row = indexedKey(key, rowPrefix)) {
            if (row->first < 1 || row->first > rowCount)
                reader.refuse(QStringLiteral("riga %1 oltre le %2 del documento").arg(key).arg(rowCount));
            else
                data.rows[row->first - 1].insert(row->second, it.value());
        } else if (const auto scadenza = indexedKey(key, scadenzaPrefix)) {
            const QString& part = scadenza->second;
            const bool isDate = part == scadenzaDate;
            const bool isAmount = part == scadenzaAmount;
            if (scadenza->first < 1 || scadenza->first > scadenzaCount || (!isDate && !isAmount && part != scadenzaNote)) {
                reader.refuse(QStringLiteral("scadenza %1 non prevista").arg(key));
                continue;
            }
            auto& entry = data.scadenze[scadenza->first - 1];
            if (isAmount) {
                importi[scadenza->first - 1] = reader.amount(key);
                continue;
            }
            if (isDate)
                entry.first = reader.date(key, true);
            else
                entry.second = it.value();
            ++scadenzaParts[scadenza->first - 1];
        }
        // other keys belong to later versions of the format and are left alone
    }
    if (reader.problem().isEmpty() && scadenzaParts.contains(0))
        reader.refuse(QStringLiteral("manca una scadenza"));
    // the amounts of the due dates come all together, or not at all (an older document)
    const qsizetype amountsRead =
        std::count_if(importi.cbegin(), importi.cend(), [](const auto& amount) { return amount.has_value(); });
    if (amountsRead == scadenzaCount) {
        for (const std::optional<double>& amount : std::as_const(importi))
            data.importiScadenze.append(*amount);
    } else if (amountsRead > 0) {
        reader.refuse(QStringLiteral("manca l'importo di una scadenza"));
    }

    if (!reader.problem().isEmpty()) {
        if (error)
            *error = reader.problem();
        return std::nullopt;
    }
    return data;
}

double InvoiceData::merciNette() const
{
    return std::max(0.0, totaleMerci - importoSconto);
}

bool InvoiceData::speseImponibili() const
{
    return company.value(IVA_SPESE) == QLatin1String("1");
}

InvoiceData InvoiceData::withCurrentFiscalData(const FieldMap& ownCompany, const FieldMap& registeredCustomer) const
{
    static const QStringList companyKeys = {REGIME_FISCALE, REA_UFFICIO,  REA_NUMERO,
                                            MODALITA_RIMESSA, NATURA_SPESE, RIFERIMENTO_SPESE};
    static const QStringList customerKeys = {CODICE_DESTINATARIO, PEC, PERSONA_FISICA, NOME, COGNOME};
    const auto complete = [](FieldMap& stored, const FieldMap& today, const QStringList& keys) {
        for (const QString& key : keys)
            if (stored.value(key).isEmpty() && !today.value(key).isEmpty())
                stored.insert(key, today.value(key));
    };
    InvoiceData completed = *this;
    complete(completed.company, ownCompany, companyKeys);
    complete(completed.customer, registeredCustomer, customerKeys);
    return completed;
}

bool InvoiceData::operator==(const InvoiceData& other) const
{
    return toFields() == other.toFields();
}
