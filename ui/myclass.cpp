#include "myclass.h"

#include "ui_datedialog.h"
#include "ui_editaziendadialog.h"
#include "ui_myclass.h"
#include "ui_trasportodialog.h"

#include "customersearchmodel.h"
#include "documentregister.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "questions.h"
#include "umcombobox.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString iconPath = QStringLiteral(":/MyClass/Resources/tack.ico");

// Container backgrounds come from palettes, not style sheets: a style sheet on a container
// reaches every drop-down list inside it, and sends every widget within, each line item's
// unit combo too, through the slower style-sheet style.
void paintBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

MyClass::MyClass(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags),
      form(std::make_unique<Ui::Quillbook>()),
      dlgAzienda(std::make_unique<QDialog>()),
      dlgTrasporto(std::make_unique<QDialog>()),
      dlgDate(std::make_unique<QDialog>()),
      aziendaForm(std::make_unique<Ui::EditAziendaDialog>()),
      trasportoForm(std::make_unique<Ui::TrasportoDialog>()),
      dateForm(std::make_unique<Ui::DateDialog>()),
      searchResults(new CustomerSearchModel(this)),
      documentsTab(new DocumentsTab(*ModelFacade::instance()->documentRegister())),
      readOnlyBanner(new QLabel(QStringLiteral("Documento emesso: sola lettura"))),
      draftTimer(new QTimer(this))
{
    form->setupUi(this);
    setFixedSize(959, 713);
    form->mainTab->addTab(documentsTab, QStringLiteral("DOCUMENTI"));
    paintBackground(form->centralWidget, QColor(195, 195, 195));
    for (QWidget* page : {form->tab, form->tab_2, form->tab_4, static_cast<QWidget*>(documentsTab)})
        paintBackground(page, QColor(224, 223, 238));
    readOnlyBanner->setObjectName(QStringLiteral("readOnlyBanner"));
    readOnlyBanner->setStyleSheet(QStringLiteral("QLabel#readOnlyBanner { color: rgb(160, 0, 0); font-weight: bold; }"));
    statusBar()->addPermanentWidget(readOnlyBanner);
    readOnlyBanner->hide();
    // A crash loses at most the edits of the last seconds, and a burst of edits costs one write.
    draftTimer->setSingleShot(true);
    draftTimer->setInterval(2000);
    connect(draftTimer, &QTimer::timeout, this, &MyClass::saveDraft);

    form->lineItemsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    lineItemEditTriggers = form->lineItemsTable->editTriggers();
    form->lineItemsTable->setItemDelegateForColumn(int(ModelFacade::lineItemFieldKeys().indexOf(LineItemKey::um)),
                                                   new UmComboBoxDelegate(form->lineItemsTable));
    form->customerSearchTable->setSelectionMode(QAbstractItemView::SingleSelection);
    setupLineItemColumns(1.0);
    setupCustomerSearchColumns();
    for (QLineEdit* total : {form->InvoiceTotalAmount_LineEdit, form->InvoiceTotalIva_LineEdit,
                             form->InvoiceTotalPlusIva_LineEdit})
        total->setReadOnly(true);
    buildCustomerFormTables();

    form->editSearchCustomerButton->setEnabled(false);
    form->eInvoiceButton->setEnabled(false); // until an issued document is shown
    showAddGroup(false);

    trasportoForm->setupUi(dlgTrasporto.get());
    dateForm->setupUi(dlgDate.get());
    aziendaForm->setupUi(dlgAzienda.get());
    dlgTrasporto->setWindowIcon(QIcon(iconPath));
    dlgAzienda->setWindowIcon(QIcon(iconPath));

    connectDialogs();
    connectCustomerTabs();
    connectInvoiceTab();
    connectModel();

    form->FDate_LineEdit->setDate(QDate::currentDate());
    setPaymentWidgetsEnabled(false);
    for (QComboBox* combo : {trasportoForm->t_TCuraField, trasportoForm->t_TMezzoField, trasportoForm->t_CausaleField,
                             trasportoForm->t_PortoField, trasportoForm->t_AspettoField})
        combo->setEditable(true);
    trasportoForm->t_TCuraField->setFrame(true);
    changeTextSize(form->textItemsCombo->currentIndex());
}

