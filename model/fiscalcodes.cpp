#include "fiscalcodes.h"

#include "paymentmodes.h"

#include <QHash>

namespace FiscalCodes {

const QList<Code>& nature()
{
    static const QList<Code> codes = {
        {QStringLiteral("N1"), QStringLiteral("escluse ex art. 15 del DPR 633/72")},
        {QStringLiteral("N2.1"), QStringLiteral("non soggette ad IVA ai sensi degli artt. da 7 a 7-septies del DPR 633/72")},
        {QStringLiteral("N2.2"), QStringLiteral("non soggette - altri casi")},
        {QStringLiteral("N3.1"), QStringLiteral("non imponibili - esportazioni")},
        {QStringLiteral("N3.2"), QStringLiteral("non imponibili - cessioni intracomunitarie")},
        {QStringLiteral("N3.3"), QStringLiteral("non imponibili - cessioni verso San Marino")},
        {QStringLiteral("N3.4"), QStringLiteral("non imponibili - operazioni assimilate alle cessioni all'esportazione")},
        {QStringLiteral("N3.5"), QStringLiteral("non imponibili - a seguito di dichiarazioni d'intento")},
        {QStringLiteral("N3.6"), QStringLiteral("non imponibili - altre operazioni che non concorrono alla formazione del plafond")},
        {QStringLiteral("N4"), QStringLiteral("esenti")},
        {QStringLiteral("N5"), QStringLiteral("regime del margine / IVA non esposta in fattura")},
        {QStringLiteral("N6.1"), QStringLiteral("inversione contabile - cessione di rottami e altri materiali di recupero")},
        {QStringLiteral("N6.2"), QStringLiteral("inversione contabile - cessione di oro e argento")},
        {QStringLiteral("N6.3"), QStringLiteral("inversione contabile - subappalto nel settore edile")},
        {QStringLiteral("N6.4"), QStringLiteral("inversione contabile - cessione di fabbricati")},
        {QStringLiteral("N6.5"), QStringLiteral("inversione contabile - cessione di telefoni cellulari")},
        {QStringLiteral("N6.6"), QStringLiteral("inversione contabile - cessione di prodotti elettronici")},
        {QStringLiteral("N6.7"), QStringLiteral("inversione contabile - prestazioni comparto edile e settori connessi")},
        {QStringLiteral("N6.8"), QStringLiteral("inversione contabile - operazioni settore energetico")},
        {QStringLiteral("N6.9"), QStringLiteral("inversione contabile - altri casi")},
        {QStringLiteral("N7"), QStringLiteral("IVA assolta in altro stato UE")},
    };
    return codes;
}

const QList<Code>& regimiFiscali()
{
    static const QList<Code> codes = {
        {QStringLiteral("RF01"), QStringLiteral("Ordinario")},
        {QStringLiteral("RF02"), QStringLiteral("Contribuenti minimi (art.1, c.96-117, L. 244/07)")},
        {QStringLiteral("RF04"), QStringLiteral("Agricoltura e attività connesse e pesca (artt.34 e 34-bis, DPR 633/72)")},
        {QStringLiteral("RF05"), QStringLiteral("Vendita sali e tabacchi (art.74, c.1, DPR 633/72)")},
        {QStringLiteral("RF06"), QStringLiteral("Commercio fiammiferi (art.74, c.1, DPR 633/72)")},
        {QStringLiteral("RF07"), QStringLiteral("Editoria (art.74, c.1, DPR 633/72)")},
        {QStringLiteral("RF08"), QStringLiteral("Gestione servizi telefonia (art.74, c.1, DPR 633/72)")},
        {QStringLiteral("RF09"), QStringLiteral("Rivendita documenti di trasporto pubblico e di sosta (art.74, c.1, DPR 633/72)")},
        {QStringLiteral("RF10"), QStringLiteral("Intrattenimenti, giochi e altre attività (art.74, c.6, DPR 633/72)")},
        {QStringLiteral("RF11"), QStringLiteral("Agenzie viaggi e turismo (art.74-ter, DPR 633/72)")},
        {QStringLiteral("RF12"), QStringLiteral("Agriturismo (art.5, c.2, L. 413/91)")},
        {QStringLiteral("RF13"), QStringLiteral("Vendite a domicilio (art.25-bis, c.6, DPR 600/73)")},
        {QStringLiteral("RF14"), QStringLiteral("Rivendita beni usati, oggetti d'arte, d'antiquariato o da collezione (art.36, DL 41/95)")},
        {QStringLiteral("RF15"), QStringLiteral("Agenzie di vendite all'asta di oggetti d'arte, antiquariato o da collezione (art.40-bis, DL 41/95)")},
        {QStringLiteral("RF16"), QStringLiteral("IVA per cassa P.A. (art.6, c.5, DPR 633/72)")},
        {QStringLiteral("RF17"), QStringLiteral("IVA per cassa (art. 32-bis, DL 83/2012)")},
        {QStringLiteral("RF18"), QStringLiteral("Altro")},
        {QStringLiteral("RF19"), QStringLiteral("Regime forfettario (art.1, c.54-89, L. 190/2014)")},
    };
    return codes;
}

const QList<Code>& modalitaPagamento()
{
    static const QList<Code> codes = {
        {QStringLiteral("MP01"), QStringLiteral("contanti")},
        {QStringLiteral("MP02"), QStringLiteral("assegno")},
        {QStringLiteral("MP03"), QStringLiteral("assegno circolare")},
        {QStringLiteral("MP04"), QStringLiteral("contanti presso Tesoreria")},
        {QStringLiteral("MP05"), QStringLiteral("bonifico")},
        {QStringLiteral("MP06"), QStringLiteral("vaglia cambiario")},
        {QStringLiteral("MP07"), QStringLiteral("bollettino bancario")},
        {QStringLiteral("MP08"), QStringLiteral("carta di pagamento")},
        {QStringLiteral("MP09"), QStringLiteral("RID")},
        {QStringLiteral("MP10"), QStringLiteral("RID utenze")},
        {QStringLiteral("MP11"), QStringLiteral("RID veloce")},
        {QStringLiteral("MP12"), QStringLiteral("RIBA")},
        {QStringLiteral("MP13"), QStringLiteral("MAV")},
        {QStringLiteral("MP14"), QStringLiteral("quietanza erario")},
        {QStringLiteral("MP15"), QStringLiteral("giroconto su conti di contabilità speciale")},
        {QStringLiteral("MP16"), QStringLiteral("domiciliazione bancaria")},
        {QStringLiteral("MP17"), QStringLiteral("domiciliazione postale")},
        {QStringLiteral("MP18"), QStringLiteral("bollettino di c/c postale")},
        {QStringLiteral("MP19"), QStringLiteral("SEPA Direct Debit")},
        {QStringLiteral("MP20"), QStringLiteral("SEPA Direct Debit CORE")},
        {QStringLiteral("MP21"), QStringLiteral("SEPA Direct Debit B2B")},
        {QStringLiteral("MP22"), QStringLiteral("Trattenuta su somme già riscosse")},
        {QStringLiteral("MP23"), QStringLiteral("PagoPA")},
    };
    return codes;
}

bool isNatura(const QString& code)
{
    for (const Code& natura : nature())
        if (natura.code == code)
            return true;
    return false;
}

QString modalitaFor(const QString& paymentMode)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("CONTANTI"), QStringLiteral("MP01")},
        {QStringLiteral("BONIFICO"), QStringLiteral("MP05")},
        {RIBA_PAYMENT_MODE, QStringLiteral("MP12")},
    };
    return codes.value(paymentMode);
}

bool requiresStamp(const QString& natura)
{
    return natura.startsWith(QLatin1String("N2.")) || natura == QLatin1String("N3.5")
           || natura == QLatin1String("N3.6") || natura == QLatin1String("N4");
}

} // namespace FiscalCodes
