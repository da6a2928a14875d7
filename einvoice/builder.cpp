#include "builder.h"

#include "amounttext.h"
#include "companykeys.h"
#include "fiscalcodes.h"
#include "fiscalid.h"
#include "lineitem.h"
#include "preferencekeys.h"

#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamWriter>

#include <cmath>

namespace EInvoice {
namespace {

const QString italy = QStringLiteral("IT");
// The stamp duty carries no VAT: it is outside the scope of the tax.
const QString naturaBollo = QStringLiteral("N1");
const QString foreignRecipient = QStringLiteral("XXXXXXX");
constexpr qint64 stampThresholdCents = 7747;
constexpr qint64 stampCents = 200;
const QString riferimentoBollo = QStringLiteral("Escluso art. 15 DPR 633/72");

QString money(qint64 amount)
{
    const qint64 whole = std::llabs(amount);
    return QStringLiteral("%1%2.%3")
        .arg(amount < 0 ? QStringLiteral("-") : QString())
        .arg(whole / 100)
        .arg(whole % 100, 2, 10, QLatin1Char('0'));
}

// A decimal with 2 to 8 decimals, as prices and quantities are written.
QString decimal(double value)
{
    QString text = QString::number(value, 'f', 8);
    while (text.endsWith(QLatin1Char('0')) && text.indexOf(QLatin1Char('.')) < text.size() - 3)
        text.chop(1);
    return text;
}

QString rate(int percent)
{
    return QStringLiteral("%1.00").arg(percent);
}

// Characters users type that the file's Latin-1 texts do not take, and what stands in for them.
const QHash<QChar, QString>& transliterations()
{
    static const QHash<QChar, QString> table = {
        {QChar(0x20AC), QStringLiteral("EUR")}, {QChar(0x2018), QStringLiteral("'")},
        {QChar(0x2019), QStringLiteral("'")},   {QChar(0x201A), QStringLiteral("'")},
        {QChar(0x2032), QStringLiteral("'")},   {QChar(0x201C), QStringLiteral("\"")},
        {QChar(0x201D), QStringLiteral("\"")},  {QChar(0x201E), QStringLiteral("\"")},
        {QChar(0x2013), QStringLiteral("-")},   {QChar(0x2014), QStringLiteral("-")},
        {QChar(0x2212), QStringLiteral("-")},   {QChar(0x2026), QStringLiteral("...")},
        {QChar(0x2022), QStringLiteral("-")},   {QChar(0x2122), QStringLiteral("TM")},
        {QChar(0x0152), QStringLiteral("OE")},  {QChar(0x0153), QStringLiteral("oe")},
    };
    return table;
}

enum class Charset { BasicLatin, Latin1 };

// The sigle of the Italian provinces, to suggest the one a province's name stands for.
QString siglaOf(const QString& province)
{
    static const QHash<QString, QString> sigle = [] {
        const QString table = QStringLiteral(
            "AG AGRIGENTO|AL ALESSANDRIA|AN ANCONA|AO AOSTA|AP ASCOLI PICENO|AQ L'AQUILA|AR AREZZO|AT ASTI|"
            "AV AVELLINO|BA BARI|BG BERGAMO|BI BIELLA|BL BELLUNO|BN BENEVENTO|BO BOLOGNA|BR BRINDISI|BS BRESCIA|"
            "BT BARLETTA-ANDRIA-TRANI|BZ BOLZANO|CA CAGLIARI|CB CAMPOBASSO|CE CASERTA|CH CHIETI|CL CALTANISSETTA|"
            "CN CUNEO|CO COMO|CR CREMONA|CS COSENZA|CT CATANIA|CZ CATANZARO|EN ENNA|FC FORLI'-CESENA|FE FERRARA|"
            "FG FOGGIA|FI FIRENZE|FM FERMO|FR FROSINONE|GE GENOVA|GO GORIZIA|GR GROSSETO|IM IMPERIA|IS ISERNIA|"
            "KR CROTONE|LC LECCO|LE LECCE|LI LIVORNO|LO LODI|LT LATINA|LU LUCCA|MB MONZA E DELLA BRIANZA|"
            "MC MACERATA|ME MESSINA|MI MILANO|MN MANTOVA|MO MODENA|MS MASSA-CARRARA|MT MATERA|NA NAPOLI|NO NOVARA|"
            "NU NUORO|OR ORISTANO|PA PALERMO|PC PIACENZA|PD PADOVA|PE PESCARA|PG PERUGIA|PI PISA|PN PORDENONE|"
            "PO PRATO|PR PARMA|PT PISTOIA|PU PESARO E URBINO|PV PAVIA|PZ POTENZA|RA RAVENNA|RC REGGIO CALABRIA|"
            "RE REGGIO EMILIA|RG RAGUSA|RI RIETI|RM ROMA|RN RIMINI|RO ROVIGO|SA SALERNO|SI SIENA|SO SONDRIO|"
            "SP LA SPEZIA|SR SIRACUSA|SS SASSARI|SU SUD SARDEGNA|SV SAVONA|TA TARANTO|TE TERAMO|TN TRENTO|"
            "TO TORINO|TP TRAPANI|TR TERNI|TS TRIESTE|TV TREVISO|UD UDINE|VA VARESE|VB VERBANO-CUSIO-OSSOLA|"
            "VC VERCELLI|VE VENEZIA|VI VICENZA|VR VERONA|VT VITERBO|VV VIBO VALENTIA");
        QHash<QString, QString> map;
        for (const QString& entry : table.split(QLatin1Char('|')))
            map.insert(entry.mid(3), entry.left(2));
        return map;
    }();
    return sigle.value(province);
}

// Country names users store, and their ISO codes.
QString isoOf(const QString& country)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("ITALIA"), italy},         {QStringLiteral("ITALY"), italy},
        {QStringLiteral("SAN MARINO"), "SM"},      {QStringLiteral("GERMANIA"), "DE"},
        {QStringLiteral("FRANCIA"), "FR"},         {QStringLiteral("SPAGNA"), "ES"},
        {QStringLiteral("AUSTRIA"), "AT"},         {QStringLiteral("SVIZZERA"), "CH"},
        {QStringLiteral("SLOVENIA"), "SI"},        {QStringLiteral("CROAZIA"), "HR"},
        {QStringLiteral("BELGIO"), "BE"},          {QStringLiteral("OLANDA"), "NL"},
        {QStringLiteral("PAESI BASSI"), "NL"},     {QStringLiteral("PORTOGALLO"), "PT"},
        {QStringLiteral("GRECIA"), "GR"},          {QStringLiteral("POLONIA"), "PL"},
        {QStringLiteral("ROMANIA"), "RO"},         {QStringLiteral("REGNO UNITO"), "GB"},
        {QStringLiteral("STATI UNITI"), "US"},     {QStringLiteral("LUSSEMBURGO"), "LU"},
    };
    return codes.value(country);
}

