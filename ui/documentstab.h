#pragma once

#include "documentregister.h"
#include "invoicedata.h"

#include <QWidget>

class DocumentListModel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// DOCUMENTI: the issued documents of a year, newest first, or those that match a search,
// with the buttons that act on the selected one. It reads the register and the chosen
// document's file; what is done with the document is the window's.
class DocumentsTab final : public QWidget
{
    Q_OBJECT

public:
    enum class Action { Open, Reprint, ExportPdf, ExportEInvoice, Duplicate, CreditNote };
    Q_ENUM(Action)

    DocumentsTab(DocumentRegister& documents, QWidget* parent = nullptr);

    // Lists the register's years again (newest first, this year always there, all years
    // last) and shows the chosen year's documents.
    void refresh();
    // Shows the documents of `year` (0: every year) that match the search text.
    void showYear(int year);

Q_SIGNALS:
    void documentChosen(DocumentsTab::Action action, const InvoiceData& document);
    // The electronic invoices of the year shown, for the accountant.
    void yearExportRequested(int year);

private:
    void showDocuments();
    void updateButtons();
    void act(Action action);
    const DocumentRegister::Entry* selectedEntry() const;

    DocumentRegister& documents;
    QComboBox* const yearCombo;
    QPushButton* const yearExportButton;
    QLineEdit* const searchEdit;
    QTableView* const table;
    DocumentListModel* const rows;
    QList<QPair<Action, QPushButton*>> buttons;

    Q_DISABLE_COPY_MOVE(DocumentsTab)
};