MyClass::~MyClass()
{
    // A window destroyed while still shown takes the focus from its widgets as it goes, and
    // the line edit that had it finishes its editing: the slot would then run on a window
    // half torn down and reach for a model that may be gone already (the start-up cycle
    // ends the model first). From here on the window receives nothing from its widgets.
    for (QWidget* owner : {static_cast<QWidget*>(this), static_cast<QWidget*>(dlgAzienda.get()),
                           static_cast<QWidget*>(dlgTrasporto.get()), static_cast<QWidget*>(dlgDate.get())}) {
        owner->disconnect(this);
        const QList<QObject*> children = owner->findChildren<QObject*>();
        for (QObject* child : children)
            child->disconnect(this);
    }
}

void MyClass::connectModel()
{
    ModelFacade* model = ModelFacade::instance();
    connect(model, &ModelFacade::invoiceChanged, this, &MyClass::handleInvoiceChanged);
    connect(model, &ModelFacade::invoiceTotalChanged, this, &MyClass::updateTotal);
    connect(model, &ModelFacade::lineItemChanged, this, &MyClass::refreshLineItem);
    connect(model, &ModelFacade::invoicePaymentChanged, this, &MyClass::handleInvoicePaymentChanged);
    connect(model, &ModelFacade::scadenzeChanged, this, &MyClass::updateScadenze);
    connect(model, &ModelFacade::invoiceTotalChanged, this, &MyClass::updateScadenze); // the even split follows the total
    connect(model, &ModelFacade::selectedCustomerChanged, this, &MyClass::updateSelectedCustomer);
    form->loadSearchOkLabel->hide();
    connect(model, &ModelFacade::currentCustomerChanged, this, &MyClass::updateCustomerField);
    connect(model, &ModelFacade::companyChanged, this, &MyClass::updateCompany);
    connect(model, &ModelFacade::recordNotSaved, this, &MyClass::handleRecordNotSaved);
    for (auto invoiceEdited : {&ModelFacade::invoiceChanged, &ModelFacade::invoiceTotalChanged,
                               &ModelFacade::invoicePaymentChanged, &ModelFacade::scadenzeChanged})
        connect(model, invoiceEdited, this, &MyClass::scheduleDraftSave);
    connect(model, &ModelFacade::lineItemChanged, this, &MyClass::scheduleDraftSave);
    connect(model, &ModelFacade::selectedCustomerChanged, this, &MyClass::scheduleDraftSave);
    connect(documentsTab, &DocumentsTab::documentChosen, this, &MyClass::handleDocumentChosen);
    connect(form->exportPdfButton, &QPushButton::clicked, this, &MyClass::exportPdf);
    connect(form->eInvoiceButton, &QPushButton::clicked, this, &MyClass::exportEInvoice);
    connect(documentsTab, &DocumentsTab::yearExportRequested, this, &MyClass::exportYearEInvoices);

    connect(form->actionPreview, &QAction::triggered, this, &MyClass::openPreview);
    connect(form->actionReset, &QAction::triggered, this, &MyClass::handleResetAction);
    connect(form->actionAzienda, &QAction::triggered, this, &MyClass::openEditAziendaDialog);
    connect(form->actionPreferenze_trasporto, &QAction::triggered, this, &MyClass::openTrasportoDialog);
    connect(form->actionExport, &QAction::triggered, this, &MyClass::exportData);
    connect(form->actionImportData, &QAction::triggered, this, &MyClass::importData);
    connect(form->printButton, &QPushButton::clicked, this, &MyClass::openPrintDialog);
}