struct Key
{
    int rate = 0;
    QString natura; // only at 0 %
    bool operator==(const Key& other) const { return rate == other.rate && natura == other.natura; }
};

struct Line
{
    QString tipo; // TipoCessionePrestazione: "SC" a discount, "AC" a cost; empty for goods
    QString code;
    QString description;
    QString quantity; // empty: a line of one amount (a discount, a cost)
    QString um;
    QString price;
    QString sconto;        // row discount percentage, empty when none
    QString scontoImporto; // the same per unit, for a percentage finer than the format's cents
    qint64 total = 0;
    Key key;
};

struct Summary
{
    Key key;
    QString riferimento;
    qint64 imponibile = 0;
    qint64 arrotondamento = 0; // already part of imponibile
    qint64 imposta() const
    {
        // half a cent rounds away from zero, as on the page
        const qint64 product = imponibile * key.rate;
        return (product >= 0 ? product + 50 : product - 50) / 100;
    }
};

struct Party
{
    QString idPaese;
    QString idCodice;
    QString codiceFiscale;
    QString denominazione;
    QString nome;
    QString cognome;
    QString indirizzo;
    QString cap;
    QString comune;
    QString provincia;
    QString nazione;
};

struct Payment
{
    QDate date;
    qint64 amount = 0;
};

// Collects what the file needs from the document, with a finding for each gap, then writes it.
class Builder
{
public:
    Builder(const InvoiceData& document, const QString& progressivo) : d(document), progressivo(progressivo) {}

    Assembled run()
    {
        collect();
        Assembled result;
        result.findings = findings;
        if (!findings.isEmpty())
            return result;
        result.xml = write();
        for (const Summary& summary : summaries) {
            result.totaleCents += summary.imponibile + summary.imposta();
            result.impostaCents += summary.imposta();
        }
        return result;
    }

private:
    void refuse(const QString& who, const QString& what) { findings.append({QString(), who + QStringLiteral(": ") + what}); }

    // A text as the file takes it: common typographic characters replaced, the length and
    // the characters checked. `what` names the field with its article ("la RAGIONE SOCIALE").
    QString field(const QString& value, int maxLength, const QString& who, const QString& what,
                  Charset charset = Charset::Latin1)
    {
        const ushort limit = charset == Charset::BasicLatin ? 0x7F : 0xFF;
        QString text;
        for (const QChar c : value) {
            QString replaced = transliterations().value(c, QString(c));
            if (replaced.size() == 1 && replaced.at(0).unicode() > limit) {
                // a letter the field does not take becomes its base letter: Č -> C, ² -> 2
                replaced = replaced.normalized(QString::NormalizationForm_KD);
                replaced.remove(QRegularExpression(QStringLiteral("\\p{Mn}")));
            }
            text += replaced;
        }
        text = text.trimmed();
        for (const QChar c : text) {
            const bool control = c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t')
                                 && c != QLatin1Char('\r');
            if (c.unicode() > limit || control || c.isSurrogate()) {
                refuse(who, QStringLiteral("%1 contiene il carattere \"%2\", che il file non ammette: sostituirlo")
                                .arg(what, control ? QStringLiteral("controllo") : QString(c)));
                return QString();
            }
        }
        if (text.size() > maxLength)
            refuse(who, QStringLiteral("%1 supera il limite di %2 caratteri").arg(what).arg(maxLength));
        return text;
    }

    QString required(const QString& value, int maxLength, const QString& who, const QString& what)
    {
        const QString text = field(value, maxLength, who, what);
        if (value.trimmed().isEmpty())
            refuse(who, QStringLiteral("manca %1").arg(what));
        return text;
    }

    QString country(const QString& stored, const QString& who)
    {
        const QString value = stored.trimmed().toUpper();
        if (value.isEmpty())
            return italy;
        static const QRegularExpression iso(QStringLiteral("^[A-Z]{2}$"));
        if (iso.match(value).hasMatch())
            return value;
        const QString code = isoOf(value);
        if (code.isEmpty())
            refuse(who, QStringLiteral("la NAZIONE \"%1\" deve essere il codice di due lettere (per esempio IT, DE, FR)")
                            .arg(stored.trimmed()));
        return code;
    }

