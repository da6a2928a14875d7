// The customer operations of ModelFacade: codes, the customer being created or edited,
// registering, choosing the invoice's customer, and the keyword search.
#include "modelfacade.h"

#include "company.h"
#include "companykeys.h"
#include "customercode.h"
#include "searchtext.h"

#include <QDebug>

namespace {

const QString customerType = QStringLiteral("customer");

// A word matches a value that equals it, contains it or is contained in it. An empty value
// matches nothing: it is "contained" in every word, and a customer without a name would
// otherwise turn up in every search.
bool valueMatches(const QString& word, const QString& value)
{
    return !value.isEmpty() && (value.contains(word) || word.contains(value));
}

bool wordMatches(const QString& word, const QString& name, const QString& code)
{
    return valueMatches(word, name) || valueMatches(word, code);
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
    const bool recoding = key == CODE && customers.contains(currentCustomer);
    const int result = currentCustomer->setField(key, upper, &changed);
    if (changed && recoding)
        customers.reindex();
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
    Company* customer = customers.byCode(code);
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

QList<CustomerSummary> ModelFacade::search(const QString& keywords) const
{
    const QString upper = keywords.toUpper();
    if (upper.isEmpty())
        return {};
    // accents folded on both sides: "citta" finds "CITTÀ" and "CITTA'"
    const QString trimmed = SearchText::fold(upper.trimmed());
    const QStringList byComma = trimmed.split(QLatin1Char(','));
    const QStringList byBlank = trimmed.split(QLatin1Char(' '));
    const bool matchAll = upper == QLatin1String("*");

    QList<CustomerSummary> hits;
    if (matchAll)
        hits.reserve(customers.size());
    for (const Company* customer : customers) {
        if (matchAll) {
            hits.append(customer->summary());
            continue;
        }
        // only the name and the code take part in matching
        const QString& name = customer->searchName();
        const QString& code = customer->searchCode();
        if (anyWordMatches(byBlank, name, code) || anyWordMatches(byComma, name, code))
            hits.append(customer->summary());
    }
    qDebug() << "tornati n " << hits.size() << " dalla search";
    return hits;
}
