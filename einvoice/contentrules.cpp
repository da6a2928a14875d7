#include "contentrules.h"

#include "amounttext.h"

#include <QDate>
#include <QDomDocument>
#include <QHash>
#include <QSet>

#include <cmath>
#include <functional>

namespace EInvoice {
namespace {

using Details = QStringList; // one entry per place that breaks the rule; empty when it holds

QString text(const QDomElement& parent, const QString& child)
{
    return parent.firstChildElement(child).text().trimmed();
}

QList<QDomElement> children(const QDomElement& parent, const QString& name)
{
    QList<QDomElement> found;
    for (QDomElement e = parent.firstChildElement(name); !e.isNull(); e = e.nextSiblingElement(name))
        found.append(e);
    return found;
}

double number(const QString& value)
{
    return value.toDouble();
}

// One FatturaElettronicaBody with the parts the rules look at.
struct Body
{
    int index = 0;
    QString tipoDocumento;
    QDate data;
    QList<QDate> collegate; // dates of the invoices a note refers to
    QString numero;
    QList<QDomElement> linee;
    QList<QDomElement> riepiloghi;
    QList<QDomElement> casse; // DatiCassaPrevidenziale: rated and natured like a line
};

struct Invoice
{
    QDomElement header;
    QList<Body> bodies;
};

QString where(const Body& body, const QString& place, const QString& value)
{
    const QString prefix = body.index > 1 ? QStringLiteral("documento %1, ").arg(body.index) : QString();
    return prefix + place + QStringLiteral(" ") + value;
}

QString rateKey(const QString& rate)
{
    return QString::number(number(rate), 'f', 2);
}

QString lineLabel(const QDomElement& line)
{
    return QStringLiteral("linea ") + text(line, QStringLiteral("NumeroLinea"));
}

QString summaryLabel(const QDomElement& summary)
{
    const QString natura = text(summary, QStringLiteral("Natura"));
    return QStringLiteral("riepilogo ") + rateKey(text(summary, QStringLiteral("AliquotaIVA"))) + QStringLiteral(" %")
           + (natura.isEmpty() ? QString() : QStringLiteral(" ") + natura);
}

// Every block that carries a rate and a nature: lines and social-security contributions.
QList<QPair<QDomElement, QString>> ratedBlocks(const Body& body)
{
    QList<QPair<QDomElement, QString>> blocks;
    for (const QDomElement& line : body.linee)
        blocks.append({line, lineLabel(line)});
    for (const QDomElement& cassa : body.casse)
        blocks.append({cassa, QStringLiteral("cassa previdenziale ") + text(cassa, QStringLiteral("TipoCassa"))});
    return blocks;
}

// Natura present exactly when the rate is zero (self-billing TD16 excepted).
Details naturaAgainstRate(const Body& body, const QList<QPair<QDomElement, QString>>& blocks, bool wantZero)
{
    Details details;
    if (body.tipoDocumento == QLatin1String("TD16"))
        return details;
    for (const auto& [block, label] : blocks) {
        const bool zero = number(text(block, QStringLiteral("AliquotaIVA"))) == 0;
        const bool natura = !text(block, QStringLiteral("Natura")).isEmpty();
        if (wantZero ? (zero && !natura) : (!zero && natura))
            details.append(where(body, label, QString()).trimmed());
    }
    return details;
}

QList<QPair<QDomElement, QString>> summaryBlocks(const Body& body)
{
    QList<QPair<QDomElement, QString>> blocks;
    for (const QDomElement& summary : body.riepiloghi)
        blocks.append({summary, summaryLabel(summary)});
    return blocks;
}

// The values of one child over the lines and contributions, and over the summaries.
QSet<QString> values(const QList<QPair<QDomElement, QString>>& blocks, const QString& child, bool asRate)
{
    QSet<QString> found;
    for (const auto& block : blocks) {
        const QString value = text(block.first, child);
        if (!value.isEmpty())
            found.insert(asRate ? rateKey(value) : value);
    }
    return found;
}

Details correspondence(const Body& body, const QString& child, bool asRate)
{
    const QSet<QString> used = values(ratedBlocks(body), child, asRate);
    const QSet<QString> summarised = values(summaryBlocks(body), child, asRate);
    Details details;
    for (const QString& value : used)
        if (!summarised.contains(value))
            details.append(where(body, QStringLiteral("senza riepilogo:"), value));
    for (const QString& value : summarised)
        if (!used.contains(value))
            details.append(where(body, QStringLiteral("riepilogo senza linee:"), value));
    details.sort();
    return details;
}

Details forEachBody(const Invoice& invoice, const std::function<Details(const Body&)>& check)
{
    Details details;
    for (const Body& body : invoice.bodies)
        details += check(body);
    return details;
}

Details naturaMissing(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return naturaAgainstRate(b, ratedBlocks(b), true); });
}

