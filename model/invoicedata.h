#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <optional>

// A document as a value: everything its page shows, taken once. The live Invoice produces
// one (Invoice::snapshot), the register stores and loads one, printing and the electronic
// invoice read one. An issued document is printed again from its snapshot, whatever the
// VAT rate, the customer or the own company have become since.
struct InvoiceData
{
    using FieldMap = QMap<QString, QString>;
    using Scadenza = QPair<QDate, QString>;

    // Header
    QString docType;      // "FATTURA", "FATTURA ACCOMPAGNATORIA", "NOTA DI CREDITO", ...
    int number = 0;       // N.FATTURA
    QDate date;
    QString note;
    // For a NOTA DI CREDITO made from an invoice: the credited invoice's number and date.
    int linkedNumber = 0;
    QDate linkedDate;

    // The parties as printed: the customer's and the own company's field maps (companykeys.h).
    FieldMap customer;
    FieldMap company;
    // Transport preferences as printed (preferencekeys.h keys), FORO_FIELD included.
    FieldMap transport;

    // Rows: each a map of the line-item keys (LineItemKey) to the texts the row shows.
    QList<FieldMap> rows;

    // Costs and parcels
    int ivaPercent = 0;
    double scontoF = 0;
    double importoSconto = 0;
    double trasporto = 0;
    double varie = 0;
    double imballo = 0;
    double speseBancarie = 0;
    double colli = 0;
    double pesoColli = 0;
    double nettoTotaleColli = 0;
    double lordoColli = 0;

    // Payment
    QString payment;
    FieldMap paymentInfo; // ABI, CAB, IBAN, FILIALE as printed
    QList<Scadenza> scadenze;

    // For a 0 % rate: the NATURA code (N1 ... N7) and its legal reference.
    QString natura;
    QString riferimentoNormativo;
    // The virtual stamp duty: 2,00 when the untaxed amounts that require it exceed 77,47,
    // otherwise 0. Part of the total only when the company charges it to the customer
    // (company BOLLO_A_CARICO).
    double bollo = 0;
    // ModalitaPagamento code (MP01 ... MP23) of the payment mode; empty when none is known.
    QString modalitaPagamento;
    // One amount per due date, in the order of `scadenze`; empty splits the total evenly.
    QList<double> importiScadenze;

    // Totals as printed
    double totaleMerci = 0;
    double totalImp = 0;
    double totaleIva = 0;
    double totale = 0;

    // The goods after the invoice discount: the taxable amount without the costs that the
    // company taxes with them.
    double merciNette() const;
    // The company taxes transport, packing, sundry costs and bank charges at the document's rate.
    bool speseImponibili() const;

    // The record's fields: flat keys such as "DOC_TYPE", "NUMBER", "DATE" (yyyy-MM-dd),
    // "CUSTOMER.RAGIONE_S", "COMPANY.PIVA", "TRANSPORT.PORTO_FIELD", "R001.description",
    // "SCADENZA001.DATE", amounts as decimal text with a point. Stored with the record files'
    // writer, so the format and its fast reader stay as they are.
    FieldMap toFields() const;
    // Empty (and `error` says why) when a required key is missing or a value does not read.
    static std::optional<InvoiceData> fromFields(const FieldMap& fields, QString* error = nullptr);

    bool operator==(const InvoiceData& other) const;

    // The electronic invoice needs data a document issued before those fields existed does
    // not carry, and that the user may add only after issuing: the customer's recipient code
    // and PEC, whether it is a person, the own company's tax regime and REA, the nature of
    // untaxed costs. Those left empty in the document are taken from today's records;
    // nothing that entered the totals ever is.
    InvoiceData withCurrentFiscalData(const FieldMap& ownCompany, const FieldMap& registeredCustomer) const;
};
