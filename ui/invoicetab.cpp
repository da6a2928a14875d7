// The invoice tab: document header, customer panel, payment, line items, costs, totals.
#include "myclass.h"

#include "ui_datedialog.h"
#include "ui_editaziendadialog.h"
#include "ui_myclass.h"
#include "ui_trasportodialog.h"

#include "amounttext.h"
#include "codecombo.h"
#include "companykeys.h"
#include "documentregister.h"
#include "einvoiceexport.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "numbertext.h"
#include "questions.h"
#include "stampavuota.h"
#include "umcombobox.h"

#include <QSet>
#include <QStatusBar>
#include <QStyle>

namespace {

const QStringList documentTypes = {QStringLiteral("FATTURA ACCOMPAGNATORIA"), QStringLiteral("FATTURA"),
                                   QStringLiteral("NOTA DI CREDITO"), QStringLiteral("NOTA DI DEBITO"),
                                   QStringLiteral("DOCUMENTO DI TRASPORTO")};

struct LineItemColumn
{
    const char* header;
    int width;
};

// In the order of the model's line-item keys: code, description, um, amount, prize,
// sconto, total_amount, c.iva.
const LineItemColumn lineItemColumns[] = {
    {"CODICE ARTICOLO", 130}, {"DESCRIZIONE ARTICOLO", 250}, {"U.M", 80}, {"QUANTITA'", 100},
    {"PREZZO UN.", 100},      {" % SC.", 80},                 {"IMPORTO", 100}, {"C.IVA", 50},
};

constexpr int unitColumn = 2;
constexpr int smallestTextSize = 10;

bool isComputedColumn(int column)
{
    return column == 6 || column == 7;
}

// ---- Typed numbers the model cannot take as typed
//
// The model reads what it can (a text that is no number keeps a cost or zeroes a row
// field, a negative number counts as 0) and says nothing. The field keeps what was typed,
// red, with the reason in its tool tip, until a good value replaces it; refreshes from the
// model leave a marked field alone.

const QString notAnAmount =
    QStringLiteral("Valore non valido: inserire un numero da 0 a 1.000.000.000.000, ad esempio 12,50");
const QString notAWholeNumber = QStringLiteral("Valore non valido: inserire un numero intero non negativo, ad esempio 22");
const QColor wrongColour(255, 0, 0); // the colour of a refused customer field

// Empty when the model takes the text as typed. A blank field is no amount: 0.
QString amountProblem(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QString();
    const std::optional<double> value = parseAmount(text);
    return value && *value >= 0 ? QString() : notAnAmount;
}

QString wholeNumberProblem(const QString& text)
{
    const std::optional<int> value = parseCount(text.trimmed());
    return value && *value >= 0 ? QString() : notAWholeNumber;
}

bool isMarked(const QLineEdit* edit)
{
    return !edit->toolTip().isEmpty();
}

// An empty problem takes the mark away.
void mark(QLineEdit* edit, const QString& problem)
{
    if (edit->toolTip() == problem)
        return;
    edit->setToolTip(problem);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text,
                     problem.isEmpty() ? edit->parentWidget()->palette().color(QPalette::Text) : wrongColour);
    edit->setPalette(palette);
}

void mark(QTableWidgetItem* cell, const QString& problem)
{
    // the mark is no edit of the cell's text
    const QSignalBlocker quiet(cell->tableWidget());
    cell->setToolTip(problem);
    cell->setData(Qt::ForegroundRole, problem.isEmpty() ? QVariant() : QVariant(QBrush(wrongColour)));
}

// Shows the model's value unless the field holds a typed value still to be corrected.
void showUnlessMarked(QLineEdit* edit, const QString& text)
{
    if (!isMarked(edit))
        edit->setText(text);
}

template <typename Result>
void sendAmount(QLineEdit* edit, Result (ModelFacade::*set)(const QString&))
{
    const QString text = edit->text();
    mark(edit, amountProblem(text)); // before the model's refresh comes back
    // a field emptied by the user clears the amount rather than keeping the old one
    (ModelFacade::instance()->*set)(text.trimmed().isEmpty() ? QStringLiteral("0") : text);
}

