#pragma once

#include "invoicedata.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Writes the electronic invoices of issued documents into the folder the user chose, each
// under a progressive of its own that is never used twice. The progressive counter and the
// folder are kept in the data directory ("einvoice_0.xml"), so a backup carries them.
class EInvoiceExport
{
public:
    struct Outcome
    {
        QString filePath;     // the file written; empty when nothing was
        QStringList failures; // what the user must fix, one Italian sentence each
        QString reason;       // why the file could not be written, such as "disco pieno"
        int documents = 0;    // electronic invoices written (in the zip, for a year)
        bool written() const { return !filePath.isEmpty(); }
    };

    // FATTURA, FATTURA ACCOMPAGNATORIA, NOTA DI CREDITO and NOTA DI DEBITO; not a
    // DOCUMENTO DI TRASPORTO.
    static bool exportable(const QString& docType);
    // "FATTURA N. 42 del 06/12/2026", as messages name a document.
    static QString documentLabel(const InvoiceData& document);

    // The folder chosen once; empty until then.
    QString folder() const;
    bool setFolder(const QString& folder);

    // Builds, checks and writes `IT<own VAT number>_<progressive>.xml` into folder().
    Outcome exportDocument(const InvoiceData& document);
    // Every exportable document of the list into one zip for the accountant. `progress` is
    // called after each document with (done, total) and may return false to stop; then no
    // zip is left behind.
    Outcome exportYear(const QList<InvoiceData>& documents, const QString& zipPath,
                       const std::function<bool(int, int)>& progress = {});

private:
    // The first of `count` new progressives, stored before it is used; empty (and `reason`
    // says why) when the counter cannot be written.
    std::optional<qint64> reserve(int count, const QString& folder, const QString& namePrefix, QString* reason);
};
