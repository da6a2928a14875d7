#pragma once

#include <QHash>
#include <QList>
#include <QString>

class Company;

// The registered customers in load order, then in order of registering, with an index
// from code to customer: choosing a customer by code does not scan the registry.
class CustomerList final
{
public:
    using const_iterator = QList<Company*>::const_iterator;

    // Takes a customer into the registry; the first one with a code is the one found by it.
    void append(Company* customer);
    qsizetype size() const { return list.size(); }
    const_iterator begin() const { return list.cbegin(); }
    const_iterator end() const { return list.cend(); }

    // The first registered customer whose code is `code`, or null.
    Company* byCode(const QString& code) const;
    // Codes are unique in the registry: loading keeps one customer per code.
    bool contains(const Company* customer) const;
    // A registered customer's code changed: the index follows.
    void reindex();

private:
    void index(Company* customer);

    QList<Company*> list;
    QHash<QString, Company*> customerOfCode;
};
