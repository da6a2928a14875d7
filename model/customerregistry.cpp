// The customer operations of ModelFacade: codes, the customer being created or edited,
// registering, choosing the invoice's customer, and the keyword search.
#include "modelfacade.h"

#include "company.h"
#include "companykeys.h"
#include "customercode.h"

#include <QDebug>

namespace {

const QString customerType = QStringLiteral("customer");

// A word matches a value that equals it, contains it or is contained in it.
bool wordMatches(const QString& word, const QString& name, const QString& code)
{
    return name.contains(word) || word.contains(name) || code.contains(word) || word.contains(code);
}

bool anyWordMatches(const QStringList& words, const QString& name, const QString& code)
{
    return std::any_of(words.cbegin(), words.cend(),
                       [&](const QString& word) { return wordMatches(word, name, code); });
}

} // namespace

QString ModelFacade::getNewCustomerCode()
{
    qDebug() << "get new customer code.. ";
    const QString code = CustomerCode::next(nextCustomerCode);
    qDebug() << "new code: " << code;
    return code;
}

bool ModelFacade::isUnregistered(const Company* customer) const
{
    return customer && customer->recordId() == nextCustomerCode && !customers.contains(customer);
}

bool ModelFacade::newCustomer()
{
    currentCustomer = new Company(this, customerType);
    setCustomerField(CODE, nextCustomerCode);
    Q_EMIT currentCustomerChanged();
    return true;
}

int ModelFacade::setCustomerField(const QString& key, const QString& value)
{
    const QString upper = value.toUpper();
    qDebug() << "called filter String " << value << upper;
    if (!currentCustomer)
        newCustomer();
    bool changed = false;
    const int result = currentCustomer->setField(key, upper, &changed);
    if (changed) {
        Q_EMIT currentCustomerChanged();
        if (invoice && invoice->getCustomer() == currentCustomer)
            Q_EMIT selectedCustomerChanged(currentCustomer->fields());
    }
    return result;
}

QStringList ModelFacade::getChoiceFields(const QString& key) const
{
    return currentCustomer ? currentCustomer->getChoiceFields(key) : QStringList();
}

bool ModelFacade::hasChoiceValue(const QString& key) const
{
    return currentCustomer && currentCustomer->hasChoiceValue(key);
}

QString ModelFacade::addCustomer(bool* added)
{
    if (!currentCustomer || !currentCustomer->checkRequiredFields())
        return QString();
    const QString code = currentCustomer->recordId();
    if (added)
        *added = true;
    Company* registered = currentCustomer;
    customers.append(registered);
    qDebug() << "add customer " << customers.size();
    currentCustomer = nullptr;
    Q_EMIT currentCustomerChanged();
    nextCustomerCode = getNewCustomerCode();
    persist(registered, QStringLiteral("Cliente %1 non salvato").arg(code));
    return code;
}

bool ModelFacade::abortCustomerEditing()
{
    qDebug() << "abort current customer editing";
    if (isUnregistered(currentCustomer))
        delete currentCustomer;
    else if (currentCustomer)
        currentCustomer->abortEditing(); // a registered customer keeps the data it had before the edit
    currentCustomer = nullptr;
    return newCustomer();
}

bool ModelFacade::editInvoiceCustomer()
{
    if (isUnregistered(currentCustomer)) {
        delete currentCustomer;
        currentCustomer = nullptr;
    }
    currentCustomer = ensureInvoice()->getCustomer();
    if (currentCustomer)
        currentCustomer->startEditing();
    Q_EMIT currentCustomerChanged();
    return currentCustomer != nullptr;
}

bool ModelFacade::confirmCustomerEdit()
{
    // A registered customer stays whole: an edit that empties a required field is not
    // confirmed, and the customer keeps the values it was registered with.
    if (currentCustomer && !currentCustomer->checkRequiredFields())
        return false;
    Company* confirmed = currentCustomer;
    if (confirmed)
        confirmed->confirmEditing();
    currentCustomer = nullptr;
    newCustomer();
    if (confirmed && customers.contains(confirmed))
        persist(confirmed, QStringLiteral("Cliente %1 non salvato").arg(confirmed->recordId()));
    return true;
}

void ModelFacade::abortCustomerEdit()
{
    if (currentCustomer)
        currentCustomer->abortEditing();
    currentCustomer = nullptr;
}

bool ModelFacade::hasInvoiceCustomer() const
{
    return invoice && invoice->getCustomer();
}

ModelFacade::FieldMap* ModelFacade::currentCustomerFields() const
{
    return currentCustomer ? currentCustomer->fields() : nullptr;
}

ModelFacade::FieldMap* ModelFacade::invoiceCustomerFields()
{
    if (!invoice)
        qDebug() << "nessuna invoice ";
    return ensureInvoice()->getCustomerFields();
}

bool ModelFacade::selectInvoiceCustomer(const QString& code)
{
    const auto found = std::find_if(customers.cbegin(), customers.cend(),
                                    [&code](const Company* customer) { return customer->getField(CODE) == code; });
    Company* customer = found != customers.cend() ? *found : nullptr;
    ensureInvoice()->setCustomer(customer);
    return customer != nullptr;
}

QStringList ModelFacade::getCustomerCodes() const
{
    qDebug() << "get Customer codes " << customers.size();
    QStringList codes;
    codes.reserve(customers.size());
    for (const Company* customer : customers)
        codes << customer->recordId();
    return codes;
}

QList<ModelFacade::FieldMap*> ModelFacade::search(const QString& keywords) const
{
    const QString upper = keywords.toUpper();
    if (upper.isEmpty())
        return {};
    const QString trimmed = upper.trimmed();
    const QStringList byComma = trimmed.split(QLatin1Char(','));
    const QStringList byBlank = trimmed.split(QLatin1Char(' '));
    const bool matchAll = upper == QLatin1String("*");

    QList<FieldMap*> hits;
    for (const Company* customer : customers) {
        // only the name and the code take part in matching
        const QString name = customer->getField(RAGIONE_S);
        const QString code = customer->getField(CODE);
        if (matchAll || anyWordMatches(byBlank, name, code) || anyWordMatches(byComma, name, code))
            hits.append(customer->summaryFields());
    }
    qDebug() << "tornati n " << hits.size() << " dalla search";
    return hits;
}
