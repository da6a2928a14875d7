#include "invoice.h"

#include "amounttext.h"
#include "company.h"
#include "companykeys.h"
#include "fiscalcodes.h"
#include "lineitem.h"
#include "numbertext.h"
#include "paymentmodes.h"

#include <QDebug>
#include <QLocale>
#include <QSignalBlocker>

#include <cmath>

namespace {

// The stamp duty is due when the untaxed amounts that bear it exceed 77,47 euro.
constexpr qint64 stampThresholdCents = 7747;
constexpr double stampDuty = 2.00;

// Line identifiers are never reused during a run, not even after a reset, so that a row
// of a dropped invoice can never be mistaken for a row of the new one.
int lineCounter = 0;

} // namespace

Invoice::Invoice(QObject* parent) : Serializable(parent, QString())
{
}

Invoice::~Invoice() = default;

QString Invoice::recordType() const
{
    return typeName;
}

QString Invoice::recordId() const
{
    return QStringLiteral("0");
}

int Invoice::addLineItem()
{
    return makeLineItem()->getId();
}

LineItem* Invoice::makeLineItem()
{
    const int id = ++lineCounter;
    auto* item = new LineItem(this, id, ivaPercent);
    lineItems.insert(id, item);
    connect(item, &LineItem::totalAmountChanged, this, &Invoice::updateTotale);
    connect(item, &LineItem::lineItemChanged, this, &Invoice::handleLineItemChanged);
    return item;
}

void Invoice::removeLineItem(int id)
{
    delete lineItems.take(id);
    updateTotale();
    Q_EMIT invoiceChanged();
}

void Invoice::setLineItemField(int id, const QString& key, const QString& value)
{
    if (LineItem* item = lineItems.value(id))
        item->setField(key, value);
}

QString Invoice::getLineItemField(int id, const QString& key) const
{
    const LineItem* item = lineItems.value(id);
    return item ? item->getField(key) : QString();
}

QList<int> Invoice::lineItemIds() const
{
    return lineItems.keys();
}

void Invoice::setIva(int percent)
{
    ivaPercent = percent;
    ivaRate = percent / 100.0;
    // One rate applies to the whole document: a row showing another code would contradict
    // the VAT charged, on screen and on paper.
    for (LineItem* item : std::as_const(lineItems))
        item->setIvaCode(percent);
    qDebug() << "IVA CALCOLATA PER LA FATTURA :" << ivaRate;
    Q_EMIT invoiceChanged();
    updateTotale();
}

bool Invoice::setCost(double* member, const QString& text)
{
    const std::optional<double> value = parseAmount(text);
    if (value)
        *member = std::max(0.0, *value);
    return value.has_value();
}

void Invoice::setScontoF(const QString& text)
{
    setCost(&scontoF, text);
    updateTotale();
    Q_EMIT invoiceAmountChanged();
}

bool Invoice::setCostAndRecompute(double* member, const QString& text)
{
    const bool converted = setCost(member, text);
    // a cost is money: kept in cents, as printed and exported
    if (member == &trasporto || member == &varie || member == &imballo || member == &speseBancarie)
        *member = roundedToCents(*member);
    Q_EMIT invoiceChanged();
    updateTotale();
    return converted;
}

bool Invoice::setTrasporto(const QString& text)
{
    return setCostAndRecompute(&trasporto, text);
}

bool Invoice::setVarie(const QString& text)
{
    return setCostAndRecompute(&varie, text);
}

bool Invoice::setImballo(const QString& text)
{
    return setCostAndRecompute(&imballo, text);
}

bool Invoice::setSpeseBancarie(const QString& text)
{
    return setCostAndRecompute(&speseBancarie, text);
}

bool Invoice::setColli(const QString& text)
{
    return setCostAndRecompute(&colli, text);
}

bool Invoice::setPesoColli(const QString& text)
{
    return setCostAndRecompute(&pesoColli, text);
}

bool Invoice::setNettoTotaleColli(const QString& text)
{
    return setCostAndRecompute(&nettoTotaleColli, text);
}

bool Invoice::setLordoColli(const QString& text)
{
    return setCostAndRecompute(&lordoColli, text);
}

void Invoice::setNumFattura(const QString& text)
{
    numFattura = parseCount(text).value_or(0);
    Q_EMIT invoiceChanged();
}

void Invoice::setFDate(const QDate& date)
{
    fDate = date;
    Q_EMIT invoiceChanged();
}

void Invoice::setFNote(const QString& text)
{
    note = text;
}

void Invoice::setDocType(const QString& text)
{
    docType = text;
}

void Invoice::setCustomer(Company* company)
{
    customer = company;
    Q_EMIT currentCustomerChanged(company ? company->fields() : nullptr);
}

Company* Invoice::getCustomer() const
{
    return customer;
}

QMap<QString, QString>* Invoice::getCustomerFields() const
{
    return customer ? customer->fields() : nullptr;
}

void Invoice::updateTotale()
{
    computeTotals();
    Q_EMIT invoiceAmountChanged();
}