    void address(Party* party, const InvoiceData::FieldMap& fields, const QString& who)
    {
        party->nazione = country(fields.value(NAZIONE), who);
        party->indirizzo = required(fields.value(ADDRESS), 60, who, QStringLiteral("l'INDIRIZZO"));
        party->comune = required(fields.value(LOCALITY), 60, who, QStringLiteral("la LOCALITÀ"));
        static const QRegularExpression capShape(QStringLiteral("^[0-9]{5}$"));
        const QString cap = fields.value(CAP).trimmed();
        if (party->nazione != italy) {
            // abroad the format still wants five digits; the exchange system's rule is zeros
            party->cap = capShape.match(cap).hasMatch() ? cap : QStringLiteral("00000");
            return;
        }
        party->cap = cap;
        if (!capShape.match(cap).hasMatch())
            refuse(who, cap.isEmpty() ? QStringLiteral("manca il CAP")
                                      : QStringLiteral("il CAP \"%1\" deve avere 5 cifre").arg(cap));
        const QString province = fields.value(CITY).trimmed().toUpper();
        static const QRegularExpression sigla(QStringLiteral("^[A-Z]{2}$"));
        if (province.isEmpty() || sigla.match(province).hasMatch()) {
            party->provincia = province;
            return;
        }
        const QString hint = siglaOf(province);
        refuse(who, QStringLiteral("la provincia \"%1\" deve essere la sigla di due lettere%2")
                        .arg(fields.value(CITY).trimmed(), hint.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(hint)));
    }

    QString partitaIva(const InvoiceData::FieldMap& fields, const QString& who)
    {
        const QString number = partitaIvaOf(fields);
        if (number.isEmpty())
            return number;
        static const QRegularExpression digits(QStringLiteral("^[0-9]{11}$"));
        if (!digits.match(number).hasMatch())
            refuse(who, QStringLiteral("la PARTITA IVA \"%1\" deve avere 11 cifre").arg(fields.value(PIVA).trimmed()));
        else if (!FiscalId::partitaIvaValid(number))
            refuse(who, QStringLiteral("la PARTITA IVA %1 ha la cifra di controllo errata").arg(number));
        return number;
    }

    QString codiceFiscale(const InvoiceData::FieldMap& fields, const QString& who)
    {
        const QString code = fields.value(FISCAL_CODE).simplified().remove(QLatin1Char(' ')).toUpper();
        if (code.isEmpty() || FiscalId::codiceFiscaleValid(code))
            return code;
        static const QRegularExpression person(QStringLiteral("^[A-Z0-9]{16}$"));
        static const QRegularExpression company(QStringLiteral("^[0-9]{11}$"));
        if (company.match(code).hasMatch())
            refuse(who, QStringLiteral("il CODICE FISCALE %1 ha la cifra di controllo errata").arg(code));
        else if (person.match(code).hasMatch())
            refuse(who, QStringLiteral("il CODICE FISCALE %1 ha il carattere di controllo errato").arg(code));
        else
            refuse(who, QStringLiteral("il CODICE FISCALE \"%1\" deve avere 16 caratteri (persona) o 11 cifre (società)")
                            .arg(fields.value(FISCAL_CODE).trimmed()));
        return code;
    }

    void collectCompany()
    {
        const QString who = QStringLiteral("Dati azienda");
        const InvoiceData::FieldMap& c = d.company;
        address(&seller, c, who);
        seller.idPaese = seller.nazione;
        seller.idCodice = partitaIva(c, who);
        if (seller.idCodice.isEmpty())
            refuse(who, QStringLiteral("manca la PARTITA IVA"));
        seller.codiceFiscale = codiceFiscale(c, who);
        seller.denominazione = required(c.value(RAGIONE_S), 80, who, QStringLiteral("la RAGIONE SOCIALE"));
        regimeFiscale = c.value(REGIME_FISCALE).trimmed();
        bool known = false;
        for (const FiscalCodes::Code& regime : FiscalCodes::regimiFiscali())
            known = known || regime.code == regimeFiscale;
        if (!known)
            refuse(who, regimeFiscale.isEmpty() ? QStringLiteral("manca il REGIME FISCALE")
                                                : QStringLiteral("il REGIME FISCALE \"%1\" non esiste").arg(regimeFiscale));
        reaUfficio = c.value(REA_UFFICIO).trimmed().toUpper();
        reaNumero = field(c.value(REA_NUMERO), 20, who, QStringLiteral("il NUMERO REA"), Charset::BasicLatin);
        static const QRegularExpression sigla(QStringLiteral("^[A-Z]{2}$"));
        if (!reaUfficio.isEmpty() || !reaNumero.isEmpty()) {
            if (!sigla.match(reaUfficio).hasMatch())
                refuse(who, QStringLiteral("l'UFFICIO REA deve essere la sigla di due lettere della provincia"));
            if (reaNumero.isEmpty())
                refuse(who, QStringLiteral("manca il NUMERO REA"));
        }
    }

