// The electronic invoices: one document's file into the folder chosen once, and a year's
// into a zip for the accountant.
#include "myclass.h"

#include "ui_myclass.h"

#include "amounttext.h"
#include "companykeys.h"
#include "documentregister.h"
#include "einvoiceexport.h"
#include "modelfacade.h"
#include "questions.h"
#include "workprogress.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

namespace {

QString bulleted(const QStringList& lines)
{
    QStringList bullets;
    for (const QString& line : lines)
        bullets << QStringLiteral("• ") + line;
    return bullets.join(QLatin1Char('\n'));
}

// The folder the files go to, asked the first time; empty when the user drew back.
QString eInvoiceFolder(EInvoiceExport& exporter, QWidget* parent)
{
    if (!exporter.folder().isEmpty() && QFileInfo(exporter.folder()).isDir())
        return exporter.folder();
    QFileDialog dialog(parent, QStringLiteral("Cartella delle fatture elettroniche"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString folder = Questions::chooseFile(dialog);
    if (folder.isEmpty())
        return QString();
    if (!exporter.setFolder(folder)) {
        Questions::notify(parent, QMessageBox::Critical,
                          QStringLiteral("La cartella scelta non è stata salvata nelle impostazioni: "
                                         "controllare che il disco non sia pieno."));
        return QString();
    }
    return folder;
}

struct YearExport
{
    EInvoiceExport::Outcome outcome;
    QStringList unreadable; // documents whose file could not be read
};

} // namespace

void MyClass::exportEInvoice()
{
    if (issuedShown)
        exportDocumentEInvoice(*issuedShown);
}

void MyClass::exportDocumentEInvoice(const InvoiceData& document)
{
    EInvoiceExport exporter;
    if (eInvoiceFolder(exporter, this).isEmpty())
        return;
    // the recipient code or the tax regime may have been entered after the document was issued
    const EInvoiceExport::Outcome outcome =
        exporter.exportDocument(ModelFacade::instance()->withCurrentFiscalData(document));
    if (!outcome.written()) {
        QMessageBox box(QMessageBox::Critical, QString(),
                        QStringLiteral("La fattura elettronica di %1 non è stata scritta.")
                            .arg(EInvoiceExport::documentLabel(document)),
                        QMessageBox::Ok, this);
        QStringList problems = outcome.failures;
        if (!outcome.reason.isEmpty())
            problems << outcome.reason;
        box.setInformativeText(bulleted(problems));
        Questions::ask(box);
        return;
    }
    // What was written, to compare with the printed page before sending it.
    QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("Fattura elettronica scritta."),
                    QMessageBox::Ok | QMessageBox::Open, this);
    box.button(QMessageBox::Open)->setText(QStringLiteral("Apri cartella"));
    box.setInformativeText(QStringList{EInvoiceExport::documentLabel(document),
                                       QStringLiteral("Cliente: %1").arg(document.customer.value(RAGIONE_S)),
                                       QStringLiteral("Imponibile: %1").arg(formatAmountGrouped(document.totalImp)),
                                       QStringLiteral("IVA: %1").arg(formatAmountGrouped(document.totaleIva)),
                                       QStringLiteral("Totale: %1").arg(formatAmountGrouped(document.totale)),
                                       QStringLiteral("File: %1").arg(QFileInfo(outcome.filePath).fileName())}
                               .join(QLatin1Char('\n')));
    statusBar()->showMessage(QStringLiteral("Fattura elettronica salvata in %1").arg(QDir::toNativeSeparators(outcome.filePath)),
                             5000);
    if (Questions::ask(box) == QMessageBox::Open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(outcome.filePath).absolutePath()));
}

void MyClass::exportYearEInvoices(int year)
{
    // In the order they were issued, so that the progressives follow the numbers.
    QList<DocumentRegister::Entry> entries;
    const QList<DocumentRegister::Entry> listed = documents().entries(year);
    std::copy_if(listed.crbegin(), listed.crend(), std::back_inserter(entries),
                 [](const DocumentRegister::Entry& entry) { return EInvoiceExport::exportable(entry.docType); });
    if (entries.isEmpty()) {
        Questions::notify(this, QMessageBox::Information,
                          QStringLiteral("Nessuna fattura o nota dell'anno %1 da esportare.").arg(year));
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Fatture elettroniche dell'anno %1").arg(year));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.zip"));
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.selectFile(QStringLiteral("fatture_elettroniche_%1.zip").arg(year));
    const QString zipPath = Questions::chooseFile(dialog);
    if (zipPath.isEmpty())
        return;

    const DocumentRegister& documents = this->documents();
    // read on the worker while the progress dialog keeps the records from being edited
    const ModelFacade* model = ModelFacade::instance();
    const YearExport result = runWithProgress<YearExport>(
        QStringLiteral("Esportazione delle fatture elettroniche in corso..."), terminationRequested,
        [&documents, model, entries, zipPath](const std::function<void(qint64, qint64)>& progress) {
            // reading the files is half the work, writing the other half
            const qint64 total = 2 * qint64(entries.size());
            YearExport done;
            QList<InvoiceData> loaded;
            for (const DocumentRegister::Entry& entry : entries) {
                if (const std::optional<InvoiceData> document = documents.open(entry.id)) {
                    loaded << model->withCurrentFiscalData(*document);
                } else {
                    done.unreadable << QStringLiteral("%1 N. %2: il file del documento è danneggiato")
                                           .arg(entry.docType, formatCount(entry.number));
                }
                progress(qint64(loaded.size() + done.unreadable.size()), total);
            }
            done.outcome = EInvoiceExport().exportYear(loaded, zipPath, [&](int written, int) {
                progress(qint64(entries.size()) + written, total);
                return true;
            });
            return done;
        });

    const EInvoiceExport::Outcome& outcome = result.outcome;
    const QStringList refused = result.unreadable + outcome.failures;
    QMessageBox box(outcome.written() ? QMessageBox::Information : QMessageBox::Critical, QString(),
                    outcome.written()
                        ? QStringLiteral("Fatture elettroniche dell'anno %1 esportate: %2 in %3.")
                              .arg(QString::number(year), formatCount(outcome.documents),
                                   QDir::toNativeSeparators(outcome.filePath))
                        : QStringLiteral("Nessun archivio scritto per l'anno %1: %2.").arg(QString::number(year), outcome.reason),
                    QMessageBox::Ok, this);
    // A year of refusals would not fit on the screen: the first ones, and all in the details.
    constexpr int shown = 10;
    if (!refused.isEmpty()) {
        QString text = QStringLiteral("Non esportati:\n") + bulleted(refused.mid(0, shown));
        if (refused.size() > shown) {
            text += QStringLiteral("\n... e altri %1 (vedere i dettagli)").arg(refused.size() - shown);
            box.setDetailedText(refused.join(QLatin1Char('\n')));
        }
        box.setInformativeText(text);
    }
    Questions::ask(box);
}