Details naturaUnexpected(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return naturaAgainstRate(b, ratedBlocks(b), false); });
}

Details summaryNaturaMissing(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return naturaAgainstRate(b, summaryBlocks(b), true); });
}

Details summaryNaturaUnexpected(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return naturaAgainstRate(b, summaryBlocks(b), false); });
}

Details buyerUnidentified(const Invoice& invoice)
{
    const QDomElement buyer = invoice.header.firstChildElement(QStringLiteral("CessionarioCommittente"))
                                  .firstChildElement(QStringLiteral("DatiAnagrafici"));
    if (buyer.firstChildElement(QStringLiteral("IdFiscaleIVA")).isNull()
        && text(buyer, QStringLiteral("CodiceFiscale")).isEmpty())
        return {QStringLiteral("cessionario/committente")};
    return {};
}

Details summaryPerRate(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) -> Details {
        const int rates = values(ratedBlocks(b), QStringLiteral("AliquotaIVA"), true).size();
        if (b.riepiloghi.size() < rates)
            return {where(b, QStringLiteral("aliquote"), QString::number(rates))
                    + QStringLiteral(", riepiloghi ") + QString::number(b.riepiloghi.size())};
        return {};
    });
}

Details ratesSummarised(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return correspondence(b, QStringLiteral("AliquotaIVA"), true); });
}

Details natureSummarised(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) { return correspondence(b, QStringLiteral("Natura"), false); });
}

// Imposta = ImponibileImporto x AliquotaIVA / 100, to the cent, one cent of tolerance.
Details impostaComputed(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) {
        Details details;
        for (const QDomElement& summary : b.riepiloghi) {
            const double expected = number(text(summary, QStringLiteral("ImponibileImporto")))
                                    * number(text(summary, QStringLiteral("AliquotaIVA"))) / 100.0;
            const qint64 stated = toCents(number(text(summary, QStringLiteral("Imposta"))));
            if (std::llabs(stated - toCents(expected)) > 1)
                details.append(where(b, summaryLabel(summary), QStringLiteral(": attesa %1").arg(expected, 0, 'f', 2)));
        }
        return details;
    });
}

// ImponibileImporto = the line totals (and contributions) of its rate and nature, plus
// SpeseAccessorie and Arrotondamento; the exchange system tolerates one euro.
Details imponibileComputed(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) {
        QHash<QString, double> computed, stated;
        const auto key = [](const QDomElement& e) {
            return rateKey(text(e, QStringLiteral("AliquotaIVA"))) + QLatin1Char('/') + text(e, QStringLiteral("Natura"));
        };
        for (const QDomElement& line : b.linee)
            computed[key(line)] += number(text(line, QStringLiteral("PrezzoTotale")));
        for (const QDomElement& cassa : b.casse)
            computed[key(cassa)] += number(text(cassa, QStringLiteral("ImportoContributoCassa")));
        QStringList order;
        for (const QDomElement& summary : b.riepiloghi) {
            if (!stated.contains(key(summary)))
                order.append(key(summary));
            stated[key(summary)] += number(text(summary, QStringLiteral("ImponibileImporto")));
            computed[key(summary)] += number(text(summary, QStringLiteral("SpeseAccessorie")))
                                      + number(text(summary, QStringLiteral("Arrotondamento")));
        }
        Details details;
        for (const QString& k : order)
            if (std::llabs(toCents(stated.value(k)) - toCents(computed.value(k))) > 100)
                details.append(where(b, QStringLiteral("riepilogo"), k)
                               + QStringLiteral(": somma delle linee %1").arg(computed.value(k), 0, 'f', 2));
        return details;
    });
}

