#include "documentlistmodel.h"

#include "amounttext.h"

#include <QBrush>
#include <QColor>

namespace {

using Entry = DocumentRegister::Entry;

struct DocumentColumn
{
    const char* header;
    int width;
    QString (*text)(const Entry&);
};

const DocumentColumn documentColumns[] = {
    {"NUMERO", 80, [](const Entry& e) { return formatCount(e.number); }},
    {"DATA", 90, [](const Entry& e) { return e.date.toString(QStringLiteral("dd/MM/yyyy")); }},
    {"TIPO", 210, [](const Entry& e) { return e.docType; }},
    {"CLIENTE", 300, [](const Entry& e) {
         if (!e.readable)
             return QStringLiteral("FILE ILLEGGIBILE");
         return e.customerCode.isEmpty() ? e.customerName : e.customerName + QStringLiteral(" (") + e.customerCode + ')';
     }},
    {"TOTALE", 130, [](const Entry& e) { return e.readable ? formatAmountGrouped(e.totale) : QString(); }},
};

constexpr int columns = int(std::size(documentColumns));
constexpr int totalColumn = columns - 1;

QString problemOf(const Entry& entry)
{
    QStringList problems;
    if (!entry.readable)
        problems << QStringLiteral("Il file del documento non si può leggere: il numero resta occupato.");
    if (entry.duplicate)
        problems << QStringLiteral("Un altro file riporta lo stesso numero nello stesso anno.");
    return problems.join('\n');
}

} // namespace

void DocumentListModel::setEntries(QList<DocumentRegister::Entry> found)
{
    beginResetModel();
    entries = std::move(found);
    endResetModel();
}

const DocumentRegister::Entry* DocumentListModel::entryOfRow(int row) const
{
    return row >= 0 && row < entries.size() ? &entries.at(row) : nullptr;
}

int DocumentListModel::columnWidth(int column)
{
    return documentColumns[column].width;
}

int DocumentListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries.size());
}

int DocumentListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant DocumentListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Entry& entry = entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return documentColumns[index.column()].text(entry);
    case Qt::TextAlignmentRole:
        return index.column() == totalColumn || index.column() == 0 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                     : QVariant();
    case Qt::ForegroundRole:
        return entry.readable && !entry.duplicate ? QVariant() : QVariant(QBrush(QColor(255, 0, 0)));
    case Qt::ToolTipRole: {
        const QString problem = problemOf(entry);
        return problem.isEmpty() ? QVariant() : QVariant(problem);
    }
    default:
        return {};
    }
}

QVariant DocumentListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columns)
        return {};
    return QString::fromLatin1(documentColumns[section].header);
}

Qt::ItemFlags DocumentListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
