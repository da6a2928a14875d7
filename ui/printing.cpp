// The print preview, the print dialog and the PDF copy of a document, and recording a
// document when it is first printed.
#include "myclass.h"

#include "ui_myclass.h"

#include "amounttext.h"
#include "companykeys.h"
#include "documentregister.h"
#include "printermanager.h"
#include "questions.h"
#include "stampavuota.h"

#include <QDebug>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

namespace {

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// FATTURA_2026_42_ROSSI SRL.pdf: what a file name cannot hold becomes a blank.
QString proposedPdfName(const InvoiceData& document)
{
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    QStringList parts = {document.docType, QString::number(document.date.year()), QString::number(document.number)};
    const QString customer = document.customer.value(RAGIONE_S);
    if (!customer.trimmed().isEmpty())
        parts << customer;
    for (QString& part : parts)
        part = QString(part).replace(unsafe, QStringLiteral(" ")).simplified();
    return parts.join('_') + QStringLiteral(".pdf");
}

} // namespace

void MyClass::openPreview()
{
    qDebug() << "openPreview";
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintPreviewDialog preview(&printer, this);
    const QRect screen = this->screen()->geometry();
    const QRect available = this->screen()->availableGeometry().adjusted(30, 30, -30, -30);
    qDebug() << "MAXIMIZED SIZE:" << available << screen;
    preview.setGeometry(available);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &MyClass::printPreview);
    Questions::runDialog(preview);
}

void MyClass::printPreview(QPrinter* printer)
{
    PrinterManager::printDocument(printer, documentToPrint(), stampaVuota);
}

void MyClass::openPrintDialog()
{
    printOnPrinter(documentToPrint(), issuedShown.has_value());
}

void MyClass::printOnPrinter(const InvoiceData& document, bool issued)
{
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, this);
    if (Questions::runDialog(dialog) != QDialog::Accepted)
        return;
    // a blank form is no document: nothing to record
    if (!issued && !stampaVuota && !recordBeforePrinting(document))
        return;
    PrinterManager::printDocument(&printer, document, stampaVuota);
}

void MyClass::exportPdf()
{
    exportDocumentPdf(documentToPrint(), issuedShown.has_value());
}

void MyClass::exportDocumentPdf(const InvoiceData& document, bool issued)
{
    QFileDialog dialog(this, QStringLiteral("Esporta il documento in PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    dialog.selectFile(proposedPdfName(document));
    const QString path = Questions::chooseFile(dialog);
    if (path.isEmpty() || (!issued && !recordBeforePrinting(document)))
        return;
    if (!PrinterManager::exportPdf(path, document)) {
        Questions::notify(this, QMessageBox::Critical,
                          QStringLiteral("Il PDF non è stato scritto in %1: controllare che la cartella sia "
                                         "scrivibile e che il disco non sia pieno.")
                              .arg(QDir::toNativeSeparators(path)));
        return;
    }
    statusBar()->showMessage(QStringLiteral("PDF salvato in %1").arg(QDir::toNativeSeparators(path)), 5000);
}

bool MyClass::recordBeforePrinting(const InvoiceData& document)
{
    if (!form->numFLineEdit->toolTip().isEmpty()) { // a refused number is still typed
        Questions::notify(this, QMessageBox::Warning, form->numFLineEdit->toolTip());
        return false;
    }
    QMessageBox question(QMessageBox::Question, QString(),
                         QStringLiteral("Registrare il documento N. %1 del %2?")
                             .arg(formatCount(document.number), dateText(document.date)),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setInformativeText(QStringLiteral("Un documento registrato non si può più modificare: si corregge con "
                                               "una nota di credito. Rispondendo No si stampa senza registrare."));
    question.setDefaultButton(QMessageBox::Yes);
    if (Questions::ask(question) != QMessageBox::Yes)
        return true; // a copy that is not recorded, as before documents were kept

    // The register's messages say what was refused and what to do: the first free number,
    // the date of the last document, the disk's reason.
    DocumentRegister& documents = this->documents();
    DocumentRegister::IssueResult result = documents.issue(document);
    if (result == DocumentRegister::IssueResult::EarlierThanLast) {
        if (!Questions::confirm(this, documents.failure()))
            return false;
        result = documents.issue(document, true);
    }
    // a file written whose sync the disk did not confirm is recorded all the same: its number is taken
    const bool recorded = result == DocumentRegister::IssueResult::Issued
                          || (result == DocumentRegister::IssueResult::NotWritten
                              && documents.isIssued(document.docType, document.date.year(), document.number));
    if (result != DocumentRegister::IssueResult::Issued)
        Questions::notify(this, recorded ? QMessageBox::Warning : QMessageBox::Critical,
                          recorded ? documents.failure()
                                   : documents.failure() + QStringLiteral("\nIl documento non è stato stampato."));
    if (!recorded)
        return false;
    if (!documents.discardDraft())
        qWarning() << "the draft could not be removed:" << documents.failure();
    issuedShown = document;
    setInvoiceReadOnly(true);
    draftTimer->stop();
    return true;
}
