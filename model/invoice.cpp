#include "invoice.h"

#include "company.h"
#include "lineitem.h"
#include "numbertext.h"
#include "paymentmodes.h"

#include <QDebug>

namespace {

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
    const int id = ++lineCounter;
    auto* item = new LineItem(this, id, ivaPercent);
    lineItems.insert(id, item);
    connect(item, &LineItem::totalAmountChanged, this, &Invoice::updateTotale);
    connect(item, &LineItem::lineItemChanged, this, &Invoice::handleLineItemChanged);
    return id;
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
    totaleMerci = 0;
    for (const LineItem* item : std::as_const(lineItems))
        totaleMerci += item->getTotalAmount();
    totaleImponibile = totaleMerci;
    // the invoice discount multiplies first, then divides
    importoSconto = std::max(0.0, totaleImponibile * scontoF / 100);
    totaleImponibile -= importoSconto;
    // VAT on the goods only: transport, packing, sundry costs and bank charges carry none
    totaleIva = totaleImponibile > 0 ? totaleImponibile * ivaRate : 0;
    totale = totaleImponibile + totaleIva + trasporto + imballo + varie + speseBancarie;
    totaleIva = std::max(0.0, totaleIva);
    totale = std::max(0.0, totale);
    totaleImponibile = std::max(0.0, totaleImponibile);
    Q_EMIT invoiceAmountChanged();
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

void Invoice::addScadenzaDate(const QDate& date, const QString& note)
{
    scadenze.append({date, note});
    Q_EMIT scadenzeChanged();
}

void Invoice::removeScadenzaDate(const QDate& date, const QString& note)
{
    // the latest of equal entries goes first
    for (qsizetype i = scadenze.size() - 1; i >= 0; --i) {
        if (scadenze.at(i).first == date && scadenze.at(i).second == note) {
            scadenze.removeAt(i);
            break;
        }
    }
    Q_EMIT scadenzeChanged();
}
