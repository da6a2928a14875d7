#include "customersearchmodel.h"

namespace {

struct SearchColumn
{
    QString CustomerSummary::*value;
    const char* header;
    int width;
};

const SearchColumn searchColumns[] = {
    {&CustomerSummary::name, "RAGIONE SOCIALE", 180},   {&CustomerSummary::mobilePhone, "NUMERO CELLULARE", 130},
    {&CustomerSummary::telephone, "NUMERO TELEFONO", 130}, {&CustomerSummary::address, "INDIRIZZO", 220},
    {&CustomerSummary::email, "E-MAIL", 220},
};

constexpr int columns = int(std::size(searchColumns));

} // namespace

void CustomerSearchModel::setResults(QList<CustomerSummary> found)
{
    beginResetModel();
    results = std::move(found);
    endResetModel();
}

QString CustomerSearchModel::codeOfRow(int row) const
{
    return row >= 0 && row < results.size() ? results.at(row).code : QString();
}

int CustomerSearchModel::columnWidth(int column)
{
    return searchColumns[column].width;
}

int CustomerSearchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(results.size());
}

int CustomerSearchModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant CustomerSearchModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return results.at(index.row()).*searchColumns[index.column()].value;
}

QVariant CustomerSearchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columns ? QString::fromLatin1(searchColumns[section].header) : QVariant();
    return codeOfRow(section);
}

Qt::ItemFlags CustomerSearchModel::flags(const QModelIndex& index) const
{
    // read-only, but enabled: the view neither selects nor reports a disabled cell as
    // selected, and "CARICA" finds the customer by the selected row
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
