// Issued documents in the window: the register's tab, opening, duplicating and crediting a
// document, and the draft of the document being typed.
#include "myclass.h"

#include "ui_myclass.h"

#include "documentregister.h"
#include "modelfacade.h"
#include "questions.h"

#include <QDebug>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString creditNoteType = QStringLiteral("NOTA DI CREDITO");

// Nothing typed yet: replacing it loses nothing.
bool isEmptyDocument(const InvoiceData& document)
{
    return document.rows.isEmpty() && document.customer.isEmpty() && document.note.trimmed().isEmpty();
}

} // namespace

DocumentRegister& MyClass::documents() const
{
    return *ModelFacade::instance()->documentRegister();
}

InvoiceData MyClass::liveDocument() const
{
    InvoiceData document = ModelFacade::instance()->currentDocument();
    if (document.docType != creditNoteType) { // a credit note turned into another type credits nothing
        document.linkedNumber = 0;
        document.linkedDate = QDate();
    }
    return document;
}

InvoiceData MyClass::documentToPrint() const
{
    return issuedShown ? *issuedShown : liveDocument();
}

void MyClass::showDocument(const InvoiceData& document, bool issued)
{
    draftTimer->stop();
    issuedShown.reset(); // the tab is writable while it is filled
    setInvoiceReadOnly(false);
    ModelFacade::instance()->loadDocument(document);
    showLoadedInvoice(document.ivaPercent);
    if (issued) {
        issuedShown = document;
        // the customer as the document was issued to, whatever the registry says today
        updateSelectedCustomer(&issuedShown->customer);
        setInvoiceReadOnly(true);
        draftTimer->stop(); // an issued document is no draft
    }
    form->mainTab->setCurrentIndex(0);
}

bool MyClass::mayReplaceDraft()
{
    if (issuedShown || isEmptyDocument(liveDocument()))
        return true;
    if (!Questions::confirm(this, QStringLiteral("Il documento in preparazione sarà sostituito e non potrà essere "
                                                 "recuperato. Continuare?")))
        return false;
    if (!documents().discardDraft())
        qWarning() << "the draft could not be removed:" << documents().failure();
    return true;
}

void MyClass::handleDocumentChosen(DocumentsTab::Action action, const InvoiceData& document)
{
    switch (action) {
    case DocumentsTab::Action::Open:
        if (mayReplaceDraft())
            showDocument(document, true);
        return;
    case DocumentsTab::Action::Reprint:
        printOnPrinter(document, true);
        return;
    case DocumentsTab::Action::ExportPdf:
        exportDocumentPdf(document, true);
        return;
    case DocumentsTab::Action::ExportEInvoice:
        exportDocumentEInvoice(document);
        return;
    case DocumentsTab::Action::Duplicate:
    case DocumentsTab::Action::CreditNote: {
        if (!mayReplaceDraft())
            return;
        InvoiceData copy = document;
        if (action == DocumentsTab::Action::CreditNote) {
            copy.docType = creditNoteType;
            copy.linkedNumber = document.number;
            copy.linkedDate = document.date;
        }
        copy.date = QDate::currentDate();
        copy.number = documents().nextNumber(copy.docType, copy.date.year());
        showDocument(copy, false);
        saveDraft();
        return;
    }
    }
}

void MyClass::restoreDraft()
{
    const std::optional<InvoiceData> draft = documents().loadDraft();
    if (!draft) {
        proposeNumber();
        return;
    }
    showDocument(*draft, false);
    if (draft->number <= 0)
        proposeNumber();
    statusBar()->showMessage(QStringLiteral("Ripreso il documento in preparazione"), 5000);
}

void MyClass::scheduleDraftSave()
{
    if (!issuedShown)
        draftTimer->start();
}

bool MyClass::saveDraft()
{
    draftTimer->stop();
    if (issuedShown)
        return true; // nothing is being typed
    if (documents().saveDraft(liveDocument()))
        return true;
    qWarning() << "the draft could not be written:" << documents().failure();
    statusBar()->showMessage(QStringLiteral("Documento in preparazione non salvato: %1").arg(documents().failure()));
    return false;
}