void Invoice::computeTotals()
{
    // Every amount is rounded to the cent where it arises and the totals add those cents,
    // so the page, the stored document and the e-invoice agree to the cent.
    totaleMerci = 0;
    for (const LineItem* item : std::as_const(lineItems))
        totaleMerci += item->getTotalAmount();
    totaleMerci = roundedToCents(totaleMerci);
    // the invoice discount multiplies first, then divides
    importoSconto = roundedToCents(std::max(0.0, totaleMerci * scontoF / 100));
    const double spese = roundedToCents(trasporto + imballo + varie + speseBancarie);
    // With VAT on the costs they are taxed at the document's rate; without, they carry none
    // and are added after the VAT.
    totaleImponibile = roundedToCents(totaleMerci - importoSconto + (ivaSpese ? spese : 0.0));
    const double speseEscluse = ivaSpese ? 0.0 : spese;
    totaleIva = totaleImponibile > 0 ? roundedToCents(totaleImponibile * ivaRate) : 0;

    qint64 stampBase = 0;
    if (ivaPercent == 0 && FiscalCodes::requiresStamp(natura))
        stampBase += std::max<qint64>(0, toCents(totaleImponibile));
    if (!ivaSpese && FiscalCodes::requiresStamp(naturaSpese))
        stampBase += toCents(speseEscluse);
    bollo = stampBase > stampThresholdCents ? stampDuty : 0;

    totale = roundedToCents(totaleImponibile + totaleIva + speseEscluse + (bolloACarico ? bollo : 0.0));
    totaleIva = std::max(0.0, totaleIva);
    totale = std::max(0.0, totale);
    totaleImponibile = std::max(0.0, totaleImponibile);
}

void Invoice::handleLineItemChanged(int id)
{
    Q_EMIT lineItemChanged(id);
}

QStringList Invoice::paymentModes()
{
    static const QStringList modes = {QString(), QStringLiteral("RIMESSA DIRETTA"), QStringLiteral("CONTANTI"),
                                      RIBA_PAYMENT_MODE, QStringLiteral("BONIFICO")};
    return modes;
}

bool Invoice::setPayment(const QString& mode)
{
    payment = mode;
    Q_EMIT invoicePaymentChanged();
    return true;
}

void Invoice::setTmpBankInfo(const QString& abi, const QString& cab, const QString& iban, const QString& filiale)
{
    if (customer)
        customer->setTmpBankInfo(abi, cab, iban, filiale);
}

QMap<QString, QString> Invoice::getPaymentInfo() const
{
    return customer ? customer->getInfoForPayment(payment) : QMap<QString, QString>();
}

void Invoice::setNatura(const QString& code, const QString& riferimento)
{
    natura = code;
    riferimentoNormativo = riferimento;
    Q_EMIT invoiceChanged();
    updateTotale();
}

void Invoice::setCompanySettings(const QMap<QString, QString>& company)
{
    takeCompanySettings(company);
    updateTotale();
}

const QStringList& Invoice::companySettingKeys()
{
    static const QStringList keys = {IVA_SPESE, NATURA_SPESE, RIFERIMENTO_SPESE, BOLLO_A_CARICO, MODALITA_RIMESSA};
    return keys;
}

void Invoice::takeCompanySettings(const QMap<QString, QString>& company)
{
    companySettings.clear();
    for (const QString& key : companySettingKeys()) {
        if (!company.value(key).isEmpty())
            companySettings.insert(key, company.value(key));
    }
    const QString on = QStringLiteral("1");
    ivaSpese = company.value(IVA_SPESE) == on;
    naturaSpese = company.value(NATURA_SPESE);
    bolloACarico = company.value(BOLLO_A_CARICO) == on;
    modalitaRimessa = company.value(MODALITA_RIMESSA);
}

bool Invoice::setImportoScadenza(int index, double amount)
{
    if (index < 0 || index >= importiScadenza.size() || !std::isfinite(amount) || amount < 0)
        return false;
    importiScadenza[index] = roundedToCents(amount);
    Q_EMIT scadenzeChanged();
    return true;
}

QList<double> Invoice::getImportiScadenze() const
{
    qint64 rest = toCents(totale);
    qsizetype unset = 0;
    for (const std::optional<double>& amount : importiScadenza) {
        if (amount)
            rest -= toCents(*amount);
        else
            ++unset;
    }
    rest = std::max<qint64>(0, rest);
    QList<double> amounts;
    qsizetype shared = 0;
    for (const std::optional<double>& amount : importiScadenza) {
        if (amount) {
            amounts.append(*amount);
            continue;
        }
        ++shared;
        qint64 share = rest / unset;
        if (shared == unset)
            share += rest % unset;
        amounts.append(share / 100.0);
    }
    return amounts;
}

void Invoice::addScadenzaDate(const QDate& date, const QString& note)
{
    scadenze.append({date, note});
    importiScadenza.append(std::nullopt);
    Q_EMIT scadenzeChanged();
}

