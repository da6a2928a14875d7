#pragma once

#include "einvoice.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace EInvoice {

// The file made from a document, before anyone has checked it.
struct Assembled
{
    QByteArray xml; // empty when the document's data cannot make a file
    QList<Finding> findings; // what the user must change, naming the field
    // What the file states, to compare with the printed page.
    qint64 totaleCents = 0;
    qint64 impostaCents = 0;
};

// Writes the FPR12 file of an invoice, credit or debit note. The data the format needs is
// checked first; each gap or mistake is a finding in Italian that names the field.
Assembled assemble(const InvoiceData& document, const QString& progressivo);

// The own company's VAT number as the file name and the transmitter carry it: no spaces,
// no "IT" in front.
QString partitaIvaOf(const InvoiceData::FieldMap& party);

} // namespace EInvoice