// PrezzoTotale = (PrezzoUnitario less or plus each ScontoMaggiorazione in turn) x Quantita,
// one cent of tolerance.
Details prezzoTotaleComputed(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) {
        Details details;
        for (const QDomElement& line : b.linee) {
            double price = number(text(line, QStringLiteral("PrezzoUnitario")));
            for (const QDomElement& change : children(line, QStringLiteral("ScontoMaggiorazione"))) {
                const double sign = text(change, QStringLiteral("Tipo")) == QLatin1String("SC") ? -1 : 1;
                const QString amount = text(change, QStringLiteral("Importo"));
                price += sign * (amount.isEmpty() ? price * number(text(change, QStringLiteral("Percentuale"))) / 100.0
                                                  : number(amount));
            }
            const QString quantity = text(line, QStringLiteral("Quantita"));
            const double expected = price * (quantity.isEmpty() ? 1.0 : number(quantity));
            const double stated = number(text(line, QStringLiteral("PrezzoTotale")));
            if (std::fabs(stated - expected) > 0.01 + 1e-9)
                details.append(where(b, lineLabel(line), QStringLiteral(": atteso %1").arg(expected, 0, 'f', 2)));
        }
        return details;
    });
}

// A rate written as a fraction ("0.22") instead of a percentage ("22.00").
Details ratePercent(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) {
        Details details;
        for (const auto& [block, label] : ratedBlocks(b) + summaryBlocks(b)) {
            const double rate = number(text(block, QStringLiteral("AliquotaIVA")));
            if (rate > 0 && rate < 1)
                details.append(where(b, label, QString()).trimmed());
        }
        return details;
    });
}

Details numeroHasDigit(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) -> Details {
        for (const QChar c : b.numero)
            if (c.isDigit())
                return {};
        return {where(b, QStringLiteral("numero"), b.numero)};
    });
}

// The exchange system refuses a document dated after the day it receives it.
Details dataNotFuture(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) -> Details {
        if (b.data > QDate::currentDate())
            return {where(b, QStringLiteral("data"), b.data.toString(QStringLiteral("dd/MM/yyyy")))};
        return {};
    });
}

// A note cannot be dated before the invoice it refers to.
Details dataNotBeforeLinked(const Invoice& invoice)
{
    return forEachBody(invoice, [](const Body& b) -> Details {
        Details details;
        for (const QDate& linked : b.collegate)
            if (b.data < linked)
                details.append(where(b, QStringLiteral("fattura collegata del"), linked.toString(QStringLiteral("dd/MM/yyyy"))));
        return details;
    });
}

// FPR12 (to businesses and consumers) takes a 7-character recipient code, FPA12 a 6-character one.
Details codiceDestinatarioLength(const Invoice& invoice)
{
    const QDomElement transmission = invoice.header.firstChildElement(QStringLiteral("DatiTrasmissione"));
    const QString format = text(transmission, QStringLiteral("FormatoTrasmissione"));
    const QString code = text(transmission, QStringLiteral("CodiceDestinatario"));
    const int wanted = format == QLatin1String("FPA12") ? 6 : 7;
    if (code.size() != wanted)
        return {format + QStringLiteral(" con codice ") + code};
    return {};
}

