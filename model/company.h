#pragma once

#include "serializable.h"

// One business party: a customer of the registry ("customer") or the own company
// ("company"). Adds to the plain record the required-field rules, editing with roll-back
// and the choice of the bank data a document prints.
class Company final : public Serializable
{
    Q_OBJECT

public:
    // checkField / setField results
    static constexpr int Accepted = 0;
    static constexpr int Refused = 2;

    Company(QObject* parent, const QString& type);
    ~Company() override;

    QString recordType() const override;
    QString recordId() const override;

    QString getField(const QString& key) const;
    int checkField(const QString& key, const QString& value) const;
    int setField(const QString& key, const QString& value, bool* changed = nullptr);
    bool checkRequiredFields() const;
    QStringList getChoiceFields(const QString& key) const;
    bool hasChoiceValue(const QString& key) const;
    void copyFieldsFrom(const Company* other);
    // A new map with the columns of a search result; the caller owns it.
    FieldMap* summaryFields() const;

    void startEditing();
    void confirmEditing();
    void abortEditing();

    FieldMap getBankInfo() const;
    void setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale);
    bool hasTmpBankInfo() const;
    FieldMap getInfoForPayment(const QString& paymentMode) const;

private:
    bool isFilled(const QString& key) const;

    // A key whose requirement one of the listed keys can meet in its place.
    const QMap<QString, QStringList> choiceFields;
    const QStringList requiredFields;
    std::unique_ptr<FieldMap> savedFields;
    FieldMap tmpBankInfo;
};
