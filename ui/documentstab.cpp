#include "documentstab.h"

#include "amounttext.h"
#include "documentlistmodel.h"
#include "einvoiceexport.h"
#include "questions.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct ActionButton
{
    DocumentsTab::Action action;
    const char* objectName;
    const char* text;
    const char* toolTip;
};

const ActionButton actionButtons[] = {
    {DocumentsTab::Action::Open, "openDocumentButton", "APRI", "Mostra il documento nella scheda della fattura, in sola lettura"},
    {DocumentsTab::Action::Reprint, "reprintDocumentButton", "RISTAMPA", "Stampa di nuovo il documento, con lo stesso numero"},
    {DocumentsTab::Action::ExportPdf, "exportDocumentButton", "ESPORTA PDF", "Salva il documento in un file PDF"},
    {DocumentsTab::Action::ExportEInvoice, "eInvoiceDocumentButton", "ESPORTA FATTURA ELETTRONICA",
     "Scrive il file XML della fattura elettronica del documento"},
    {DocumentsTab::Action::Duplicate, "duplicateDocumentButton", "DUPLICA", "Un nuovo documento con gli stessi dati, da emettere"},
    {DocumentsTab::Action::CreditNote, "creditNoteButton", "NOTA DI CREDITO",
     "Una nota di credito con lo stesso cliente e le stesse righe della fattura"},
};

constexpr int allYears = 0;

} // namespace

DocumentsTab::DocumentsTab(DocumentRegister& documents, QWidget* parent)
    : QWidget(parent),
      documents(documents),
      yearCombo(new QComboBox(this)),
      yearExportButton(new QPushButton(QStringLiteral("Esporta fatture elettroniche dell'anno..."), this)),
      searchEdit(new QLineEdit(this)),
      table(new QTableView(this)),
      rows(new DocumentListModel(this))
{
    yearCombo->setObjectName(QStringLiteral("documentYearCombo"));
    searchEdit->setObjectName(QStringLiteral("documentSearchEdit"));
    searchEdit->setPlaceholderText(QStringLiteral("Cerca per cliente, codice, numero o importo"));
    searchEdit->setClearButtonEnabled(true);
    table->setObjectName(QStringLiteral("documentsTable"));
    table->setModel(rows);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < rows->columnCount(); ++column)
        table->setColumnWidth(column, DocumentListModel::columnWidth(column));

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("ANNO"), this));
    filters->addWidget(yearCombo);
    yearExportButton->setObjectName(QStringLiteral("yearEInvoicesButton"));
    yearExportButton->setToolTip(QStringLiteral("Le fatture elettroniche dei documenti dell'anno in un archivio zip, "
                                                "per il commercialista"));
    filters->addWidget(yearExportButton);
    filters->addSpacing(20);
    filters->addWidget(new QLabel(QStringLiteral("CERCA"), this));
    filters->addWidget(searchEdit, 1);

    auto* actions = new QHBoxLayout;
    for (const ActionButton& entry : actionButtons) {
        auto* button = new QPushButton(QString::fromUtf8(entry.text), this);
        button->setObjectName(QString::fromLatin1(entry.objectName));
        button->setToolTip(QString::fromUtf8(entry.toolTip));
        connect(button, &QPushButton::clicked, this, [this, action = entry.action] { act(action); });
        buttons.append({entry.action, button});
        actions->addWidget(button);
    }
    actions->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table, 1);
    layout->addLayout(actions);

    connect(yearCombo, &QComboBox::currentIndexChanged, this, &DocumentsTab::showDocuments);
    connect(yearExportButton, &QPushButton::clicked, this,
            [this] { Q_EMIT yearExportRequested(yearCombo->currentData().toInt()); });
    connect(searchEdit, &QLineEdit::textChanged, this, &DocumentsTab::showDocuments);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &DocumentsTab::updateButtons);
    connect(rows, &QAbstractItemModel::modelReset, this, &DocumentsTab::updateButtons);
    connect(table, &QTableView::doubleClicked, this, [this] { act(Action::Open); });
    connect(&documents, &DocumentRegister::documentIssued, this, &DocumentsTab::refresh);
    updateButtons();
}

void DocumentsTab::refresh()
{
    const int shown = yearCombo->count() ? yearCombo->currentData().toInt() : QDate::currentDate().year();
    QList<int> years = documents.years();
    if (!years.contains(QDate::currentDate().year()))
        years.append(QDate::currentDate().year());
    std::sort(years.begin(), years.end(), std::greater<int>());
    {
        const QSignalBlocker quiet(yearCombo);
        yearCombo->clear();
        for (const int year : std::as_const(years))
            yearCombo->addItem(QString::number(year), year);
        yearCombo->addItem(QStringLiteral("TUTTI"), allYears);
        yearCombo->setCurrentIndex(std::max(0, yearCombo->findData(shown)));
    }
    showDocuments();
}

void DocumentsTab::showYear(int year)
{
    const int index = yearCombo->findData(year);
    if (index >= 0)
        yearCombo->setCurrentIndex(index);
}

void DocumentsTab::showDocuments()
{
    const int year = yearCombo->currentData().toInt();
    const QString text = searchEdit->text().trimmed();
    QList<DocumentRegister::Entry> found;
    if (!text.isEmpty()) {
        found = documents.search(text, year);
    } else if (year != allYears) {
        found = documents.entries(year);
    } else {
        QList<int> years = documents.years();
        std::sort(years.begin(), years.end(), std::greater<int>());
        for (const int each : std::as_const(years))
            found += documents.entries(each);
    }
    rows->setEntries(std::move(found));
}

const DocumentRegister::Entry* DocumentsTab::selectedEntry() const
{
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    return selected.isEmpty() ? nullptr : rows->entryOfRow(selected.first().row());
}

void DocumentsTab::updateButtons()
{
    const DocumentRegister::Entry* entry = selectedEntry();
    const bool readable = entry && entry->readable;
    const QString invoices = DocumentRegister::sequenceOf(QStringLiteral("FATTURA"));
    for (const auto& [action, button] : std::as_const(buttons))
        button->setEnabled(readable && (action != Action::CreditNote || entry->sequence == invoices)
                           && (action != Action::ExportEInvoice || EInvoiceExport::exportable(entry->docType)));
    yearExportButton->setEnabled(yearCombo->currentData().toInt() != allYears);
}

void DocumentsTab::act(Action action)
{
    const DocumentRegister::Entry* entry = selectedEntry();
    if (!entry || !entry->readable)
        return;
    const std::optional<InvoiceData> document = documents.open(entry->id);
    if (!document) {
        Questions::notify(this, QMessageBox::Warning,
                          QStringLiteral("Il documento %1 N. %2 non si può leggere: il suo file è danneggiato.")
                              .arg(entry->docType, formatCount(entry->number)));
        return;
    }
    Q_EMIT documentChosen(action, *document);
}