// "XXXXXXX" stands for a customer abroad: one known by a foreign VAT identifier.
Details foreignRecipientAbroad(const Invoice& invoice)
{
    const QString code = text(invoice.header.firstChildElement(QStringLiteral("DatiTrasmissione")),
                              QStringLiteral("CodiceDestinatario"));
    const QString paese = text(invoice.header.firstChildElement(QStringLiteral("CessionarioCommittente"))
                                   .firstChildElement(QStringLiteral("DatiAnagrafici"))
                                   .firstChildElement(QStringLiteral("IdFiscaleIVA")),
                               QStringLiteral("IdPaese"));
    if (code == QLatin1String("XXXXXXX") && (paese.isEmpty() || paese == QLatin1String("IT")))
        return {QStringLiteral("cliente ") + (paese.isEmpty() ? QStringLiteral("senza identificativo IVA") : paese)};
    return {};
}

// The generic N2, N3 and N6 are refused on documents dated from 2021.
Details naturaSpecific(const Invoice& invoice)
{
    static const QSet<QString> generic = {QStringLiteral("N2"), QStringLiteral("N3"), QStringLiteral("N6")};
    return forEachBody(invoice, [](const Body& b) {
        Details details;
        if (b.data.isValid() && b.data < QDate(2021, 1, 1))
            return details;
        for (const auto& [block, label] : ratedBlocks(b) + summaryBlocks(b)) {
            const QString natura = text(block, QStringLiteral("Natura"));
            if (generic.contains(natura))
                details.append(where(b, label, QStringLiteral(": ") + natura));
        }
        return details;
    });
}

QString fiscalId(const QDomElement& anagrafici)
{
    const QDomElement id = anagrafici.firstChildElement(QStringLiteral("IdFiscaleIVA"));
    return id.isNull() ? QString()
                       : text(id, QStringLiteral("IdPaese")) + text(id, QStringLiteral("IdCodice"));
}

// Seller and buyer are different subjects, except on the documents a business issues to
// itself (TD21, TD27).
Details sellerIsNotBuyer(const Invoice& invoice)
{
    const QDomElement seller = invoice.header.firstChildElement(QStringLiteral("CedentePrestatore"))
                                   .firstChildElement(QStringLiteral("DatiAnagrafici"));
    const QDomElement buyer = invoice.header.firstChildElement(QStringLiteral("CessionarioCommittente"))
                                  .firstChildElement(QStringLiteral("DatiAnagrafici"));
    const QString sellerId = fiscalId(seller);
    const QString buyerId = fiscalId(buyer);
    const QString sellerCode = text(seller, QStringLiteral("CodiceFiscale"));
    const QString buyerCode = text(buyer, QStringLiteral("CodiceFiscale"));
    // an Italian company's tax code is usually its VAT number
    const QString sellerNumber = sellerId.startsWith(QLatin1String("IT")) ? sellerId.mid(2) : QString();
    const bool same = (!sellerId.isEmpty() && sellerId == buyerId)
                      || (!sellerCode.isEmpty() && sellerCode == buyerCode)
                      || (!sellerNumber.isEmpty() && sellerNumber == buyerCode);
    return forEachBody(invoice, [same](const Body& b) -> Details {
        static const QSet<QString> toItself = {QStringLiteral("TD21"), QStringLiteral("TD27")};
        if (same && !toItself.contains(b.tipoDocumento))
            return {where(b, QStringLiteral("tipo"), b.tipoDocumento)};
        return {};
    });
}

struct Rule
{
    const char* code;
    const char* message;
    Details (*check)(const Invoice&);
};