    void collectCustomer()
    {
        const InvoiceData::FieldMap& c = d.customer;
        const QString code = c.value(CODE).trimmed();
        const QString who = QStringLiteral("Cliente %1").arg(code.isEmpty() ? c.value(RAGIONE_S).trimmed() : code);
        address(&buyer, c, who);
        if (c.value(PERSONA_FISICA) == QLatin1String("1")) {
            buyer.nome = required(c.value(NOME), 60, who, QStringLiteral("il NOME"));
            buyer.cognome = required(c.value(COGNOME), 60, who, QStringLiteral("il COGNOME"));
        } else {
            buyer.denominazione = required(c.value(RAGIONE_S), 80, who, QStringLiteral("la RAGIONE SOCIALE"));
        }
        if (buyer.nazione != italy) {
            // a foreign customer is known by its own country's VAT identifier
            QString id = c.value(PIVA).toUpper().remove(QRegularExpression(QStringLiteral("[^A-Z0-9]")));
            // the VAT identifier's own prefix goes: "DE123456789", "EL123456789" for Greece,
            // "ATU12345678"; a "CHE-..." number keeps its letters
            const QString prefix = buyer.nazione == QLatin1String("GR") ? QStringLiteral("EL") : buyer.nazione;
            static const QRegularExpression prefixed(QStringLiteral("^[A-Z]{2}U?[0-9]"));
            if (id.startsWith(prefix) && prefixed.match(id).hasMatch())
                id = id.mid(prefix.size());
            if (id.isEmpty())
                refuse(who, QStringLiteral("manca la PARTITA IVA (identificativo IVA del suo paese)"));
            else if (id.size() > 28)
                refuse(who, QStringLiteral("la PARTITA IVA supera i 28 caratteri ammessi"));
            buyer.idPaese = buyer.nazione;
            buyer.idCodice = id;
            codiceDestinatario = foreignRecipient;
            return;
        }
        buyer.idCodice = partitaIva(c, who);
        buyer.idPaese = buyer.idCodice.isEmpty() ? QString() : italy;
        buyer.codiceFiscale = codiceFiscale(c, who);
        if (buyer.idCodice.isEmpty() && buyer.codiceFiscale.isEmpty())
            refuse(who, QStringLiteral("manca la PARTITA IVA o il CODICE FISCALE"));

        codiceDestinatario = c.value(CODICE_DESTINATARIO).trimmed().toUpper();
        const QString pec = c.value(PEC).trimmed();
        static const QRegularExpression pecShape(
            QStringLiteral("^[A-Za-z0-9._%+'-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}$"));
        if (!pec.isEmpty() && (!pecShape.match(pec).hasMatch() || pec.size() > 256))
            refuse(who, QStringLiteral("la PEC \"%1\" non è un indirizzo valido").arg(pec));
        // A consumer without a channel gets the file through the tax agency's own area; a
        // business must say where its invoices go.
        if (codiceDestinatario.isEmpty() && (!pec.isEmpty() || buyer.idCodice.isEmpty()))
            codiceDestinatario = QStringLiteral("0000000");
        static const QRegularExpression codeShape(QStringLiteral("^[A-Z0-9]{7}$"));
        if (codiceDestinatario.isEmpty())
            refuse(who, QStringLiteral("manca il CODICE DESTINATARIO o la PEC"));
        else if (!codeShape.match(codiceDestinatario).hasMatch())
            refuse(who, QStringLiteral("il CODICE DESTINATARIO \"%1\" deve avere 7 caratteri, lettere e cifre")
                            .arg(c.value(CODICE_DESTINATARIO).trimmed()));
        else if (codiceDestinatario == foreignRecipient)
            refuse(who, QStringLiteral("il CODICE DESTINATARIO XXXXXXX vale solo per un cliente estero: "
                                       "indicare la NAZIONE o il codice del cliente"));
        if (codiceDestinatario == QLatin1String("0000000"))
            pecDestinatario = pec;
    }

    // The nature of a 0 % amount, checked: one of the codes, and not a generic one.
    QString natura(const QString& stored, const QString& who, const QString& what)
    {
        const QString code = stored.trimmed().toUpper();
        if (code.isEmpty())
            refuse(who, QStringLiteral("manca %1").arg(what));
        else if (code == QLatin1String("N2") || code == QLatin1String("N3") || code == QLatin1String("N6"))
            refuse(who, QStringLiteral("%1 %2 non è più ammessa: scegliere il codice specifico (%2.1, %2.2, ...)")
                            .arg(what, code));
        else if (!FiscalCodes::isNatura(code))
            refuse(who, QStringLiteral("%1 \"%2\" non esiste").arg(what, code));
        return code;
    }

    Summary& summaryOf(const Key& key, const QString& riferimento)
    {
        for (Summary& summary : summaries)
            if (summary.key == key) {
                if (summary.riferimento.isEmpty())
                    summary.riferimento = riferimento;
                return summary;
            }
        summaries.append({key, riferimento});
        return summaries.last();
    }

    void addLine(Line line, const QString& riferimento = QString())
    {
        summaryOf(line.key, riferimento).imponibile += line.total;
        lines.append(line);
    }

    // A document issued before totals were kept in cents printed its taxable amount rounded
    // once, where the file adds up lines rounded one by one. The cent or two between them
    // goes into the summary as Arrotondamento, so the file states what the page prints.
    void alignWithPage(const Key& goods, bool costsTaxed)
    {
        const double printed = d.totalImp * 100.0;
        if (std::abs(printed - std::round(printed)) < 1e-6)
            return; // kept in cents: rows and discount add up to it exactly
        // the printed taxable amount: goods, discount and, when taxed, the costs
        qint64 lineTotal = 0;
        for (const Line& line : std::as_const(lines))
            if (line.tipo != QLatin1String("AC") || costsTaxed)
                lineTotal += line.total;
        const qint64 difference = toCents(d.totalImp) - lineTotal;
        if (std::llabs(difference) >= 100)
            return; // not a rounding: the comparison with the page refuses the document
        Summary& summary = summaryOf(goods, QString());
        summary.arrotondamento = difference;
        summary.imponibile += difference;
    }