// The panel shows nothing rather than a lone separator.
QString panelText(const QString& text)
{
    const QString simplified = text.simplified();
    return simplified.size() <= 2 ? QString() : simplified;
}

} // namespace

void MyClass::connectInvoiceTab()
{
    form->docTypeSelection->addItems(documentTypes);
    sizeTotalFields();
    for (int size = smallestTextSize; size <= 16; ++size)
        form->textItemsCombo->addItem(QString::number(size));

    connect(form->radioStampaVuota, &QRadioButton::clicked, this, &MyClass::setStampaVuota);
    connect(form->FDate_LineEdit, &QDateEdit::editingFinished, this, &MyClass::setFDate);
    connect(form->numFLineEdit, &QLineEdit::editingFinished, this, &MyClass::setNumFattura);
    connect(form->scontoClienteLineEdit, &QLineEdit::editingFinished, this, &MyClass::setScontoF);
    connect(form->ivaEdit, &QLineEdit::editingFinished, this, &MyClass::handleIvaChange);
    CodeCombo::fill(form->naturaCombo, FiscalCodes::nature());
    form->naturaCombo->setMinimumContentsLength(5);
    connect(form->naturaCombo, &QComboBox::currentIndexChanged, this, &MyClass::setNatura);
    connect(form->riferimentoEdit, &QLineEdit::editingFinished, this, &MyClass::setRiferimentoNormativo);
    connect(form->deliveryTotal_LineEdit, &QLineEdit::editingFinished, this, &MyClass::handleDeliveryCost);
    connect(form->varieTotal_LineEdit, &QLineEdit::editingFinished, this, &MyClass::setVarieTotal);
    connect(form->ImballoTotal_LineEdit, &QLineEdit::editingFinished, this, &MyClass::setImballoTotal);
    connect(form->nColli_LineEdit, &QLineEdit::editingFinished, this, &MyClass::setColli);
    connect(form->PesoColliLineEdit, &QLineEdit::editingFinished, this, &MyClass::setPesoColli);
    connect(form->nettoTotaleLineEdit, &QLineEdit::editingFinished, this, &MyClass::setNettoTotaleColli);
    connect(form->TotaleLordo_LineEdit, &QLineEdit::editingFinished, this, &MyClass::setLordoColli);
    connect(form->SpeseBancarie_LineEdit, &QLineEdit::editingFinished, this, &MyClass::setSpeseBancarie);
    connect(form->paymentCombo, &QComboBox::currentIndexChanged, this, &MyClass::handlePaymentCombo);
    form->paymentCombo->setEditable(true);
    // a condition typed into the combo counts when editing ends, not only on Enter
    connect(form->paymentCombo->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { handlePaymentCombo(form->paymentCombo->currentIndex()); });
    fillPaymentCombo();
    for (QLineEdit* bank : {form->ABI_InvoiceLineEdit, form->CAB_InvoiceLineEdit, form->IBAN_InvoiceLineEdit,
                            form->FILIALE_InvoiceLineEdit})
        connect(bank, &QLineEdit::editingFinished, this, &MyClass::setTmpBankInfo);
    connect(form->f_note, &QTextEdit::textChanged, this, &MyClass::setFNote);
    connect(form->docTypeSelection, &QComboBox::currentIndexChanged, this,
            [this] { updateDocType(form->docTypeSelection->currentText()); });
    connect(form->textItemsCombo, &QComboBox::currentIndexChanged, this, &MyClass::changeTextSize);
    connect(form->customerCodeCombo, &QComboBox::currentIndexChanged, this, &MyClass::searchCustomer1);
    connect(form->openDateEditorB, &QPushButton::clicked, this, &MyClass::openDateEditor);
    connect(form->lineItemsTable, &QTableWidget::cellChanged, this, &MyClass::setLineItemField);
    connect(form->addLineItemRow, &QPushButton::clicked, this, &MyClass::addLineItemRow);
    connect(form->deleteLineItemsButton, &QPushButton::clicked, this, &MyClass::deleteLineItems);
}

