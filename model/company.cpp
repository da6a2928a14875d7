#include "company.h"

#include "companykeys.h"
#include "paymentmodes.h"

#include <algorithm>

namespace {

// A required field counts as filled from two characters; typed bank data from three.
constexpr int minRequiredLength = 2;
constexpr int minBankInfoLength = 3;

const QStringList bankKeys = {ABI, CAB, IBAN, FILIALE};

} // namespace

Company::Company(QObject* parent, const QString& type)
    : Serializable(parent, type),
      choiceFields({{PIVA, {FISCAL_CODE}}, {FISCAL_CODE, {PIVA}}}),
      requiredFields({CODE, RAGIONE_S, ADDRESS, LOCALITY, CITY, PIVA, FISCAL_CODE, NAZIONE})
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

int Company::checkField(const QString& key, const QString& value) const
{
    if (hasChoiceValue(key))
        return Accepted;
    if (requiredFields.contains(key) && value.size() < minRequiredLength)
        return Refused;
    return Accepted;
}

int Company::setField(const QString& key, const QString& value, bool* changed)
{
    const int result = checkField(key, value);
    // A refused value is not kept: the field reads empty until a valid one comes.
    const QString stored = result == Accepted ? value : QString();
    if (result != Accepted || getField(key) != stored) {
        fields()->insert(key, stored);
        if (changed)
            *changed = true;
    }
    return result;
}

bool Company::checkRequiredFields() const
{
    for (const QString& key : requiredFields) {
        if (isFilled(key))
            continue;
        if (!hasChoiceValue(key))
            return false;
    }
    return true;
}

QStringList Company::getChoiceFields(const QString& key) const
{
    return choiceFields.value(key);
}

bool Company::hasChoiceValue(const QString& key) const
{
    const QStringList alternatives = choiceFields.value(key);
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

Serializable::FieldMap* Company::summaryFields() const
{
    auto* summary = new FieldMap;
    for (const QString& key : {RAGIONE_S, CODE, MOBILE_PHONE, TELEPHONE, ADDRESS, EMAIL})
        summary->insert(key, getField(key));
    return summary;
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
