#include "company.h"

#include "companykeys.h"
#include "fiscalcodes.h"
#include "paymentmodes.h"
#include "searchtext.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// A required field counts as filled from two characters; typed bank data from three.
constexpr int minRequiredLength = 2;
constexpr int minBankInfoLength = 3;

const QStringList bankKeys = {ABI, CAB, IBAN, FILIALE};

// The rules are the same for every record; one copy serves them all.
// A key whose requirement one of the listed keys can meet in its place.
const QMap<QString, QStringList>& choiceFields()
{
    static const QMap<QString, QStringList> choices = {{PIVA, {FISCAL_CODE}}, {FISCAL_CODE, {PIVA}}};
    return choices;
}

const QStringList& requiredFields()
{
    static const QStringList required = {CODE, RAGIONE_S, ADDRESS, LOCALITY, CITY, PIVA, FISCAL_CODE, NAZIONE};
    return required;
}

// A person is named by first and last name besides the name printed.
const QStringList& personFields()
{
    static const QStringList required = {NOME, COGNOME};
    return required;
}

const QString flagOn = QStringLiteral("1");

bool matches(const char* pattern, const QString& value)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QLatin1String(pattern))).match(value).hasMatch();
}

bool isListed(const QList<FiscalCodes::Code>& codes, const QString& value)
{
    return std::any_of(codes.cbegin(), codes.cend(), [&value](const FiscalCodes::Code& c) { return c.code == value; });
}

// The values the electronic invoice takes only in its own form; empty is always allowed,
// since a record written before these keys existed lacks them.
bool isWellFormed(const QString& key, const QString& value)
{
    if (value.isEmpty())
        return true;
    if (key == CODICE_DESTINATARIO)
        return matches("[A-Z0-9]{7}", value);
    if (key == PEC)
        return matches("[^@\\s]+@[^@\\s]+\\.[^@\\s]+", value);
    if (key == REGIME_FISCALE)
        return isListed(FiscalCodes::regimiFiscali(), value);
    if (key == REA_UFFICIO)
        return matches("[A-Z]{2}", value);
    if (key == PERSONA_FISICA || key == IVA_SPESE || key == BOLLO_A_CARICO)
        return value == flagOn;
    if (key == NATURA_SPESE)
        return FiscalCodes::isNatura(value);
    if (key == MODALITA_RIMESSA)
        return isListed(FiscalCodes::modalitaPagamento(), value);
    return true;
}

// Codes are kept in capitals, however they were typed.
bool isCode(const QString& key)
{
    return key == CODICE_DESTINATARIO || key == REGIME_FISCALE || key == REA_UFFICIO || key == NATURA_SPESE
        || key == MODALITA_RIMESSA;
}

// The one text of each known key.
const QString& sharedKey(const QString& key)
{
    static const QSet<QString> keys = {
        CODE,       RAGIONE_S,    PIVA,      ADDRESS,     FISCAL_CODE,         CAP,         CITY,
        LOCALITY,   TELEPHONE,    FAX,       MOBILE_PHONE, EMAIL,              WEBSITE,     NOTE,
        ABI,        CAB,          IBAN,      FILIALE,     NR_IMPRESE,          NAZIONE,     CAP2,
        CITY2,      VIA2,         LOC2,      NAZIONE2,    CODICE_DESTINATARIO, PEC,         PERSONA_FISICA,
        NOME,       COGNOME,      REGIME_FISCALE, REA_UFFICIO, REA_NUMERO,     IVA_SPESE,   NATURA_SPESE,
        RIFERIMENTO_SPESE, BOLLO_A_CARICO, MODALITA_RIMESSA};
    const auto found = keys.constFind(key);
    return found != keys.cend() ? *found : key;
}

} // namespace

Company::Company(QObject* parent, const QString& type) : Serializable(parent, type)
{
}

Company::~Company() = default;

QString Company::recordType() const
{
    return typeName;
}

QString Company::recordId() const
{
    return getField(CODE);
}

QString Company::getField(const QString& key) const
{
    return fields()->value(key);
}

bool Company::isFilled(const QString& key) const
{
    return getField(key).size() >= minRequiredLength;
}

bool Company::isPerson() const
{
    return getField(PERSONA_FISICA) == flagOn;
}