    void collectLines()
    {
        const QString rateWho = QStringLiteral("Aliquota %1 %").arg(d.ivaPercent);
        if (d.ivaPercent < 0 || d.ivaPercent > 100)
            refuse(rateWho, QStringLiteral("l'aliquota IVA non è una percentuale"));
        Key goods{d.ivaPercent, QString()};
        QString riferimentoGoods;
        if (d.ivaPercent == 0) {
            goods.natura = natura(d.natura, rateWho, QStringLiteral("la NATURA"));
            riferimentoGoods =
                required(d.riferimentoNormativo, 100, rateWho, QStringLiteral("il RIFERIMENTO NORMATIVO"));
        }
        for (int i = 0; i < d.rows.size(); ++i) {
            const InvoiceData::FieldMap& row = d.rows.at(i);
            const QString who = QStringLiteral("Riga %1").arg(i + 1);
            Line line;
            line.key = goods;
            line.code = field(row.value(LineItemKey::code), 35, who, QStringLiteral("il CODICE"));
            line.description = field(row.value(LineItemKey::description), 1000, who, QStringLiteral("la DESCRIZIONE"));
            const double quantity = row.value(LineItemKey::amount).toDouble();
            const double price = row.value(LineItemKey::prize).toDouble();
            const double sconto = row.value(LineItemKey::sconto).toDouble();
            line.total = toCents(row.value(LineItemKey::total_amount).toDouble());
            if (line.description.isEmpty() && line.code.isEmpty() && quantity == 0 && line.total == 0)
                continue; // a blank row of the table
            if (line.description.isEmpty())
                line.description = line.code;
            if (line.description.isEmpty())
                refuse(who, QStringLiteral("manca la DESCRIZIONE"));
            if (quantity < 0)
                refuse(who, QStringLiteral("la QUANTITÀ è negativa"));
            line.quantity = decimal(quantity);
            line.price = decimal(price);
            line.um = field(row.value(LineItemKey::um), 10, who, QStringLiteral("l'unità di misura"), Charset::BasicLatin);
            // a percentage such as 33,333 is more than the format's two decimals take: the
            // discount goes per unit instead, so that price and total still agree
            if (sconto > 0 && std::abs(sconto * 100 - std::round(sconto * 100)) < 1e-6)
                line.sconto = QString::number(sconto, 'f', 2);
            else if (sconto > 0)
                line.scontoImporto = decimal(price * sconto / 100);
            addLine(line, riferimentoGoods);
        }
        if (lines.isEmpty())
            refuse(QStringLiteral("Documento %1").arg(d.number), QStringLiteral("non ha righe"));

        const qint64 sconto = toCents(d.importoSconto);
        if (sconto != 0) {
            const QString amount = money(-sconto);
            addLine({QStringLiteral("SC"), QString(), QStringLiteral("SCONTO %1 %").arg(QString::number(d.scontoF, 'f', 2)),
                     QString(), QString(), amount, QString(), QString(), -sconto, goods},
                    riferimentoGoods);
        }

        const bool taxed = d.company.value(IVA_SPESE) == QLatin1String("1");
        const struct
        {
            const char* description;
            double amount;
        } costs[] = {{"SPESE DI TRASPORTO", d.trasporto},
                     {"SPESE DI IMBALLO", d.imballo},
                     {"SPESE VARIE", d.varie},
                     {"SPESE BANCARIE", d.speseBancarie}};
        Key costKey = goods;
        QString riferimentoCosts = riferimentoGoods;
        bool naturaAsked = taxed;
        for (const auto& cost : costs) {
            const qint64 amount = toCents(cost.amount);
            if (amount == 0)
                continue;
            if (!naturaAsked) {
                // untaxed costs are 0 % amounts of the nature the company chose for them
                const QString who = QStringLiteral("Dati azienda");
                costKey = {0, natura(d.company.value(NATURA_SPESE), who, QStringLiteral("la NATURA DELLE SPESE"))};
                riferimentoCosts = required(d.company.value(RIFERIMENTO_SPESE), 100, who,
                                            QStringLiteral("il RIFERIMENTO NORMATIVO DELLE SPESE"));
                naturaAsked = true;
            }
            addLine({QStringLiteral("AC"), QString(), QString::fromLatin1(cost.description), QString(), QString(),
                     money(amount), QString(), QString(), amount, costKey},
                    riferimentoCosts);
        }
        alignWithPage(goods, taxed);

        if (toCents(d.bollo) > 0 && d.company.value(BOLLO_A_CARICO) == QLatin1String("1"))
            addLine({QStringLiteral("AC"), QString(), QStringLiteral("IMPOSTA DI BOLLO"), QString(), QString(),
                     money(toCents(d.bollo)), QString(), QString(), toCents(d.bollo), Key{0, naturaBollo}},
                    riferimentoBollo);
        if (lines.size() > 9999)
            refuse(QStringLiteral("Documento %1").arg(d.number), QStringLiteral("ha più di 9999 righe"));
    }

    // The virtual stamp is due on more than 77,47 untaxed with a nature that bears it. A
    // document issued before the stamp was computed does not carry it; the file declares it
    // all the same (charged to no one, so its total stays the printed one).
    bool stampDue() const
    {
        if (toCents(d.bollo) > 0)
            return true;
        qint64 untaxed = 0;
        for (const Summary& summary : summaries)
            if (FiscalCodes::requiresStamp(summary.key.natura))
                untaxed += summary.imponibile;
        return untaxed > stampThresholdCents;
    }

    qint64 totale() const
    {
        qint64 sum = 0;
        for (const Summary& summary : summaries)
            sum += summary.imponibile + summary.imposta();
        return sum;
    }

    void collectPayment()
    {
        if (d.payment.trimmed().isEmpty() && d.scadenze.isEmpty())
            return;
        modalita = d.modalitaPagamento;
        // documents issued before the code was stored derive it as the page's payment does
        if (modalita.isEmpty())
            modalita = FiscalCodes::modalitaFor(d.payment);
        if (modalita.isEmpty() && d.payment == QLatin1String("RIMESSA DIRETTA"))
            modalita = d.company.value(MODALITA_RIMESSA).trimmed();
        bool known = false;
        for (const FiscalCodes::Code& code : FiscalCodes::modalitaPagamento())
            known = known || code.code == modalita;
        if (!known) {
            if (d.payment == QLatin1String("RIMESSA DIRETTA"))
                refuse(QStringLiteral("Dati azienda"),
                       QStringLiteral("scegliere la modalità di pagamento per RIMESSA DIRETTA"));
            else
                refuse(QStringLiteral("Pagamento \"%1\"").arg(d.payment.trimmed()),
                       QStringLiteral("scegliere la modalità di pagamento"));
        }

        const qint64 total = totale();
        const QString who = QStringLiteral("Scadenze");
        if (!d.importiScadenze.isEmpty()) {
            if (d.importiScadenze.size() != d.scadenze.size()) {
                refuse(who, QStringLiteral("ogni scadenza deve avere il suo importo"));
                return;
            }
            qint64 sum = 0;
            for (int i = 0; i < d.scadenze.size(); ++i) {
                payments.append({d.scadenze.at(i).first, toCents(d.importiScadenze.at(i))});
                sum += payments.last().amount;
            }
            if (sum != total)
                refuse(who, QStringLiteral("la somma degli importi (%1) differisce dal totale del documento (%2)")
                                .arg(money(sum), money(total)));
        } else if (d.scadenze.isEmpty()) {
            payments.append({QDate(), total});
        } else {
            // an even split; the last due date takes the cents left over
            const qint64 n = d.scadenze.size();
            for (qint64 i = 0; i < n; ++i)
                payments.append({d.scadenze.at(i).first, i + 1 < n ? total / n : total - (total / n) * (n - 1)});
        }

        const QString bank = QStringLiteral("Pagamento");
        iban = d.paymentInfo.value(IBAN).toUpper().remove(QRegularExpression(QStringLiteral("\\s")));
        static const QRegularExpression ibanShape(QStringLiteral("^[A-Z]{2}[0-9]{2}[A-Z0-9]{11,30}$"));
        if (!iban.isEmpty() && !ibanShape.match(iban).hasMatch())
            refuse(bank, QStringLiteral("l'IBAN \"%1\" non è valido").arg(d.paymentInfo.value(IBAN).trimmed()));
        static const QRegularExpression fiveDigits(QStringLiteral("^[0-9]{5}$"));
        abi = d.paymentInfo.value(ABI).trimmed();
        cab = d.paymentInfo.value(CAB).trimmed();
        if (!abi.isEmpty() && !fiveDigits.match(abi).hasMatch())
            refuse(bank, QStringLiteral("l'ABI \"%1\" deve avere 5 cifre").arg(abi));
        if (!cab.isEmpty() && !fiveDigits.match(cab).hasMatch())
            refuse(bank, QStringLiteral("il CAB \"%1\" deve avere 5 cifre").arg(cab));
    }

