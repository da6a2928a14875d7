#pragma once

#include "company.h"

#include <QAbstractTableModel>
#include <QList>

// The results of SELEZIONA CLIENTE: one customer per row, five columns, the customer's
// code as the row's header. A new search replaces all rows in one reset, so a hundred
// thousand results cost one list, not an item per cell.
class CustomerSearchModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResults(QList<CustomerSummary> found);
    QString codeOfRow(int row) const;
    static int columnWidth(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<CustomerSummary> results;
};
