#pragma once

#include "invoicedata.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The FatturaPA 1.2.2 file ("FPR12", to businesses) of an issued document.
namespace EInvoice {

struct Finding
{
    QString code;    // the exchange system's rejection code ("00423"), "schema", or empty
                     // for data the file cannot be made without
    QString message; // Italian, naming the field the user changes
};

struct Built
{
    QByteArray xml; // UTF-8 without a byte-order mark; empty when a finding stands
    QList<Finding> findings;
    bool ok() const { return findings.isEmpty() && !xml.isEmpty(); }
};

// Builds the file sent as `progressivo` and checks it offline against the official schema
// and the content rules, before anyone writes it anywhere.
Built build(const InvoiceData& document, const QString& progressivo);

// "IT<own VAT number>_<progressivo>.xml"
QString fileName(const InvoiceData& document, const QString& progressivo);

} // namespace EInvoice