    void collectDocument()
    {
        static const QHash<QString, QString> types = {
            {QStringLiteral("FATTURA"), QStringLiteral("TD01")},
            {QStringLiteral("FATTURA ACCOMPAGNATORIA"), QStringLiteral("TD01")},
            {QStringLiteral("NOTA DI CREDITO"), QStringLiteral("TD04")},
            {QStringLiteral("NOTA DI DEBITO"), QStringLiteral("TD05")},
        };
        const QString who = QStringLiteral("Documento %1").arg(d.number);
        tipoDocumento = types.value(d.docType);
        if (tipoDocumento.isEmpty())
            refuse(who, QStringLiteral("un %1 non è una fattura e non ha un file di fattura elettronica")
                            .arg(d.docType.isEmpty() ? QStringLiteral("documento senza tipo") : d.docType));
        if (d.number <= 0)
            refuse(who, QStringLiteral("manca il NUMERO"));
        if (!d.date.isValid())
            refuse(who, QStringLiteral("manca la DATA"));
        static const QRegularExpression progressivoShape(QStringLiteral("^[A-Za-z0-9]{1,5}$"));
        if (!progressivoShape.match(progressivo).hasMatch())
            refuse(who, QStringLiteral("il progressivo di invio \"%1\" non è valido").arg(progressivo));
        const QString note = field(d.note, 200 * 100, who, QStringLiteral("la NOTA"));
        for (int i = 0; i < note.size(); i += 200)
            causali.append(note.mid(i, 200));
    }

    void collectTransport()
    {
        if (d.docType != QLatin1String("FATTURA ACCOMPAGNATORIA"))
            return;
        const QString who = QStringLiteral("Trasporto");
        transport.emplace();
        transport->mezzo = field(d.transport.value(SMEZZO_FIELD), 80, who, QStringLiteral("la SPEDIZIONE A MEZZO"));
        transport->causale = field(d.transport.value(CAUSALE_FIELD), 100, who, QStringLiteral("la CAUSALE"));
        transport->aspetto = field(d.transport.value(ASPETTO_FIELD), 100, who, QStringLiteral("l'ASPETTO DEI BENI"));
        const qint64 colli = std::llround(d.colli);
        if (colli > 9999)
            refuse(who, QStringLiteral("i COLLI sono più di 9999"));
        transport->colli = colli > 0 ? QString::number(colli) : QString();
        const auto weight = [&](double kg, const QString& what) {
            if (kg <= 0)
                return QString();
            if (kg >= 10000)
                refuse(who, QStringLiteral("%1 supera 9999,99 kg").arg(what));
            return QString::number(kg, 'f', 2);
        };
        transport->lordo = weight(d.lordoColli, QStringLiteral("il PESO LORDO"));
        transport->netto = weight(d.nettoTotaleColli, QStringLiteral("il PESO NETTO"));
        const QString start = d.transport.value(DATA_INIZIO_FIELD).trimmed();
        transport->inizio = QDate::fromString(start, QStringLiteral("dd/MM/yyyy"));
        if (!transport->inizio.isValid())
            transport->inizio = QDate::fromString(start, Qt::ISODate);
        if (d.customer.value(VIA2).trimmed().isEmpty())
            return;
        // the delivery address, when the customer has one apart from the registered office
        const InvoiceData::FieldMap delivery = {{ADDRESS, d.customer.value(VIA2)},     {CAP, d.customer.value(CAP2)},
                                                {LOCALITY, d.customer.value(LOC2)},   {CITY, d.customer.value(CITY2)},
                                                {NAZIONE, d.customer.value(NAZIONE2)}};
        Party resa;
        address(&resa, delivery, QStringLiteral("Destinazione dei beni"));
        transport->resa = resa;
    }

    void collect()
    {
        collectDocument();
        collectCompany();
        collectCustomer();
        if (seller.idCodice.isEmpty() || tipoDocumento.isEmpty())
            return;
        collectLines();
        collectTransport();
        collectPayment();
    }

    // --- writing ---------------------------------------------------------------------

    void element(const QString& name, const QString& value)
    {
        if (!value.isEmpty())
            w.writeTextElement(name, value);
    }

    void idFiscale(const QString& name, const QString& paese, const QString& codice)
    {
        w.writeStartElement(name);
        w.writeTextElement(QStringLiteral("IdPaese"), paese);
        w.writeTextElement(QStringLiteral("IdCodice"), codice);
        w.writeEndElement();
    }

