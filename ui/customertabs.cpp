// The customer search tab and the customer management tab.
#include "myclass.h"

#include "ui_datedialog.h"
#include "ui_editaziendadialog.h"
#include "ui_myclass.h"
#include "ui_trasportodialog.h"

#include "companykeys.h"
#include "customercode.h"
#include "customersearchmodel.h"
#include "modelfacade.h"
#include "questions.h"

#include <QStringListModel>

namespace {

using Form = Ui::Quillbook;

// The customer form, one row per field: key, editor, caption.
struct CustomerField
{
    const QString& key;
    QLineEdit* Form::*editor;
    QLabel* Form::*caption;
};

const CustomerField customerFields[] = {
    {RAGIONE_S, &Form::RS_CustomerLineEdit, &Form::RS_CustomerLabel},
    {ADDRESS, &Form::address_CustomerLineEdit, &Form::address_CustomerLabel},
    {PIVA, &Form::Iva_CustomerLineEdit, &Form::PIVA_CustomerLabel},
    {FISCAL_CODE, &Form::CF_CustomerLineEdit, &Form::CF_CustomerLabel},
    {CAP, &Form::Cap_CustomerLineEdit, &Form::cap_CustomerLabel},
    {LOCALITY, &Form::Loc_CustomerLineEdit, &Form::loc_CustomerLabel},
    {CITY, &Form::PR_CustomerLineEdit, &Form::pr_CustomerLabel},
    {NAZIONE, &Form::nazione_Customer, &Form::pr_CustomerLabel_2},
    {TELEPHONE, &Form::telephone_CustomerLineEdit, &Form::telephone_CustomerLabel},
    {FAX, &Form::fax_CustomerLineEdit, &Form::fax_CustomerLabel},
    {MOBILE_PHONE, &Form::mobileNumber_CustomerLineEdit, &Form::mobileN_CustomerLabel},
    {EMAIL, &Form::email_CustomerLineEdit, &Form::email_CustomerLabel},
    {WEBSITE, &Form::webSite_CustomerLineEdit, &Form::webSite_CustomerLabel},
    {NR_IMPRESE, &Form::regImpreseLineEdit, &Form::NumeroRegImpreseLabel},
    {ABI, &Form::ABI_Field, &Form::ABI_Label},
    {CAB, &Form::CAB_Field, &Form::CAB_Label},
    {IBAN, &Form::IBAN_Field, &Form::IBAN_Label},
    {FILIALE, &Form::FILIALE_Field, &Form::FILIALE_Label},
    {VIA2, &Form::via2_CustomerLineEdit, &Form::via2_CustomerLabel},
    {CAP2, &Form::Cap2_CustomerLineEdit, &Form::cap_CustomerLabel_2},
    {LOC2, &Form::Loc2_CustomerLineEdit, &Form::loc_CustomerLabel_2},
    {CITY2, &Form::PR2_CustomerLineEdit, &Form::city2CustomerLabel},
    {NAZIONE2, &Form::nazione2_Customer, &Form::nazione2Label},
    {CODICE_DESTINATARIO, &Form::codiceDestinatario_CustomerLineEdit, &Form::codiceDestinatario_CustomerLabel},
    {PEC, &Form::pec_CustomerLineEdit, &Form::pec_CustomerLabel},
    {NOME, &Form::nome_CustomerLineEdit, &Form::nome_CustomerLabel},
    {COGNOME, &Form::cognome_CustomerLineEdit, &Form::cognome_CustomerLabel},
};

// A refused value empties these editors; the others show the model's value again anyway.
const QStringList keysEmptiedWhenRefused = {RAGIONE_S, PIVA, ADDRESS, FISCAL_CODE, CAP, LOCALITY, CITY, TELEPHONE, FAX,
                                            MOBILE_PHONE, EMAIL, WEBSITE, CODICE_DESTINATARIO, PEC};

// Captions whose red mark a cleared form takes away.
const QStringList keysOfMarkedCaptions = {RAGIONE_S, PIVA, ADDRESS, FISCAL_CODE, CAP, LOCALITY, CITY, TELEPHONE, FAX,
                                          MOBILE_PHONE, EMAIL, WEBSITE, NOTE, CODICE_DESTINATARIO, PEC};

const QString refusedStyle = QStringLiteral("color:rgb(255, 0, 0);");
const QString acceptedStyle = QStringLiteral("color:rgb(2,2,2);");
const QString clearedStyle = QStringLiteral("color: rgb(2, 2, 2);");

// Shows the note stored in the model.
void showNote(QTextEdit* note, const QString& stored)
{
    const QString shown = note->toPlainText();
    if (shown == stored)
        return; // the user's own typing, already stored as shown: the cursor stays where it is
    // the note's own edit goes to the model as the user types: not a second time from here
    const QSignalBlocker quiet(note);
    const int position = note->textCursor().position();
    note->setPlainText(stored);
    if (stored == shown.toUpper()) {
        // The model's upper-cased echo of what is being typed: the cursor goes after the
        // echo of what preceded it, which can be longer ("ß" becomes "SS").
        QTextCursor cursor = note->textCursor();
        cursor.setPosition(int(shown.left(position).toUpper().size()));
        note->setTextCursor(cursor);
    } else {
        note->moveCursor(QTextCursor::End);
    }
}

// The invoice's panel showed a modification live; after rolling it back it shows the
// customer as it is again (a roll-back itself announces nothing).
void showRestoredInvoiceCustomer(MyClass* window)
{
    ModelFacade* model = ModelFacade::instance();
    if (model->hasInvoiceCustomer())
        window->updateSelectedCustomer(model->invoiceCustomerFields());
}

// Codes in the order of their numbers: C100000 after C99999, not after C10000.
QStringList sortedCodes(const QStringList& codes)
{
    std::vector<std::pair<qint64, QString>> numbered;
    numbered.reserve(codes.size());
    for (const QString& code : codes)
        numbered.emplace_back(CustomerCode::number(code), code);
    std::sort(numbered.begin(), numbered.end());
    QStringList sorted;
    sorted.reserve(codes.size());
    for (auto& [number, code] : numbered)
        sorted.append(std::move(code));
    return sorted;
}

} // namespace