const Rule rules[] = {
    {"00400", "Linea con aliquota IVA zero senza NATURA", naturaMissing},
    {"00401", "Linea con NATURA ma aliquota IVA diversa da zero", naturaUnexpected},
    {"00403", "La data del documento è successiva a oggi", dataNotFuture},
    {"00418", "La data del documento è precedente a quella della fattura collegata", dataNotBeforeLinked},
    {"00313", "Il CODICE DESTINATARIO XXXXXXX vale solo per un cliente estero", foreignRecipientAbroad},
    {"00417", "Manca la PARTITA IVA o il CODICE FISCALE del cliente", buyerUnidentified},
    {"00419", "Manca un riepilogo (DatiRiepilogo) per un'aliquota IVA usata", summaryPerRate},
    {"00443", "Le aliquote IVA delle linee e dei riepiloghi non corrispondono", ratesSummarised},
    {"00444", "Le NATURE delle linee e dei riepiloghi non corrispondono", natureSummarised},
    {"00421", "Imposta del riepilogo diversa da imponibile per aliquota", impostaComputed},
    {"00422", "Imponibile del riepilogo diverso dalla somma delle linee", imponibileComputed},
    {"00423", "Prezzo totale della linea diverso da prezzo per quantità meno gli sconti", prezzoTotaleComputed},
    {"00424", "Aliquota IVA non espressa in percentuale", ratePercent},
    {"00425", "Il numero del documento non contiene cifre", numeroHasDigit},
    {"00427", "Il CODICE DESTINATARIO non ha la lunghezza del formato", codiceDestinatarioLength},
    {"00429", "Riepilogo con aliquota IVA zero senza NATURA", summaryNaturaMissing},
    {"00430", "Riepilogo con NATURA ma aliquota IVA diversa da zero", summaryNaturaUnexpected},
    {"00445", "NATURA generica N2, N3 o N6 non più ammessa", naturaSpecific},
    {"00471", "Il cliente coincide con l'azienda che emette il documento", sellerIsNotBuyer},
};

Invoice read(const QDomDocument& document)
{
    Invoice invoice;
    const QDomElement root = document.documentElement();
    invoice.header = root.firstChildElement(QStringLiteral("FatturaElettronicaHeader"));
    int index = 0;
    for (const QDomElement& element : children(root, QStringLiteral("FatturaElettronicaBody"))) {
        Body body;
        body.index = ++index;
        const QDomElement general = element.firstChildElement(QStringLiteral("DatiGenerali"))
                                        .firstChildElement(QStringLiteral("DatiGeneraliDocumento"));
        body.tipoDocumento = text(general, QStringLiteral("TipoDocumento"));
        body.data = QDate::fromString(text(general, QStringLiteral("Data")), Qt::ISODate);
        body.numero = text(general, QStringLiteral("Numero"));
        const QDomElement generali = element.firstChildElement(QStringLiteral("DatiGenerali"));
        for (const QDomElement& linked : children(generali, QStringLiteral("DatiFattureCollegate")))
            if (const QString date = text(linked, QStringLiteral("Data")); !date.isEmpty())
                body.collegate.append(QDate::fromString(date, Qt::ISODate));
        body.casse = children(general, QStringLiteral("DatiCassaPrevidenziale"));
        const QDomElement goods = element.firstChildElement(QStringLiteral("DatiBeniServizi"));
        body.linee = children(goods, QStringLiteral("DettaglioLinee"));
        body.riepiloghi = children(goods, QStringLiteral("DatiRiepilogo"));
        invoice.bodies.append(body);
    }
    return invoice;
}

} // namespace

QList<Finding> checkContentRules(const QByteArray& xml)
{
    QDomDocument document;
    if (!document.setContent(xml))
        return {{QStringLiteral("schema"), QStringLiteral("Il file non è un XML leggibile")}};
    const Invoice invoice = read(document);
    QList<Finding> findings;
    for (const Rule& rule : rules) {
        const QString message = QString::fromUtf8(rule.message);
        for (const QString& detail : rule.check(invoice))
            findings.append({QString::fromLatin1(rule.code), message + QStringLiteral(" (") + detail + QLatin1Char(')')});
    }
    return findings;
}

} // namespace EInvoice