void MyClass::clearEntryMarks()
{
    for (QLineEdit* edit : {form->numFLineEdit, form->ivaEdit, form->scontoClienteLineEdit, form->deliveryTotal_LineEdit,
                            form->varieTotal_LineEdit, form->ImballoTotal_LineEdit, form->nColli_LineEdit,
                            form->PesoColliLineEdit, form->nettoTotaleLineEdit, form->TotaleLordo_LineEdit,
                            form->SpeseBancarie_LineEdit})
        mark(edit, QString());
}

void MyClass::sizeTotalFields()
{
    // Thirteen digits with their groups, the most a document can total: a narrower field
    // would scroll its leading digits out of sight and show a wrong amount.
    for (QLineEdit* total : {form->InvoiceTotalAmount_LineEdit, form->InvoiceTotalIva_LineEdit,
                             form->InvoiceTotalPlusIva_LineEdit}) {
        const int frame = total->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, total);
        total->setMinimumWidth(total->fontMetrics().horizontalAdvance(QStringLiteral("9.999.999.999.999,99"))
                               + 2 * frame + 12);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

// ---- Document header and costs: each sends its text to the model when editing finishes

void MyClass::setNumFattura()
{
    // A refused number stays typed and red until corrected; the document keeps the number
    // in force, and is neither printed nor recorded while the field is red.
    QLineEdit* edit = form->numFLineEdit;
    QString problem;
    const std::optional<int> number = DocumentRegister::parseNumber(edit->text(), &problem);
    const bool newlyRefused = !number && !isMarked(edit);
    mark(edit, problem);
    if (!number) {
        statusBar()->showMessage(problem);
        if (newlyRefused) // once, not again for each focus change while it stays red
            Questions::notify(this, QMessageBox::Warning, problem);
        return;
    }
    ModelFacade::instance()->setNumFattura(QString::number(*number));
}

void MyClass::setFDate()
{
    ModelFacade::instance()->setFDate(form->FDate_LineEdit->date());
    proposeNumber();
}

void MyClass::updateDocType(const QString& docType)
{
    form->mainTab->setTabText(0, docType);
    ModelFacade::instance()->setDocType(docType);
    proposeNumber();
    scheduleDraftSave();
}

void MyClass::proposeNumber()
{
    if (issuedShown)
        return; // an issued document keeps its number
    const int number = documents().nextNumber(form->docTypeSelection->currentText(), form->FDate_LineEdit->date().year());
    mark(form->numFLineEdit, QString());
    form->numFLineEdit->setText(formatCount(number));
    ModelFacade::instance()->setNumFattura(QString::number(number));
}

void MyClass::showLoadedInvoice(int ivaPercent)
{
    ModelFacade* model = ModelFacade::instance();
    QTableWidget* table = form->lineItemsTable;
    table->setRowCount(0);
    lineItemIdOfRow.clear();
    clearEntryMarks();
    const QList<int> ids = model->lineItemIds();
    for (const int id : ids) {
        appendLineItemRow(id);
        auto* unit = qobject_cast<UmComboBox*>(table->cellWidget(table->rowCount() - 1, unitColumn));
        const QSignalBlocker quiet(unit); // the model has the unit already
        unit->setCurrentText(model->getLineItemField(id, LineItemKey::um));
    }
    {
        const QSignalBlocker quiet(form->docTypeSelection); // no new number for a loaded document
        form->docTypeSelection->setCurrentText(model->getDocType());
        form->mainTab->setTabText(0, model->getDocType());
    }
    {
        const QSignalBlocker quiet(form->customerCodeCombo); // the customer is loaded already
        const QMap<QString, QString>* customer = model->invoiceCustomerFields();
        form->customerCodeCombo->setCurrentIndex(
            std::max(0, form->customerCodeCombo->findText(customer ? customer->value(CODE) : QString())));
    }
    {
        const QSignalBlocker quiet(form->paymentCombo); // choosing again would replace the bank data
        form->paymentCombo->setCurrentText(model->getPayment());
    }
    setPaymentWidgetsEnabled(model->hasInvoiceCustomer());
    form->ivaEdit->setText(QString::number(ivaPercent));
    handleInvoiceChanged();
    updateScadenze();
}

void MyClass::setInvoiceReadOnly(bool readOnly)
{
    // Everything that edits the document; the table, the note and the due dates can still
    // be scrolled and read.
    const QList<QWidget*> widgets = form->tab->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget)
            || qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QPushButton*>(widget))
            widget->setEnabled(!readOnly);
    }
    form->scadenzeCombo->setEnabled(true);
    form->f_note->setReadOnly(readOnly);
    form->lineItemsTable->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : lineItemEditTriggers);
    if (!readOnly)
        setPaymentWidgetsEnabled(ModelFacade::instance()->hasInvoiceCustomer());
    readOnlyBanner->setVisible(readOnly);
    showNatura();
    // only an issued document has the number and date its electronic invoice carries
    form->eInvoiceButton->setEnabled(readOnly && issuedShown && EInvoiceExport::exportable(issuedShown->docType));
}