void MyClass::buildCustomerFormTables()
{
    for (const CustomerField& field : customerFields) {
        customerEditorOfKey.insert(field.key, (*form).*field.editor);
        customerCaptionOfKey.insert(field.key, (*form).*field.caption);
        if (keysEmptiedWhenRefused.contains(field.key))
            customerEditOfField.insert(field.key, (*form).*field.editor);
    }
    customerCaptionOfKey.insert(NOTE, form->note_CustomerLabel);
    customerRequiredOneOf = {{PIVA, form->PIVA_CustomerLabel}, {FISCAL_CODE, form->CF_CustomerLabel}};
    showPersonaFisica(false); // a new customer is a company until said otherwise
}

void MyClass::connectCustomerTabs()
{
    for (const CustomerField& field : customerFields)
        connect((*form).*field.editor, &QLineEdit::editingFinished, this, [this, &key = field.key] { sendCustomerEditor(key); });
    connect(form->personaFisica_CustomerCheck, &QCheckBox::toggled, this, &MyClass::setPersonaFisica);
    connect(form->note_CustomerTextField, &QTextEdit::textChanged, this, &MyClass::setCustomerNote);
    connect(form->customerSearch, &QPushButton::clicked, this, &MyClass::searchCustomer);
    connect(form->keywordsLineEdit, &QLineEdit::returnPressed, this, &MyClass::searchCustomer);
    connect(form->customerSearchTable, &QTableView::clicked, this, &MyClass::handleRowSelectionOnSearchCustTable);
    connect(form->loadSearchCustomerButton, &QPushButton::clicked, this, &MyClass::loadSearchedCustomer);
    connect(form->editSearchCustomerButton, &QPushButton::clicked, this, &MyClass::handleCustomerModification);
    connect(form->addCustomerButton, &QPushButton::clicked, this, &MyClass::addCustomer);
    connect(form->abortCustomerEdit, &QPushButton::clicked, this, &MyClass::abortCustomerEditing);
    connect(form->okEditCustomer, &QPushButton::clicked, this, &MyClass::handleConfirmEditCustomer);
    connect(form->abortEditCustomer, &QPushButton::clicked, this, &MyClass::handleAbortEditCustomer);
}

// ---- Search tab

void MyClass::setupCustomerSearchColumns()
{
    QTableView* table = form->customerSearchTable;
    table->setModel(searchResults);
    // a click selects the whole row: the row is the customer
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setHighlightSections(false); // bold titles would not fit their columns
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < searchResults->columnCount(); ++column)
        table->setColumnWidth(column, CustomerSearchModel::columnWidth(column));
}

