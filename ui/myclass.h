#pragma once

#include "documentstab.h"
#include "invoicedata.h"

#include <QAbstractItemView>
#include <QDate>
#include <QMainWindow>
#include <QMap>

#include <memory>
#include <optional>

namespace Ui {
class Quillbook;
class EditAziendaDialog;
class TrasportoDialog;
class DateDialog;
} // namespace Ui

class CustomerSearchModel;
class DocumentRegister;
class QDialog;
class QLabel;
class QLineEdit;
class QPrinter;
class QModelIndex;
class QTimer;
class UmComboBox;

// The main window: the invoice tab, the customer search and customer management tabs,
// the tool bar and three dialogs. It holds no business data: every edit goes to the
// model facade as text, and every change the model announces is painted back.
class MyClass : public QMainWindow
{
    Q_OBJECT

public:
    explicit MyClass(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~MyClass() override;

    // Fills the widgets from the loaded model; called once after the records are loaded.
    void init();

    // Set by a successful restore of a backup: the program then starts again without saving.
    bool restartRequested = false;
    // Set when the window closed with its records saved, or the user chose to close without them.
    bool closingSettled = false;
    // Set when the program is asked to end (a signal): no restart, no question.
    bool terminationRequested = false;

    // Ends the event loop, and any modal dialog's, for an orderly close without questions.
    void requestTermination();

    // Saves what changed. When a record cannot be written and `askOnFailure`, asks whether to
    // retry, keep the window open or close all the same. True when the window may close.
    bool saveForClosing(bool askOnFailure);

public Q_SLOTS:
    // Tool bar
    void openPreview();
    void printPreview(QPrinter* printer);
    void openPrintDialog();
    void handleResetAction();
    void exportData();
    void importData();
    void handleRecordNotSaved(const QString& message);

    // Issued documents and the draft
    void exportPdf();
    void handleDocumentChosen(DocumentsTab::Action action, const InvoiceData& document);
    // The issued document shown, as an electronic invoice.
    void exportEInvoice();
    // The electronic invoices of a year's documents into one zip.
    void exportYearEInvoices(int year);

    // Invoice tab
    void setNumFattura();
    void setFDate();
    void updateDocType(const QString& docType);
    void setScontoF();
    void handleIvaChange();
    void setNatura();
    void setRiferimentoNormativo();
    void handleDeliveryCost();
    void setVarieTotal();
    void setImballoTotal();
    void setColli();
    void setPesoColli();
    void setNettoTotaleColli();
    void setLordoColli();
    void setSpeseBancarie();
    void setFNote();
    void setStampaVuota();
    void handlePaymentCombo(int index);
    void setTmpBankInfo();
    void handleInvoicePaymentChanged();
    void searchCustomer1();
    void changeTextSize(int index);
    void updateScadenze();
    void setLineItemField(int row, int column);
    void updateUmLineItems(UmComboBox* combo);
    void addLineItemRow();
    void deleteLineItems();
    void refreshLineItem(int id);
    void updateTotal();
    void handleInvoiceChanged();
    void updateSelectedCustomer(QMap<QString, QString>* fields);

    // Customer tabs
    void searchCustomer();
    void handleRowSelectionOnSearchCustTable(const QModelIndex& index);
    void loadSearchedCustomer();
    void handleCustomerModification();
    void handleConfirmEditCustomer();
    void handleAbortEditCustomer();
    void abortCustomerEditing();
    void addCustomer();
    void updateCustomerField();
    void activateCustomerEditing();
    void deactivateCustomerEditing();
    void setPersonaFisica(bool person);
    void setCustomerNote();

    // Dialogs
    void openEditAziendaDialog();
    void updateCompany(QMap<QString, QString>* fields);
    void setCompany();
    void abortCompany();
    void openTrasportoDialog();
    void openDateEditor();
    void addScadenzaDate();
    void removeScadenzaDate();
    void setImportoScadenza(int row, int column);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void abortInvoice();
    void connectInvoiceTab();
    void connectCustomerTabs();
    void connectDialogs();
    void connectModel();

    // Invoice tab
    void fillPaymentCombo();
    void setPaymentWidgetsEnabled(bool enabled);
    void setupLineItemColumns(double factor);
    void refreshRow(int row, int id);
    int rowOfLineItem(int id) const;
    void renumberRows();
    void clearEntryMarks();
    void sizeTotalFields();
    void showNatura();

    void appendLineItemRow(int id);
    void proposeNumber();
    // Shows the model's invoice after it was replaced whole: rows, type, customer, payment.
    void showLoadedInvoice(int ivaPercent);
    void setInvoiceReadOnly(bool readOnly);

    // Issued documents and the draft
    DocumentRegister& documents() const;
    // The live invoice as a document.
    InvoiceData liveDocument() const;
    // The document that STAMPA, ANTEPRIMA and ESPORTA PDF put on paper: the issued one
    // shown, or the live invoice.
    InvoiceData documentToPrint() const;
    // Puts `document` into the invoice tab, read-only when it is an issued one.
    void showDocument(const InvoiceData& document, bool issued);
    // True when the document being typed may be replaced: it is empty, or the user agrees.
    bool mayReplaceDraft();
    void restoreDraft();
    void scheduleDraftSave();
    bool saveDraft();
    // Asks whether to record a document about to be printed and records it on yes. False
    // when it must not be printed: refused, not written, or the user drew back.
    bool recordBeforePrinting(const InvoiceData& document);
    void printOnPrinter(const InvoiceData& document, bool issued);
    void exportDocumentPdf(const InvoiceData& document, bool issued);
    void exportDocumentEInvoice(const InvoiceData& document);

    // Customer tabs
    void setupCustomerSearchColumns();
    void buildCustomerFormTables();
    void loadCustomer(const QString& code, bool quiet);
    void sendCustomerEditor(const QString& key);
    void setCustomerFieldFromEdit(const QString& key, const QString& value, QLabel* label);
    void clearCustomerForm();
    void showAddGroup(bool editing);
    void warnRequiredFields();
    void showPersonaFisica(bool person);
    void fillCustomerCodeCombo();

    // Dialogs
    // The due-date list's columns are date, note and amount; only the amount is edited.
    static constexpr int scadenzaAmountColumn = 2;
    void storeTransportPreferences();
    void refreshTransportStart();
    void initTransportPreferences();

    const std::unique_ptr<Ui::Quillbook> form;
    const std::unique_ptr<QDialog> dlgAzienda;
    const std::unique_ptr<QDialog> dlgTrasporto;
    const std::unique_ptr<QDialog> dlgDate;
    const std::unique_ptr<Ui::EditAziendaDialog> aziendaForm;
    const std::unique_ptr<Ui::TrasportoDialog> trasportoForm;
    const std::unique_ptr<Ui::DateDialog> dateForm;

    QMap<QString, int> columnOfField;
    QMap<int, int> lineItemIdOfRow;
    QMap<QString, QLabel*> customerRequiredOneOf;
    QMap<QString, QLineEdit*> customerEditOfField;
    QMap<QString, QLineEdit*> customerEditorOfKey;   // all the form's line editors
    QMap<QString, QLabel*> customerCaptionOfKey;     // their captions, and the note's
    QMap<QString, QLineEdit*> companyEditorOfKey;
    CustomerSearchModel* const searchResults;
    int rowHeight = 20;
    QAbstractItemView::EditTriggers lineItemEditTriggers;

    DocumentsTab* const documentsTab;
    QLabel* const readOnlyBanner;
    QTimer* const draftTimer;
    // The issued document shown read-only in the invoice tab, if any.
    std::optional<InvoiceData> issuedShown;

};