void MyClass::setScontoF()
{
    sendAmount(form->scontoClienteLineEdit, &ModelFacade::setScontoF);
}

void MyClass::handleIvaChange()
{
    // The rate is a whole, non-negative percentage. Anything else is refused, and marked:
    // the totals keep the rate in force. An emptied field shows that rate again.
    ModelFacade* model = ModelFacade::instance();
    const QString typed = form->ivaEdit->text();
    const QString problem = typed.trimmed().isEmpty() ? QString() : wholeNumberProblem(typed);
    mark(form->ivaEdit, problem);
    if (problem.isEmpty() && !typed.trimmed().isEmpty())
        model->setIva(QString::number(*parseCount(typed.trimmed())));
    showUnlessMarked(form->ivaEdit, QString::number(model->getIva()));
    showNatura();
}

void MyClass::setNatura()
{
    ModelFacade::instance()->setNatura(CodeCombo::code(form->naturaCombo));
    showNatura();
    scheduleDraftSave();
}

void MyClass::setRiferimentoNormativo()
{
    ModelFacade::instance()->setRiferimentoNormativo(form->riferimentoEdit->text());
    showNatura();
    scheduleDraftSave();
}

// Why a 0 % rate carries no VAT is asked only while the rate is 0; an issued document
// shows what it was issued with.
void MyClass::showNatura()
{
    ModelFacade* model = ModelFacade::instance();
    CodeCombo::select(form->naturaCombo, issuedShown ? issuedShown->natura : model->getNatura());
    form->riferimentoEdit->setText(issuedShown ? issuedShown->riferimentoNormativo : model->getRiferimentoNormativo());
    // the rate field shows the document's rate unless it holds a refused one
    const std::optional<int> shownRate = isMarked(form->ivaEdit) ? std::nullopt : parseCount(form->ivaEdit->text().trimmed());
    const bool untaxed = issuedShown ? issuedShown->ivaPercent == 0 : shownRate.value_or(model->getIva()) == 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{form->naturaLabel, form->naturaCombo, form->riferimentoLabel,
                                                           form->riferimentoEdit})
        widget->setEnabled(untaxed && !issuedShown);
}

void MyClass::handleDeliveryCost()
{
    sendAmount(form->deliveryTotal_LineEdit, &ModelFacade::setTrasporto);
}

void MyClass::setVarieTotal()
{
    sendAmount(form->varieTotal_LineEdit, &ModelFacade::setVarie);
}

void MyClass::setImballoTotal()
{
    sendAmount(form->ImballoTotal_LineEdit, &ModelFacade::setImballo);
}

void MyClass::setColli()
{
    sendAmount(form->nColli_LineEdit, &ModelFacade::setColli);
}

void MyClass::setPesoColli()
{
    sendAmount(form->PesoColliLineEdit, &ModelFacade::setPesoColli);
}

void MyClass::setNettoTotaleColli()
{
    sendAmount(form->nettoTotaleLineEdit, &ModelFacade::setNettoTotaleColli);
}

void MyClass::setLordoColli()
{
    sendAmount(form->TotaleLordo_LineEdit, &ModelFacade::setLordoColli);
}