    void sede(const QString& name, const Party& party)
    {
        w.writeStartElement(name);
        w.writeTextElement(QStringLiteral("Indirizzo"), party.indirizzo);
        w.writeTextElement(QStringLiteral("CAP"), party.cap);
        w.writeTextElement(QStringLiteral("Comune"), party.comune);
        element(QStringLiteral("Provincia"), party.provincia);
        w.writeTextElement(QStringLiteral("Nazione"), party.nazione);
        w.writeEndElement();
    }

    void anagrafica(const Party& party)
    {
        w.writeStartElement(QStringLiteral("Anagrafica"));
        if (party.denominazione.isEmpty()) {
            w.writeTextElement(QStringLiteral("Nome"), party.nome);
            w.writeTextElement(QStringLiteral("Cognome"), party.cognome);
        } else {
            w.writeTextElement(QStringLiteral("Denominazione"), party.denominazione);
        }
        w.writeEndElement();
    }

    void writeHeader()
    {
        w.writeStartElement(QStringLiteral("FatturaElettronicaHeader"));
        w.writeStartElement(QStringLiteral("DatiTrasmissione"));
        idFiscale(QStringLiteral("IdTrasmittente"), seller.idPaese, seller.idCodice);
        w.writeTextElement(QStringLiteral("ProgressivoInvio"), progressivo);
        w.writeTextElement(QStringLiteral("FormatoTrasmissione"), QStringLiteral("FPR12"));
        w.writeTextElement(QStringLiteral("CodiceDestinatario"), codiceDestinatario);
        element(QStringLiteral("PECDestinatario"), pecDestinatario);
        w.writeEndElement();

        w.writeStartElement(QStringLiteral("CedentePrestatore"));
        w.writeStartElement(QStringLiteral("DatiAnagrafici"));
        idFiscale(QStringLiteral("IdFiscaleIVA"), seller.idPaese, seller.idCodice);
        element(QStringLiteral("CodiceFiscale"), seller.codiceFiscale);
        anagrafica(seller);
        w.writeTextElement(QStringLiteral("RegimeFiscale"), regimeFiscale);
        w.writeEndElement();
        sede(QStringLiteral("Sede"), seller);
        if (!reaNumero.isEmpty()) {
            w.writeStartElement(QStringLiteral("IscrizioneREA"));
            w.writeTextElement(QStringLiteral("Ufficio"), reaUfficio);
            w.writeTextElement(QStringLiteral("NumeroREA"), reaNumero);
            // a company that issues invoices is trading, not being wound up
            w.writeTextElement(QStringLiteral("StatoLiquidazione"), QStringLiteral("LN"));
            w.writeEndElement();
        }
        w.writeEndElement();

        w.writeStartElement(QStringLiteral("CessionarioCommittente"));
        w.writeStartElement(QStringLiteral("DatiAnagrafici"));
        if (!buyer.idCodice.isEmpty())
            idFiscale(QStringLiteral("IdFiscaleIVA"), buyer.idPaese, buyer.idCodice);
        element(QStringLiteral("CodiceFiscale"), buyer.codiceFiscale);
        anagrafica(buyer);
        w.writeEndElement();
        sede(QStringLiteral("Sede"), buyer);
        w.writeEndElement();
        w.writeEndElement();
    }

    void writeGeneral()
    {
        w.writeStartElement(QStringLiteral("DatiGenerali"));
        w.writeStartElement(QStringLiteral("DatiGeneraliDocumento"));
        w.writeTextElement(QStringLiteral("TipoDocumento"), tipoDocumento);
        w.writeTextElement(QStringLiteral("Divisa"), QStringLiteral("EUR"));
        w.writeTextElement(QStringLiteral("Data"), d.date.toString(Qt::ISODate));
        w.writeTextElement(QStringLiteral("Numero"), QString::number(d.number));
        if (stampDue()) {
            w.writeStartElement(QStringLiteral("DatiBollo"));
            w.writeTextElement(QStringLiteral("BolloVirtuale"), QStringLiteral("SI"));
            w.writeTextElement(QStringLiteral("ImportoBollo"), money(stampCents));
            w.writeEndElement();
        }
        w.writeTextElement(QStringLiteral("ImportoTotaleDocumento"), money(totale()));
        for (const QString& causale : causali)
            w.writeTextElement(QStringLiteral("Causale"), causale);
        w.writeEndElement();

        if (tipoDocumento == QLatin1String("TD04") && d.linkedNumber > 0) {
            w.writeStartElement(QStringLiteral("DatiFattureCollegate"));
            w.writeTextElement(QStringLiteral("IdDocumento"), QString::number(d.linkedNumber));
            if (d.linkedDate.isValid())
                w.writeTextElement(QStringLiteral("Data"), d.linkedDate.toString(Qt::ISODate));
            w.writeEndElement();
        }
        if (transport && !transport->isEmpty()) {
            w.writeStartElement(QStringLiteral("DatiTrasporto"));
            element(QStringLiteral("MezzoTrasporto"), transport->mezzo);
            element(QStringLiteral("CausaleTrasporto"), transport->causale);
            element(QStringLiteral("NumeroColli"), transport->colli);
            element(QStringLiteral("Descrizione"), transport->aspetto);
            if (!transport->lordo.isEmpty() || !transport->netto.isEmpty())
                w.writeTextElement(QStringLiteral("UnitaMisuraPeso"), QStringLiteral("KG"));
            element(QStringLiteral("PesoLordo"), transport->lordo);
            element(QStringLiteral("PesoNetto"), transport->netto);
            if (transport->inizio.isValid())
                w.writeTextElement(QStringLiteral("DataInizioTrasporto"), transport->inizio.toString(Qt::ISODate));
            if (transport->resa)
                sede(QStringLiteral("IndirizzoResa"), *transport->resa);
            w.writeEndElement();
        }
        w.writeEndElement();
    }