void MyClass::init()
{
    changeTextSize(form->textItemsCombo->currentIndex());
    fillCustomerCodeCombo();
    ModelFacade::instance()->setDocType(form->docTypeSelection->currentText());
    initTransportPreferences();
    trasportoForm->t_dateField->hide();
    trasportoForm->t_timeField->hide();
    trasportoForm->label_6->hide();
    form->ivaEdit->setText(QString::number(ModelFacade::instance()->getIva()));
    documentsTab->refresh();
    restoreDraft();
}

void MyClass::handleRecordNotSaved(const QString& message)
{
    // The change stays in memory: the next save, at the latest when the window closes, retries it.
    statusBar()->showMessage(message);
    Questions::notify(this, QMessageBox::Warning, message);
}

bool MyClass::saveForClosing(bool askOnFailure)
{
    ModelFacade* model = ModelFacade::instance();
    draftTimer->stop();
    for (;;) {
        qDebug() << "SAVE DATA ";
        const bool recordsSaved = model->savePersistentData();
        const bool draftSaved = saveDraft();
        if (recordsSaved && draftSaved)
            return true;
        if (!askOnFailure)
            return false;
        const ModelFacade::SaveFailure failure = model->saveFailure();
        QString text = recordsSaved ? QString()
                                    : QStringLiteral("I dati non sono stati salvati: %1 %2 (%3).")
                                          .arg(failure.records)
                                          .arg(failure.records == 1 ? QStringLiteral("record non scritto")
                                                                    : QStringLiteral("record non scritti"),
                                               failure.reason);
        if (!draftSaved) // the register's reason names the draft
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + documents().failure();
        QMessageBox box(QMessageBox::Critical, QString(), text,
                        QMessageBox::Retry | QMessageBox::Cancel | QMessageBox::Discard, this);
        box.setInformativeText(QStringLiteral("Liberare spazio o controllare il disco, poi riprovare. "
                                              "Chiudendo senza salvare le modifiche andranno perse."));
        box.button(QMessageBox::Retry)->setText(QStringLiteral("Riprova"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Non chiudere"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("Chiudi senza salvare"));
        box.setDefaultButton(QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
        const int answer = Questions::ask(box);
        if (answer == QMessageBox::Discard) {
            qWarning() << "Closing without the records that could not be written, as the user chose";
            return true;
        }
        if (answer != QMessageBox::Retry)
            return false;
    }
}

void MyClass::requestTermination()
{
    terminationRequested = true;
    QCoreApplication::exit(0);
}

void MyClass::closeEvent(QCloseEvent* event)
{
    if (restartRequested || closingSettled || saveForClosing(true)) {
        closingSettled = !restartRequested;
        event->accept();
    } else {
        event->ignore();
    }
}

void MyClass::handleResetAction()
{
    const int tab = form->mainTab->currentIndex();
    if (!Questions::confirm(this, QStringLiteral("Conferma l'operazione di annullamento dei dati correnti ?")))
        return;
    if (tab == 0)
        abortInvoice();
    else if (tab == 2)
        abortCustomerEditing();
}

void MyClass::abortInvoice()
{
    for (int row = form->lineItemsTable->rowCount() - 1; row >= 0; --row)
        form->lineItemsTable->removeRow(row);
    lineItemIdOfRow.clear();
    clearEntryMarks(); // nothing typed is left to correct
    issuedShown.reset();
    setInvoiceReadOnly(false);
    if (!documents().discardDraft())
        qWarning() << "the draft could not be removed:" << documents().failure();

    ModelFacade* model = ModelFacade::instance();
    model->dropInvoice();
    model->setFDate(QDate::currentDate());

    setPaymentWidgetsEnabled(false);
    fillCustomerCodeCombo();
    fillPaymentCombo();
    model->setDocType(form->docTypeSelection->currentText());
    updateScadenze();
    form->ivaEdit->setText(QString::number(model->getIva()));
    proposeNumber();
    draftTimer->stop(); // the empty document is no draft yet
}