void MyClass::setSpeseBancarie()
{
    sendAmount(form->SpeseBancarie_LineEdit, &ModelFacade::setSpeseBancarie);
}

void MyClass::setFNote()
{
    ModelFacade::instance()->setFNote(form->f_note->toPlainText());
    scheduleDraftSave();
}

void MyClass::setStampaVuota()
{
    stampaVuota = form->radioStampaVuota->isChecked();
}

// ---- Payment

void MyClass::fillPaymentCombo()
{
    form->paymentCombo->clear();
    form->paymentCombo->addItems(ModelFacade::paymentModes());
}

void MyClass::setPaymentWidgetsEnabled(bool enabled)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{form->paymentCombo, form->ABI_InvoiceLineEdit,
                                                           form->CAB_InvoiceLineEdit, form->IBAN_InvoiceLineEdit,
                                                           form->FILIALE_InvoiceLineEdit})
        widget->setEnabled(enabled);
}

void MyClass::handlePaymentCombo(int /*index*/)
{
    ModelFacade::instance()->setPayment(form->paymentCombo->currentText());
}

void MyClass::setTmpBankInfo()
{
    ModelFacade::instance()->setTmpBankInfo(form->ABI_InvoiceLineEdit->text(), form->CAB_InvoiceLineEdit->text(),
                                            form->IBAN_InvoiceLineEdit->text(), form->FILIALE_InvoiceLineEdit->text());
    scheduleDraftSave();
}

void MyClass::handleInvoicePaymentChanged()
{
    const QMap<QString, QString> bank = ModelFacade::instance()->getPaymentInfo();
    form->ABI_InvoiceLineEdit->setText(bank.value(ABI));
    form->CAB_InvoiceLineEdit->setText(bank.value(CAB));
    form->IBAN_InvoiceLineEdit->setText(bank.value(IBAN));
    form->FILIALE_InvoiceLineEdit->setText(bank.value(FILIALE));
}

void MyClass::searchCustomer1()
{
    loadCustomer(form->customerCodeCombo->currentText(), true);
}

// ---- Line items

void MyClass::setupLineItemColumns(double factor)
{
    const QStringList keys = ModelFacade::lineItemFieldKeys();
    QTableWidget* table = form->lineItemsTable;
    table->setColumnCount(int(keys.size()));
    columnOfField.clear();
    for (int column = 0; column < keys.size(); ++column) {
        columnOfField.insert(keys.at(column), column);
        table->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromLatin1(lineItemColumns[column].header)));
        table->setColumnWidth(column, int(lineItemColumns[column].width * factor));
    }
}

void MyClass::changeTextSize(int /*index*/)
{
    const int size = form->textItemsCombo->currentText().toInt();
    if (size <= 0)
        return; // the sizes are not listed yet
    QFont font = form->lineItemsTable->font();
    font.setPointSize(size);
    form->lineItemsTable->setFont(font);
    rowHeight = 2 * size;
    for (int row = 0; row < form->lineItemsTable->rowCount(); ++row)
        form->lineItemsTable->setRowHeight(row, rowHeight);
    setupLineItemColumns(1 + (size - smallestTextSize) / 20.0);
}

void MyClass::addLineItemRow()
{
    appendLineItemRow(ModelFacade::instance()->addLineItem());
}

void MyClass::appendLineItemRow(int id)
{
    QTableWidget* table = form->lineItemsTable;
    const int row = table->rowCount();
    const QSignalBlocker quiet(table); // empty new cells are no edits
    table->setRowCount(row + 1);
    auto* unit = new UmComboBox(row, unitColumn, -1, table->viewport());
    unit->addItems(ModelFacade::unitList());
    for (int column = 0; column < table->columnCount(); ++column) {
        if (column == unitColumn)
            continue;
        auto* item = new QTableWidgetItem;
        if (isComputedColumn(column))
            item->setFlags(Qt::ItemIsSelectable);
        table->setItem(row, column, item);
    }
    table->setVerticalHeaderItem(row, new QTableWidgetItem(formatCount(row + 1)));

    lineItemIdOfRow.insert(row, id);
    table->setRowHeight(row, rowHeight);
    unit->setLineItemId(id);
    table->setCellWidget(row, unitColumn, unit);
    connect(unit, &UmComboBox::valueChanged, this, &MyClass::updateUmLineItems);
}