    void writeGoods()
    {
        w.writeStartElement(QStringLiteral("DatiBeniServizi"));
        int number = 0;
        for (const Line& line : lines) {
            w.writeStartElement(QStringLiteral("DettaglioLinee"));
            w.writeTextElement(QStringLiteral("NumeroLinea"), QString::number(++number));
            element(QStringLiteral("TipoCessionePrestazione"), line.tipo);
            if (!line.code.isEmpty()) {
                w.writeStartElement(QStringLiteral("CodiceArticolo"));
                w.writeTextElement(QStringLiteral("CodiceTipo"), QStringLiteral("INTERNO"));
                w.writeTextElement(QStringLiteral("CodiceValore"), line.code);
                w.writeEndElement();
            }
            w.writeTextElement(QStringLiteral("Descrizione"), line.description);
            element(QStringLiteral("Quantita"), line.quantity);
            element(QStringLiteral("UnitaMisura"), line.um);
            w.writeTextElement(QStringLiteral("PrezzoUnitario"), line.price);
            if (!line.sconto.isEmpty() || !line.scontoImporto.isEmpty()) {
                w.writeStartElement(QStringLiteral("ScontoMaggiorazione"));
                w.writeTextElement(QStringLiteral("Tipo"), QStringLiteral("SC"));
                element(QStringLiteral("Percentuale"), line.sconto);
                element(QStringLiteral("Importo"), line.scontoImporto);
                w.writeEndElement();
            }
            w.writeTextElement(QStringLiteral("PrezzoTotale"), money(line.total));
            w.writeTextElement(QStringLiteral("AliquotaIVA"), rate(line.key.rate));
            element(QStringLiteral("Natura"), line.key.natura);
            w.writeEndElement();
        }
        for (const Summary& summary : summaries) {
            w.writeStartElement(QStringLiteral("DatiRiepilogo"));
            w.writeTextElement(QStringLiteral("AliquotaIVA"), rate(summary.key.rate));
            element(QStringLiteral("Natura"), summary.key.natura);
            if (summary.arrotondamento != 0)
                w.writeTextElement(QStringLiteral("Arrotondamento"), money(summary.arrotondamento));
            w.writeTextElement(QStringLiteral("ImponibileImporto"), money(summary.imponibile));
            w.writeTextElement(QStringLiteral("Imposta"), money(summary.imposta()));
            if (summary.key.rate > 0)
                w.writeTextElement(QStringLiteral("EsigibilitaIVA"), QStringLiteral("I"));
            else
                element(QStringLiteral("RiferimentoNormativo"), summary.riferimento);
            w.writeEndElement();
        }
        w.writeEndElement();
    }

    void writePayment()
    {
        if (payments.isEmpty())
            return;
        w.writeStartElement(QStringLiteral("DatiPagamento"));
        w.writeTextElement(QStringLiteral("CondizioniPagamento"),
                           payments.size() > 1 ? QStringLiteral("TP01") : QStringLiteral("TP02"));
        for (const Payment& payment : payments) {
            w.writeStartElement(QStringLiteral("DettaglioPagamento"));
            w.writeTextElement(QStringLiteral("ModalitaPagamento"), modalita);
            if (payment.date.isValid())
                w.writeTextElement(QStringLiteral("DataScadenzaPagamento"), payment.date.toString(Qt::ISODate));
            w.writeTextElement(QStringLiteral("ImportoPagamento"), money(payment.amount));
            element(QStringLiteral("IBAN"), iban);
            element(QStringLiteral("ABI"), abi);
            element(QStringLiteral("CAB"), cab);
            w.writeEndElement();
        }
        w.writeEndElement();
    }

    QByteArray write()
    {
        w.setAutoFormatting(true);
        w.setAutoFormattingIndent(2);
        w.writeStartDocument();
        const QString ns = QStringLiteral("http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2");
        w.writeNamespace(QStringLiteral("http://www.w3.org/2000/09/xmldsig#"), QStringLiteral("ds"));
        w.writeNamespace(ns, QStringLiteral("p"));
        w.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
        w.writeStartElement(ns, QStringLiteral("FatturaElettronica"));
        w.writeAttribute(QStringLiteral("versione"), QStringLiteral("FPR12"));
        writeHeader();
        w.writeStartElement(QStringLiteral("FatturaElettronicaBody"));
        writeGeneral();
        writeGoods();
        writePayment();
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndDocument();
        return output;
    }

    struct Transport
    {
        QString mezzo, causale, aspetto, colli, lordo, netto;
        QDate inizio;
        std::optional<Party> resa;
        bool isEmpty() const
        {
            return mezzo.isEmpty() && causale.isEmpty() && aspetto.isEmpty() && colli.isEmpty() && lordo.isEmpty()
                   && netto.isEmpty() && !inizio.isValid() && !resa;
        }
    };

    const InvoiceData& d;
    const QString progressivo;
    QList<Finding> findings;
    Party seller;
    Party buyer;
    QString regimeFiscale;
    QString reaUfficio;
    QString reaNumero;
    QString codiceDestinatario;
    QString pecDestinatario;
    QString tipoDocumento;
    QStringList causali;
    QList<Line> lines;
    QList<Summary> summaries;
    std::optional<Transport> transport;
    QString modalita;
    QList<Payment> payments;
    QString iban;
    QString abi;
    QString cab;
    QByteArray output;
    QXmlStreamWriter w{&output};
};

} // namespace

QString partitaIvaOf(const InvoiceData::FieldMap& party)
{
    QString number = party.value(PIVA).toUpper().remove(QRegularExpression(QStringLiteral("\\s")));
    if (number.startsWith(italy))
        number.remove(0, 2);
    return number;
}

Assembled assemble(const InvoiceData& document, const QString& progressivo)
{
    return Builder(document, progressivo).run();
}

} // namespace EInvoice
