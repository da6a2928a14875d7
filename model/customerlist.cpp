#include "customerlist.h"

#include "company.h"

void CustomerList::append(Company* customer)
{
    customer->shareTexts();
    list.append(customer);
    index(customer);
}

Company* CustomerList::byCode(const QString& code) const
{
    return customerOfCode.value(code);
}

bool CustomerList::contains(const Company* customer) const
{
    return customer && byCode(customer->recordId()) == customer;
}

void CustomerList::reindex()
{
    customerOfCode.clear();
    for (Company* customer : std::as_const(list))
        index(customer);
}

void CustomerList::index(Company* customer)
{
    const QString code = customer->recordId();
    if (!customerOfCode.contains(code))
        customerOfCode.insert(code, customer);
}