void MyClass::deleteLineItems()
{
    if (!Questions::confirm(this, QStringLiteral("Conferma l'eliminazione della riga corrente ?")))
        return;
    QTableWidget* table = form->lineItemsTable;
    QSet<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    QList<int> sorted = rows.values();
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    QList<int> removed;
    for (const int row : std::as_const(sorted)) {
        table->removeRow(row);
        removed << lineItemIdOfRow.take(row);
    }
    renumberRows();
    for (const int id : std::as_const(removed))
        ModelFacade::instance()->removeLineItem(id);
}

void MyClass::renumberRows()
{
    const QList<int> ids = lineItemIdOfRow.values(); // ascending old rows
    lineItemIdOfRow.clear();
    for (int row = 0; row < ids.size(); ++row) {
        lineItemIdOfRow.insert(row, ids.at(row));
        form->lineItemsTable->setVerticalHeaderItem(row, new QTableWidgetItem(formatCount(row + 1)));
    }
}

void MyClass::setLineItemField(int row, int column)
{
    if (column == unitColumn || !lineItemIdOfRow.contains(row))
        return;
    QTableWidgetItem* cell = form->lineItemsTable->item(row, column);
    const QString key = columnOfField.key(column);
    if (cell && LineItem::isNumericField(key))
        mark(cell, amountProblem(cell->text()));
    ModelFacade::instance()->setLineItemField(lineItemIdOfRow.value(row), key, cell ? cell->text() : QString());
}

void MyClass::updateUmLineItems(UmComboBox* combo)
{
    ModelFacade::instance()->setLineItemField(combo->getLineItemId(), LineItemKey::um, combo->currentText());
}

int MyClass::rowOfLineItem(int id) const
{
    return lineItemIdOfRow.key(id, -1);
}

void MyClass::refreshLineItem(int id)
{
    const int row = rowOfLineItem(id);
    if (row >= 0)
        refreshRow(row, id);
}

void MyClass::refreshRow(int row, int id)
{
    // The cell writes come back through cellChanged in the display form, with a decimal
    // comma, and the model reads them back unchanged.
    const ModelFacade* model = ModelFacade::instance();
    for (auto it = columnOfField.cbegin(); it != columnOfField.cend(); ++it) {
        if (it.value() == unitColumn)
            continue;
        QString text = model->getLineItemField(id, it.key());
        if (LineItem::isNumericField(it.key()))
            text.replace(QLatin1Char('.'), QLatin1Char(','));
        QTableWidgetItem* cell = form->lineItemsTable->item(row, it.value());
        if (cell && cell->toolTip().isEmpty() && cell->text() != text) // a marked cell keeps what was typed
            cell->setText(text);
    }
}

// ---- Totals and the whole invoice

void MyClass::updateTotal()
{
    const ModelFacade* model = ModelFacade::instance();
    // grouped like the printed page: 17.472,95
    form->InvoiceTotalAmount_LineEdit->setText(formatAmountGrouped(model->getTotalImp()));
    form->InvoiceTotalIva_LineEdit->setText(formatAmountGrouped(model->getTotaleIva()));
    form->InvoiceTotalPlusIva_LineEdit->setText(formatAmountGrouped(model->getTotale()));
    showUnlessMarked(form->scontoClienteLineEdit, formatAmount(model->getScontoF()));
}

