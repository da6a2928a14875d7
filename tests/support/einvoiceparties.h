#pragma once

#include "companykeys.h"
#include "invoicedata.h"

#include <QMap>
#include <QString>

// A seller and a buyer the exchange system accepts: Italian, with valid check digits.
inline QMap<QString, QString> acceptedSeller()
{
    return {{CODE, "AZ0001"},         {RAGIONE_S, "QUILL SNC"},     {PIVA, "01234567897"},
            {FISCAL_CODE, "01234567897"}, {ADDRESS, "VIA ROMA 1"},  {CAP, "47121"},
            {LOCALITY, "FORLÌ"},      {CITY, "FC"},                 {NAZIONE, "ITALIA"},
            {REGIME_FISCALE, "RF01"}, {REA_UFFICIO, "FC"},          {REA_NUMERO, "123456"}};
}

inline QMap<QString, QString> acceptedBuyer()
{
    return {{CODE, "C00007"},         {RAGIONE_S, "CAFFÈ ROSSI SRL"}, {PIVA, "IT 09876543217"},
            {ADDRESS, "VIA TORINO 38"}, {CAP, "00145"},               {LOCALITY, "ROMA"},
            {CITY, "rm"},             {CODICE_DESTINATARIO, "ABC1234"}};
}

// `document` as the accepted seller's `docType` number `number` of 6 December 2026 to the
// accepted buyer.
inline InvoiceData addressed(InvoiceData document, int number, const QString& docType = QStringLiteral("FATTURA"))
{
    document.docType = docType;
    document.number = number;
    document.date = QDate(2026, 12, 6);
    document.company = acceptedSeller();
    document.customer = acceptedBuyer();
    return document;
}