void Invoice::removeScadenzaDate(const QDate& date, const QString& note)
{
    // the latest of equal entries goes first
    for (qsizetype i = scadenze.size() - 1; i >= 0; --i) {
        if (scadenze.at(i).first == date && scadenze.at(i).second == note) {
            scadenze.removeAt(i);
            importiScadenza.removeAt(i);
            break;
        }
    }
    Q_EMIT scadenzeChanged();
}

void Invoice::setLinkedDocument(int number, const QDate& date)
{
    linkedNumber = number;
    linkedDate = date;
    Q_EMIT invoiceChanged();
}

InvoiceData Invoice::snapshot() const
{
    InvoiceData data;
    data.docType = docType;
    data.number = numFattura;
    data.date = fDate;
    data.note = note;
    data.linkedNumber = linkedNumber;
    data.linkedDate = linkedDate;
    if (customer)
        data.customer = *customer->fields();
    const QStringList keys = LineItem::fieldKeys();
    for (const LineItem* item : std::as_const(lineItems)) {
        InvoiceData::FieldMap row;
        for (const QString& key : keys)
            row.insert(key, item->getField(key));
        data.rows.append(row);
    }
    data.ivaPercent = ivaPercent;
    data.scontoF = scontoF;
    data.importoSconto = importoSconto;
    data.trasporto = trasporto;
    data.varie = varie;
    data.imballo = imballo;
    data.speseBancarie = speseBancarie;
    data.colli = colli;
    data.pesoColli = pesoColli;
    data.nettoTotaleColli = nettoTotaleColli;
    data.lordoColli = lordoColli;
    data.payment = payment;
    data.paymentInfo = getPaymentInfo();
    data.scadenze = scadenze;
    data.totaleMerci = totaleMerci;
    data.totalImp = totaleImponibile;
    data.totaleIva = totaleIva;
    data.totale = totale;
    // nature and legal reference belong to a 0 % rate only
    if (ivaPercent == 0) {
        data.natura = natura;
        data.riferimentoNormativo = riferimentoNormativo;
    }
    data.bollo = bollo;
    data.modalitaPagamento = FiscalCodes::modalitaFor(payment);
    if (data.modalitaPagamento.isEmpty() && !payment.isEmpty())
        data.modalitaPagamento = modalitaRimessa;
    data.importiScadenze = getImportiScadenze();
    return data;
}

namespace {

// A row stores its numbers with a decimal point; typed values are read the Italian way
// first, where "1.250" is a thousand two hundred and fifty. Given with a decimal comma,
// a stored quantity of 1.25 comes back as 1.25.
QString typedForm(const QString& stored)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(stored, &ok);
    if (!ok)
        return stored;
    QLocale italian(QLocale::Italian, QLocale::Italy);
    italian.setNumberOptions(QLocale::OmitGroupSeparator);
    return italian.toString(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace

void Invoice::removeAllLineItems()
{
    qDeleteAll(lineItems);
    lineItems.clear();
}

void Invoice::restore(const InvoiceData& document)
{
    docType = document.docType;
    numFattura = document.number;
    fDate = document.date;
    note = document.note;
    linkedNumber = document.linkedNumber;
    linkedDate = document.linkedDate;
    ivaPercent = document.ivaPercent;
    ivaRate = ivaPercent / 100.0;
    scontoF = document.scontoF;
    trasporto = document.trasporto;
    varie = document.varie;
    imballo = document.imballo;
    speseBancarie = document.speseBancarie;
    colli = document.colli;
    pesoColli = document.pesoColli;
    nettoTotaleColli = document.nettoTotaleColli;
    lordoColli = document.lordoColli;
    payment = document.payment;
    scadenze = document.scadenze;
    importiScadenza = QList<std::optional<double>>(scadenze.size());
    // a document that has no nature (its rate is not 0) leaves the chosen one in place
    if (!document.natura.isEmpty()) {
        natura = document.natura;
        riferimentoNormativo = document.riferimentoNormativo;
    }
    // the document is computed as it was issued: with its company's settings
    if (!document.company.isEmpty())
        takeCompanySettings(document.company);

    removeAllLineItems();
    for (const InvoiceData::FieldMap& row : document.rows) {
        LineItem* item = makeLineItem();
        // filled silently: one recomputation and one refresh for the whole document
        const QSignalBlocker silent(item);
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            item->setField(it.key(), LineItem::isNumericField(it.key()) ? typedForm(it.value()) : it.value());
    }
    computeTotals();
    // Amounts that are the even split stay unset, and follow the total when it changes.
    if (document.importiScadenze.size() == scadenze.size() && document.importiScadenze != getImportiScadenze()) {
        for (qsizetype i = 0; i < scadenze.size(); ++i)
            importiScadenza[i] = roundedToCents(document.importiScadenze.at(i));
    }
    Q_EMIT invoiceChanged();
    Q_EMIT invoicePaymentChanged();
    Q_EMIT scadenzeChanged();
    updateTotale();
}