void MyClass::handleInvoiceChanged()
{
    for (auto it = lineItemIdOfRow.cbegin(); it != lineItemIdOfRow.cend(); ++it)
        refreshRow(it.key(), it.value());
    updateTotal();

    ModelFacade* model = ModelFacade::instance();
    updateSelectedCustomer(model->invoiceCustomerFields());
    const QList<QPair<QLineEdit*, double>> amounts = {
        {form->deliveryTotal_LineEdit, model->getTrasporto()}, {form->varieTotal_LineEdit, model->getVarie()},
        {form->ImballoTotal_LineEdit, model->getImballo()},    {form->nColli_LineEdit, model->getColli()},
        {form->PesoColliLineEdit, model->getPesoColli()},      {form->nettoTotaleLineEdit, model->getNettoTotaleColli()},
        {form->TotaleLordo_LineEdit, model->getLordoColli()},  {form->SpeseBancarie_LineEdit, model->getSpeseBancarie()},
    };
    for (const auto& [edit, amount] : amounts)
        showUnlessMarked(edit, formatAmount(amount));

    form->f_note->moveCursor(QTextCursor::End);
    if (form->f_note->toPlainText() != model->getFNote())
        form->f_note->setPlainText(model->getFNote());
    form->FDate_LineEdit->setDate(model->getFDate());
    showUnlessMarked(form->numFLineEdit, formatCount(model->getNumFattura()));
    showUnlessMarked(form->scontoClienteLineEdit, formatAmount(model->getScontoF()));
    showNatura();
}

void MyClass::updateSelectedCustomer(QMap<QString, QString>* fields)
{
    QMap<QString, QString> bank;
    QStringList texts(7);
    if (fields) {
        const auto field = [fields](const QString& key) { return fields->value(key); };
        texts = {field(RAGIONE_S),
                 field(TELEPHONE) + QLatin1Char('-') + field(MOBILE_PHONE),
                 field(PIVA),
                 field(FISCAL_CODE),
                 field(ADDRESS) + QLatin1Char(' ') + field(CAP) + QLatin1Char(',') + field(LOCALITY) + QLatin1Char('-')
                     + field(CITY),
                 field(VIA2) + QStringLiteral("  -  ") + field(CAP2),
                 field(LOC2) + QStringLiteral(" (") + field(CITY2) + QStringLiteral(") ") + field(NAZIONE2)};
        bank = ModelFacade::instance()->getPaymentInfo();
    } else {
        form->loadSearchOkLabel->hide();
        form->customerSearchTable->clearSelection();
    }
    const QList<QLabel*> labels = {form->RS_LabelSelCustomer,    form->TelephoneN_LabelSelCustomer,
                                   form->PIva_LabelSelCustomer,  form->FisCode_LabelSelCustomer,
                                   form->Address_LabelSelCustomer, form->via2Label, form->loc2label};
    for (int i = 0; i < labels.size(); ++i)
        labels.at(i)->setText(panelText(texts.at(i)));
    form->ABI_InvoiceLineEdit->setText(bank.value(ABI));
    form->CAB_InvoiceLineEdit->setText(bank.value(CAB));
    form->IBAN_InvoiceLineEdit->setText(bank.value(IBAN));
    form->FILIALE_InvoiceLineEdit->setText(bank.value(FILIALE));
}

void MyClass::updateScadenze()
{
    ModelFacade* model = ModelFacade::instance();
    const QList<Scadenza> scadenze = model->getScadenze();
    const QList<double> importi = model->getImportiScadenze();
    QTableWidget* list = dateForm->dateList;
    const QSignalBlocker quiet(list); // filling the cells is no edit of an amount
    list->setRowCount(int(scadenze.size()));
    form->scadenzeCombo->clear();
    for (int row = 0; row < scadenze.size(); ++row) {
        const Scadenza& scadenza = scadenze.at(row);
        const QString date = scadenza.first.toString(QStringLiteral("dd/MM/yyyy"));
        auto* dateCell = new QTableWidgetItem(date);
        dateCell->setData(Qt::UserRole, scadenza.first);
        auto* amountCell = new QTableWidgetItem(formatAmountGrouped(importi.value(row)));
        amountCell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list->setItem(row, 0, dateCell);
        list->setItem(row, 1, new QTableWidgetItem(scadenza.second));
        list->setItem(row, scadenzaAmountColumn, amountCell);
        for (const int fixed : {0, 1})
            list->item(row, fixed)->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        form->scadenzeCombo->addItem(date + QStringLiteral(" -- ") + scadenza.second);
    }
}
