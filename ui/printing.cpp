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

// "una fattura", as the refusal of a taken number names the sequence.
QString sequenceName(const QString& docType)
{
    static const QList<QPair<QString, QString>> names = {
        {QStringLiteral("NOTA DI CREDITO"), QStringLiteral("una nota di credito")},
        {QStringLiteral("DOCUMENTO DI TRASPORTO"), QStringLiteral("un documento di trasporto")},
        {QStringLiteral("FATTURA"), QStringLiteral("una fattura")},
    };
    const QString sequence = DocumentRegister::sequenceOf(docType);
    for (const auto& [type, name] : names)
        if (DocumentRegister::sequenceOf(type) == sequence)
            return name;
    return QStringLiteral("un documento");
}

// The last issued document of the sequence and year of `document`: null when there is none.
std::optional<DocumentRegister::Entry> lastIssued(const DocumentRegister& documents, const InvoiceData& document)
{
    std::optional<DocumentRegister::Entry> last;
    const QString sequence = DocumentRegister::sequenceOf(document.docType);
    for (const DocumentRegister::Entry& entry : documents.entries(document.date.year()))
        if (entry.sequence == sequence && entry.readable && (!last || entry.number > last->number))
            last = entry;
    return last;
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

    DocumentRegister& documents = this->documents();
    bool earlierDateConfirmed = false;
    for (;;) {
        switch (documents.issue(document, earlierDateConfirmed)) {
        case DocumentRegister::IssueResult::Issued:
            if (!documents.discardDraft())
                qWarning() << "the draft could not be removed:" << documents.failure();
            issuedShown = document;
            setInvoiceReadOnly(true);
            draftTimer->stop();
            return true;
        case DocumentRegister::IssueResult::NumberTaken:
            Questions::notify(this, QMessageBox::Warning,
                              QStringLiteral("Il numero %1 è già stato usato per %2 del %3: scegliere un altro numero.")
                                  .arg(formatCount(document.number), sequenceName(document.docType))
                                  .arg(document.date.year()));
            return false;
        case DocumentRegister::IssueResult::InvalidNumber:
            Questions::notify(this, QMessageBox::Warning,
                              QStringLiteral("Numero non valido: inserire un numero intero da 1 a 999999999"));
            return false;
        case DocumentRegister::IssueResult::EarlierThanLast: {
            const std::optional<DocumentRegister::Entry> last = lastIssued(documents, document);
            const QString lastText = last ? QStringLiteral(" (N. %1 del %2)").arg(formatCount(last->number), dateText(last->date))
                                          : QString();
            if (earlierDateConfirmed
                || !Questions::confirm(this, QStringLiteral("La data è precedente all'ultimo documento emesso%1. "
                                                            "Registrare comunque?")
                                                 .arg(lastText)))
                return false;
            earlierDateConfirmed = true;
            continue;
        }
        case DocumentRegister::IssueResult::NotWritten:
            Questions::notify(this, QMessageBox::Critical,
                              QStringLiteral("Il documento non è stato registrato né stampato: %1.").arg(documents.failure()));
            return false;
        }
        return false;
    }
}
