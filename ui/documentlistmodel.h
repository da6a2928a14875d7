#pragma once

#include "documentregister.h"

#include <QAbstractTableModel>
#include <QList>

// The register's lines shown by DOCUMENTI: number, date, type, customer, total. A new year
// or search replaces all rows in one reset. A document whose file cannot be read, or whose
// number another file claims too, is shown in red with the reason in its tool tip.
class DocumentListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(QList<DocumentRegister::Entry> found);
    // Null when the row is out of range.
    const DocumentRegister::Entry* entryOfRow(int row) const;
    static int columnWidth(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<DocumentRegister::Entry> entries;
};