int Company::checkField(const QString& key, const QString& value) const
{
    const QString given = isCode(key) ? value.toUpper() : value;
    if (!isWellFormed(key, given))
        return Refused;
    if (hasChoiceValue(key))
        return Accepted;
    const bool required = requiredFields().contains(key) || (isPerson() && personFields().contains(key));
    if (required && value.size() < minRequiredLength)
        return Refused;
    return Accepted;
}

int Company::setField(const QString& key, const QString& value, bool* changed)
{
    const int result = checkField(key, value);
    // A refused value is not kept: the field reads empty until a valid one comes.
    const QString stored = result == Accepted ? (isCode(key) ? value.toUpper() : value) : QString();
    if (result != Accepted || getField(key) != stored) {
        fields()->insert(key, stored);
        if (changed)
            *changed = true;
    }
    return result;
}

bool Company::checkRequiredFields() const
{
    for (const QString& key : requiredFields()) {
        if (isFilled(key))
            continue;
        if (!hasChoiceValue(key))
            return false;
    }
    if (isPerson())
        return std::all_of(personFields().cbegin(), personFields().cend(),
                           [this](const QString& key) { return isFilled(key); });
    return true;
}

QStringList Company::getChoiceFields(const QString& key) const
{
    return choiceFields().value(key);
}

bool Company::hasChoiceValue(const QString& key) const
{
    const QStringList alternatives = choiceFields().value(key);
    return std::any_of(alternatives.cbegin(), alternatives.cend(),
                       [this](const QString& alternative) { return isFilled(alternative); });
}

void Company::copyFieldsFrom(const Company* other)
{
    if (!other)
        return;
    for (auto it = other->fields()->cbegin(); it != other->fields()->cend(); ++it)
        fields()->insert(it.key(), it.value());
}

CustomerSummary Company::summary() const
{
    return {getField(CODE),      getField(RAGIONE_S), getField(MOBILE_PHONE),
            getField(TELEPHONE), getField(ADDRESS),    getField(EMAIL)};
}

const QString& Company::folded(const QString& key, Folded& cache) const
{
    const QString value = getField(key);
    // a replaced value is new text; an unchanged one still shares the cached source's
    if (value.constData() != cache.source.constData() || value.size() != cache.source.size()) {
        cache.folded = SearchText::fold(value);
        cache.source = value;
    }
    return cache.folded;
}

const QString& Company::searchName() const
{
    return folded(RAGIONE_S, foldedName);
}

const QString& Company::searchCode() const
{
    return folded(CODE, foldedCode);
}

void Company::shareTexts()
{
    // Places repeat across a registry (a few towns, one country): one text serves them all.
    static const QSet<QString> placeKeys = {CAP, LOCALITY, CITY, NAZIONE, CAP2, LOC2, CITY2, NAZIONE2};
    static QSet<QString> places;
    FieldMap shared;
    for (auto it = fields()->cbegin(); it != fields()->cend(); ++it) {
        const QString& key = sharedKey(it.key());
        if (placeKeys.contains(key))
            shared.insert(key, *places.insert(it.value()));
        else
            shared.insert(key, it.value());
    }
    *fields() = std::move(shared); // the same map: holders of its address keep it
}

void Company::startEditing()
{
    if (savedFields)
        return;
    // From here the record works on a copy; holders of the old map must take it again.
    savedFields = exchangeFields(std::make_unique<FieldMap>(*fields()));
}

void Company::confirmEditing()
{
    savedFields.reset();
}

void Company::abortEditing()
{
    if (savedFields)
        exchangeFields(std::move(savedFields));
}

Serializable::FieldMap Company::getBankInfo() const
{
    FieldMap bankInfo;
    for (const QString& key : bankKeys)
        bankInfo.insert(key, getField(key));
    return bankInfo;
}

void Company::setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale)
{
    tmpBankInfo = {{ABI, abi}, {CAB, cab}, {IBAN, iban}, {FILIALE, filiale}};
}

bool Company::hasTmpBankInfo() const
{
    return std::any_of(tmpBankInfo.cbegin(), tmpBankInfo.cend(),
                       [](const QString& value) { return value.size() >= minBankInfoLength; });
}

Serializable::FieldMap Company::getInfoForPayment(const QString& paymentMode) const
{
    if (paymentMode == RIBA_PAYMENT_MODE && !hasTmpBankInfo())
        return getBankInfo();
    return tmpBankInfo;
}
