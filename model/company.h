#pragma once

#include "serializable.h"

// The columns of one search result. The texts share the record's data: a list of
// thousands of results costs one allocation, not one map per customer.
struct CustomerSummary
{
    QString code;
    QString name;
    QString mobilePhone;
    QString telephone;
    QString address;
    QString email;
};

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
    CustomerSummary summary() const;
    // The name and the code as the search compares them: upper case, accents folded.
    // Folded once per value, not at every search.
    const QString& searchName() const;
    const QString& searchCode() const;
    // A loaded record brings its own copy of every key text and of every town and country;
    // a registered customer shares one copy of each with the others instead.
    void shareTexts();

    void startEditing();
    void confirmEditing();
    void abortEditing();

    FieldMap getBankInfo() const;
    void setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale);
    bool hasTmpBankInfo() const;
    FieldMap getInfoForPayment(const QString& paymentMode) const;

private:
    // A value and its folded form, folded again only when the value is replaced.
    struct Folded
    {
        QString source;
        QString folded;
    };

    bool isFilled(const QString& key) const;
    // PERSONA_FISICA: a person, who needs NOME and COGNOME.
    bool isPerson() const;
    const QString& folded(const QString& key, Folded& cache) const;

    std::unique_ptr<FieldMap> savedFields;
    mutable Folded foldedName;
    mutable Folded foldedCode;
    FieldMap tmpBankInfo;
};