void MyClass::searchCustomer()
{
    form->loadSearchOkLabel->hide();
    deactivateCustomerEditing();
    searchResults->setResults(ModelFacade::instance()->search(form->keywordsLineEdit->text()));
}

void MyClass::handleRowSelectionOnSearchCustTable(const QModelIndex& index)
{
    form->customerSearchTable->selectRow(index.row());
}

void MyClass::loadSearchedCustomer()
{
    const QModelIndexList rows = form->customerSearchTable->selectionModel()->selectedRows();
    const auto first = std::min_element(rows.cbegin(), rows.cend(),
                                        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    loadCustomer(first != rows.cend() ? searchResults->codeOfRow(first->row()) : QString(), false);
}

void MyClass::loadCustomer(const QString& code, bool quiet)
{
    form->loadSearchOkLabel->hide();
    // Asked even without a code: the invoice then has no customer, as the cleared panel shows,
    // rather than keep printing the one loaded before.
    const bool loaded = ModelFacade::instance()->selectInvoiceCustomer(code) && !code.isEmpty();
    const auto showCode = [this](const QString& shown) {
        const QSignalBlocker quietCombo(form->customerCodeCombo);
        const int index = form->customerCodeCombo->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
        form->customerCodeCombo->setCurrentIndex(std::max(0, index));
    };
    if (loaded) {
        form->loadSearchOkLabel->show();
        if (!quiet) {
            form->loadSearchOkLabel->setStyleSheet(QStringLiteral("color: rgb(74, 159, 73);"));
            form->loadSearchOkLabel->setText(QStringLiteral("caricato l'elemento [") + code + QLatin1Char(']'));
            showCode(code);
        }
        activateCustomerEditing();
        setPaymentWidgetsEnabled(true);
        return;
    }
    deactivateCustomerEditing();
    form->loadSearchOkLabel->show();
    if (!quiet) {
        form->loadSearchOkLabel->setStyleSheet(QStringLiteral("color: rgb(240, 2, 2);"));
        form->loadSearchOkLabel->setText(QStringLiteral("seleziona prima la riga da caricare.. "));
        showCode(code);
    }
    QMap<QString, QString> none;
    updateSelectedCustomer(&none);
}

void MyClass::handleCustomerModification()
{
    if (Questions::confirm(this, QStringLiteral("Attenzione: i dati nella tab \"Gestione Cliente\" saranno sovrascritti "),
                           QStringLiteral("Vuoi continuare con l'operazione di modifica ?"))) {
        ModelFacade* model = ModelFacade::instance();
        if (model->hasInvoiceCustomer()) {
            abortCustomerEditing();
            model->editInvoiceCustomer();
            showAddGroup(true);
            form->mainTab->setCurrentIndex(2);
        } else {
            Questions::notify(this, QMessageBox::Critical,
                              QStringLiteral("Errore interno. non e' stato possibile recuperare il cliente selezionato"));
        }
    } else {
        showAddGroup(false);
    }
    deactivateCustomerEditing();
}

void MyClass::activateCustomerEditing()
{
    form->editSearchCustomerButton->setEnabled(true);
}

void MyClass::deactivateCustomerEditing()
{
    form->editSearchCustomerButton->setEnabled(false);
}

// ---- Management tab

void MyClass::showAddGroup(bool editing)
{
    form->addGroupCustomer->setVisible(!editing);
    form->modifcaGroupCustomer->setVisible(editing);
}

void MyClass::handleConfirmEditCustomer()
{
    if (!ModelFacade::instance()->confirmCustomerEdit()) {
        warnRequiredFields();
        return;
    }
    clearCustomerForm();
    deactivateCustomerEditing();
    showAddGroup(false);
}

void MyClass::handleAbortEditCustomer()
{
    clearCustomerForm();
    deactivateCustomerEditing();
    ModelFacade::instance()->abortCustomerEdit();
    showAddGroup(false);
    showRestoredInvoiceCustomer(this);
}

void MyClass::abortCustomerEditing()
{
    const bool modifying = !form->modifcaGroupCustomer->isHidden();
    ModelFacade::instance()->abortCustomerEditing(); // a customer being modified is restored
    clearCustomerForm();
    if (modifying) {
        // the modification is over: the form goes back to adding
        showAddGroup(false);
        showRestoredInvoiceCustomer(this);
    }
}

void MyClass::addCustomer()
{
    setCustomerFieldFromEdit(NOTE, form->note_CustomerTextField->toPlainText(), form->note_CustomerLabel);
    bool added = false;
    const QString code = ModelFacade::instance()->addCustomer(&added);
    if (added) {
        form->customerCodeCombo->addItem(code);
        clearCustomerForm();
        // ready for the next customer, whose code comes with its first field
        form->customerCodeLineEdit->clear();
        form->RS_CustomerLineEdit->setFocus();
        // a failed write has said so already, in the status bar too
        if (!ModelFacade::instance()->hasUnsavedRecords())
            statusBar()->showMessage(QStringLiteral("Cliente %1 aggiunto").arg(code));
    } else {
        warnRequiredFields();
    }
}

void MyClass::warnRequiredFields()
{
    Questions::notify(this, QMessageBox::Warning,
                      QStringLiteral("Controlla che i campi richiesti (*) (1) siano stati inseriti correttamente"));
}

void MyClass::sendCustomerEditor(const QString& key)
{
    setCustomerFieldFromEdit(key, customerEditorOfKey.value(key)->text(), customerCaptionOfKey.value(key));
}

void MyClass::setCustomerFieldFromEdit(const QString& key, const QString& value, QLabel* label)
{
    ModelFacade* model = ModelFacade::instance();
    const bool accepted = model->setCustomerField(key, value) == 0;
    if (!accepted && !model->hasChoiceValue(key)) {
        label->setStyleSheet(refusedStyle);
        if (QLineEdit* editor = customerEditOfField.value(key))
            editor->clear();
        return;
    }
    label->setStyleSheet(acceptedStyle);
    for (const QString& alternative : model->getChoiceFields(key)) {
        if (QLabel* caption = customerRequiredOneOf.value(alternative))
            caption->setStyleSheet(acceptedStyle);
    }
}

void MyClass::setPersonaFisica(bool person)
{
    ModelFacade::instance()->setCustomerField(PERSONA_FISICA, person ? QStringLiteral("1") : QString());
    showPersonaFisica(person);
}

// A person is named by first and last name; a company by its RAGIONE SOCIALE alone. The
// names typed stay stored when the box is unchecked: checking it again brings them back.
void MyClass::showPersonaFisica(bool person)
{
    {
        const QSignalBlocker quiet(form->personaFisica_CustomerCheck);
        form->personaFisica_CustomerCheck->setChecked(person);
    }
    for (const QString& key : {NOME, COGNOME}) {
        customerEditorOfKey.value(key)->setEnabled(person);
        customerCaptionOfKey.value(key)->setEnabled(person);
    }
}

void MyClass::setCustomerNote()
{
    ModelFacade::instance()->setCustomerField(NOTE, form->note_CustomerTextField->toPlainText());
}

void MyClass::updateCustomerField()
{
    const QMap<QString, QString>* fields = ModelFacade::instance()->currentCustomerFields();
    if (!fields)
        return;
    for (auto it = customerEditorOfKey.cbegin(); it != customerEditorOfKey.cend(); ++it)
        it.value()->setText(fields->value(it.key()));
    showNote(form->note_CustomerTextField, fields->value(NOTE));
    showPersonaFisica(!fields->value(PERSONA_FISICA).isEmpty());
    form->customerCodeLineEdit->setText(fields->value(CODE));
}

void MyClass::clearCustomerForm()
{
    for (QLineEdit* editor : std::as_const(customerEditorOfKey))
        editor->clear();
    {
        const QSignalBlocker quiet(form->note_CustomerTextField);
        form->note_CustomerTextField->clear();
    }
    showPersonaFisica(false);
    for (const QString& key : keysOfMarkedCaptions)
        customerCaptionOfKey.value(key)->setStyleSheet(clearedStyle);
    form->customerCodeLineEdit->setStyleSheet(QStringLiteral("color: rgb(2, 2, 2);background-color: rgb(255, 255, 255);"));
}

void MyClass::fillCustomerCodeCombo()
{
    QComboBox* combo = form->customerCodeCombo;
    const QSignalBlocker quiet(combo);
    combo->setEditable(true);
    // one list for the model rather than an item object per code
    auto* codes = qobject_cast<QStringListModel*>(combo->model());
    if (!codes) {
        codes = new QStringListModel(combo);
        combo->setModel(codes);
    }
    codes->setStringList(QStringList{QStringLiteral(" ")} + sortedCodes(ModelFacade::instance()->getCustomerCodes()));
    combo->setCurrentIndex(0);
}
