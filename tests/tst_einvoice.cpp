#include "companykeys.h"
#include "contentrules.h"
#include "einvoice.h"
#include "einvoiceparties.h"
#include "invoicedata.h"
#include "lineitem.h"
#include "preferencekeys.h"
#include "schemacheck.h"

#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <functional>

using Change = std::function<void(InvoiceData&)>;
Q_DECLARE_METATYPE(InvoiceData)
Q_DECLARE_METATYPE(Change)


namespace {

const QString example = QStringLiteral(EXAMPLE_DIR);
const QString schema = QStringLiteral(SCHEMA_DIR);

QByteArray officialExample()
{
    QFile file(example + QStringLiteral("/IT01234567890_FPR01.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList messages(const QList<EInvoice::Finding>& findings)
{
    QStringList list;
    for (const EInvoice::Finding& finding : findings)
        list.append(finding.code + QStringLiteral(" ") + finding.message);
    return list;
}

InvoiceData::FieldMap row(const char* description, const char* amount, const char* prize, const char* sconto,
                          const char* total)
{
    return {{LineItemKey::code, QStringLiteral("A1")},        {LineItemKey::description, description},
            {LineItemKey::um, QStringLiteral("PZ")},          {LineItemKey::amount, amount},
            {LineItemKey::prize, prize},                      {LineItemKey::sconto, sconto},
            {LineItemKey::total_amount, total},               {LineItemKey::c_iva, QStringLiteral("22.00")}};
}

// A FATTURA at 22 %: 10 x 12.50 and 3 x 7.3333 less 10 %, paid by bank transfer.
InvoiceData fattura()
{
    InvoiceData d = addressed(InvoiceData(), 42);
    d.rows = {row("VITI", "10", "12.50", "0.00", "125.00"), row("DADI", "3", "7.3333", "10.00", "19.80")};
    d.ivaPercent = 22;
    d.payment = QStringLiteral("BONIFICO");
    d.modalitaPagamento = QStringLiteral("MP05");
    d.paymentInfo = {{IBAN, "IT60 X054 2811 1010 0000 0123 456"}};
    d.note = QStringLiteral("RESO MERCE\nSECONDA RIGA");
    d.totaleMerci = 144.80;
    d.totalImp = 144.80;
    d.totaleIva = 31.86;
    d.totale = 176.66;
    return d;
}

// The goods of fattura() at 0 % with the given nature, no VAT.
InvoiceData untaxed(const char* natura)
{
    InvoiceData d = fattura();
    d.ivaPercent = 0;
    d.natura = QString::fromLatin1(natura);
    d.riferimentoNormativo = QStringLiteral("art. 8 c. 1 lett. c DPR 633/72");
    d.totaleIva = 0;
    d.totale = 144.80;
    return d;
}

InvoiceData changed(InvoiceData d, const Change& change)
{
    change(d);
    return d;
}

} // namespace

class TestEInvoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void documents_buildValidFilesWithThePrintedTotals_data()
    {
        QTest::addColumn<InvoiceData>("document");
        QTest::addColumn<QStringList>("expected"); // fragments the file must contain

        QTest::newRow("fattura 22 %") << fattura()
                                      << QStringList{"<TipoDocumento>TD01</TipoDocumento>", "<Provincia>RM</Provincia>",
                                                     "<Nazione>IT</Nazione>", "<Percentuale>10.00</Percentuale>",
                                                     "<CondizioniPagamento>TP02</CondizioniPagamento>",
                                                     "<IBAN>IT60X0542811101000000123456</IBAN>",
                                                     "<IdCodice>09876543217</IdCodice>", "<StatoLiquidazione>LN"};
        QTest::newRow("nota di credito 10 % con sconto") << changed(fattura(), [](InvoiceData& d) {
            d.docType = QStringLiteral("NOTA DI CREDITO");
            d.ivaPercent = 10;
            d.scontoF = 5;
            d.importoSconto = 7.24;
            d.totalImp = 137.56;
            d.totaleIva = 13.76;
            d.totale = 151.32;
            d.linkedNumber = 17;
            d.linkedDate = QDate(2026, 11, 30);
        }) << QStringList{"<TipoDocumento>TD04</TipoDocumento>", "<PrezzoTotale>-7.24</PrezzoTotale>",
                          "<IdDocumento>17</IdDocumento>", "<TipoCessionePrestazione>SC</TipoCessionePrestazione>", "<Data>2026-11-30</Data>"};
        QTest::newRow("nota di debito 4 %, spese con IVA") << changed(fattura(), [](InvoiceData& d) {
            d.docType = QStringLiteral("NOTA DI DEBITO");
            d.ivaPercent = 4;
            d.trasporto = 10;
            d.imballo = 5;
            d.company.insert(IVA_SPESE, QStringLiteral("1"));
            d.totaleIva = 6.39;
            d.totale = 166.19;
        }) << QStringList{"<TipoDocumento>TD05</TipoDocumento>", "<ImponibileImporto>159.80</ImponibileImporto>"};
        QTest::newRow("spese senza IVA, due scadenze") << changed(fattura(), [](InvoiceData& d) {
            d.trasporto = 10;
            d.varie = 0.5;
            d.company.insert(NATURA_SPESE, QStringLiteral("N1"));
            d.company.insert(RIFERIMENTO_SPESE, QStringLiteral("art. 15 DPR 633/72"));
            d.totale = 187.16;
            d.scadenze = {{QDate(2027, 1, 31), QString()}, {QDate(2027, 2, 28), QString()}};
        }) << QStringList{"<Natura>N1</Natura>", "<ImponibileImporto>10.50</ImponibileImporto>",
                          "<CondizioniPagamento>TP01</CondizioniPagamento>", "<ImportoPagamento>93.58</ImportoPagamento>"};
        QTest::newRow("importi delle scadenze, RiBa") << changed(fattura(), [](InvoiceData& d) {
            d.payment = QStringLiteral("RiBa. (ricevuta bancaria)");
            d.modalitaPagamento.clear(); // stored before the code was: derived from the mode
            d.paymentInfo = {{ABI, "03069"}, {CAB, "09606"}};
            d.scadenze = {{QDate(2027, 1, 31), QString()}, {QDate(2027, 2, 28), QString()}};
            d.importiScadenze = {100, 76.66};
        }) << QStringList{"<ModalitaPagamento>MP12</ModalitaPagamento>", "<ImportoPagamento>76.66</ImportoPagamento>",
                          "<ABI>03069</ABI>"};
        QTest::newRow("0 % N3.5 con bollo a carico") << changed(untaxed("N3.5"), [](InvoiceData& d) {
            d.bollo = 2;
            d.company.insert(BOLLO_A_CARICO, QStringLiteral("1"));
            d.totale = 146.80;
        }) << QStringList{"<BolloVirtuale>SI</BolloVirtuale>", "<Natura>N3.5</Natura>",
                          "<RiferimentoNormativo>art. 8 c. 1 lett. c DPR 633/72</RiferimentoNormativo>",
                          "<ImportoTotaleDocumento>146.80</ImportoTotaleDocumento>"};
        QTest::newRow("0 % N4, bollo non addebitato") << changed(untaxed("N4"), [](InvoiceData& d) { d.bollo = 2; })
                                                      << QStringList{"<ImportoBollo>2.00</ImportoBollo>",
                                                                     "<ImportoTotaleDocumento>144.80</ImportoTotaleDocumento>"};
        QTest::newRow("cliente estero") << changed(untaxed("N3.2"), [](InvoiceData& d) {
            d.customer = {{CODE, "C00009"},        {RAGIONE_S, "MÜLLER GMBH"}, {PIVA, "DE 123456789"},
                          {ADDRESS, "HAUPTSTRASSE 5"}, {CAP, "D-10115"},       {LOCALITY, "BERLIN"},
                          {NAZIONE, "GERMANIA"}};
        }) << QStringList{"<CodiceDestinatario>XXXXXXX</CodiceDestinatario>", "<IdPaese>DE</IdPaese>",
                          "<IdCodice>123456789</IdCodice>", "<CAP>00000</CAP>"};
        QTest::newRow("persona con PEC") << changed(fattura(), [](InvoiceData& d) {
            d.customer = {{CODE, "C00010"},      {PERSONA_FISICA, "1"}, {NOME, "MARIO"},      {COGNOME, "ROSSI"},
                          {FISCAL_CODE, "rssmra80a01h501u"}, {ADDRESS, "VIA PO 2"}, {CAP, "00100"},
                          {LOCALITY, "ROMA"},    {PEC, "mario.rossi@pec.it"}};
        }) << QStringList{"<Nome>MARIO</Nome>", "<CodiceFiscale>RSSMRA80A01H501U</CodiceFiscale>",
                          "<CodiceDestinatario>0000000</CodiceDestinatario>",
                          "<PECDestinatario>mario.rossi@pec.it</PECDestinatario>"};
        QTest::newRow("accompagnatoria") << changed(fattura(), [](InvoiceData& d) {
            d.docType = QStringLiteral("FATTURA ACCOMPAGNATORIA");
            d.transport = {{SMEZZO_FIELD, "VETTORE"}, {CAUSALE_FIELD, "VENDITA"}, {ASPETTO_FIELD, "SCATOLE"},
                           {DATA_INIZIO_FIELD, "06/12/2026"}};
            d.colli = 2;
            d.lordoColli = 12.5;
            d.customer.insert(VIA2, QStringLiteral("VIA MAGAZZINI 3"));
            d.customer.insert(CAP2, QStringLiteral("20100"));
            d.customer.insert(LOC2, QStringLiteral("MILANO"));
            d.customer.insert(CITY2, QStringLiteral("MI"));
        }) << QStringList{"<MezzoTrasporto>VETTORE</MezzoTrasporto>", "<NumeroColli>2</NumeroColli>",
                          "<PesoLordo>12.50</PesoLordo>", "<DataInizioTrasporto>2026-12-06</DataInizioTrasporto>",
                          "<Comune>MILANO</Comune>"};
        QTest::newRow("caratteri tipografici") << changed(fattura(), [](InvoiceData& d) {
            d.rows[0][LineItemKey::description] = QStringLiteral("PROMO 5 € – “OFFERTA” ‘SPECIALE’…");
            d.note = QString(450, QLatin1Char('N'));
        }) << QStringList{"<Descrizione>PROMO 5 EUR - &quot;OFFERTA&quot; 'SPECIALE'...</Descrizione>",
                          "<Causale>" + QString(50, QLatin1Char('N')) + "</Causale>"};
        // issued before totals were kept in cents: 144,79 printed where the lines add 144,80
        QTest::newRow("documento con totali non arrotondati") << changed(fattura(), [](InvoiceData& d) {
            d.totalImp = 144.7901;
            d.totaleIva = 31.853822;
            d.totale = 176.643922;
        }) << QStringList{"<Arrotondamento>-0.01</Arrotondamento>", "<ImponibileImporto>144.79</ImponibileImporto>"};
        QTest::newRow("bollo dovuto, non calcolato allora") << untaxed("N4")
                                                           << QStringList{"<ImportoBollo>2.00</ImportoBollo>"};
        QTest::newRow("sconto di riga in millesimi") << changed(fattura(), [](InvoiceData& d) {
            d.rows[1] = row("DADI", "3", "7.3333", "33.333", "14.67");
            d.totalImp = 139.67;
            d.totaleIva = 30.73;
            d.totale = 170.40;
        }) << QStringList{"<Importo>2.44440889</Importo>"};
        QTest::newRow("persona senza codice né PEC") << changed(fattura(), [](InvoiceData& d) {
            d.customer = {{CODE, "C00011"}, {PERSONA_FISICA, "1"}, {NOME, "ANNA"}, {COGNOME, "BIANCHI"},
                          {FISCAL_CODE, "RSSMRA85T10A562S"}, {ADDRESS, "VIA PO 2"}, {CAP, "00100"}, {LOCALITY, "ROMA"}};
        }) << QStringList{"<CodiceDestinatario>0000000</CodiceDestinatario>"};
        QTest::newRow("cliente greco, lettere oltre il Latin-1") << changed(untaxed("N3.2"), [](InvoiceData& d) {
            d.customer = {{CODE, "C00012"}, {RAGIONE_S, "ŠTEFANOU AE"}, {PIVA, "EL 123456789"},
                          {ADDRESS, "ODOS ČAKI 5"}, {CAP, "10431"}, {LOCALITY, "ATENE"}, {NAZIONE, "GRECIA"}};
        }) << QStringList{"<IdPaese>GR</IdPaese>", "<IdCodice>123456789</IdCodice>", "<Denominazione>STEFANOU AE",
                          "<Indirizzo>ODOS CAKI 5</Indirizzo>"};
    }

    void documents_buildValidFilesWithThePrintedTotals()
    {
        QFETCH(InvoiceData, document);
        QFETCH(QStringList, expected);

        const EInvoice::Built built = EInvoice::build(document, QStringLiteral("00A01"));
        QCOMPARE(messages(built.findings), QStringList());
        QVERIFY(built.xml.startsWith("<?xml")); // no byte-order mark
        const QString text = QString::fromUtf8(built.xml);
        for (const QString& fragment : expected)
            QVERIFY2(text.contains(fragment), qPrintable(fragment));

        // the file's summaries and total are the page's, read back independently
        QDomDocument dom;
        QVERIFY(dom.setContent(built.xml));
        double imposta = 0;
        const QDomNodeList summaries = dom.elementsByTagName(QStringLiteral("DatiRiepilogo"));
        for (int i = 0; i < summaries.size(); ++i)
            imposta += summaries.at(i).firstChildElement(QStringLiteral("Imposta")).text().toDouble();
        QCOMPARE(QString::number(imposta, 'f', 2), QString::number(document.totaleIva, 'f', 2));
        QCOMPARE(dom.elementsByTagName(QStringLiteral("ImportoTotaleDocumento")).at(0).toElement().text(),
                 QString::number(document.totale, 'f', 2));
        QCOMPARE(EInvoice::fileName(document, QStringLiteral("00A01")), QStringLiteral("IT01234567897_00A01.xml"));

        // and a validator that is not ours accepts it
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (xmllint.isEmpty())
            QSKIP("xmllint is not installed");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XML_CATALOG_FILES"), schema + QStringLiteral("/catalog.xml"));
        process.setProcessEnvironment(environment);
        process.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--nonet"), QStringLiteral("--schema"),
                                schema + QStringLiteral("/Schema_del_file_xml_FatturaPA_v1.2.2.xsd"),
                                QStringLiteral("-")});
        process.write(built.xml);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    }

    void wrongData_refusedNamingTheField_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("message");

        QTest::newRow("partita IVA") << Change([](InvoiceData& d) { d.customer[PIVA] = "09876543210"; })
                                     << "Cliente C00007: la PARTITA IVA 09876543210 ha la cifra di controllo errata";
        QTest::newRow("codice fiscale persona") << Change([](InvoiceData& d) {
            d.customer[FISCAL_CODE] = "RSSMRA80A01H501V";
        }) << "Cliente C00007: il CODICE FISCALE RSSMRA80A01H501V ha il carattere di controllo errato";
        QTest::newRow("codice fiscale società") << Change([](InvoiceData& d) { d.company[FISCAL_CODE] = "01234567890"; })
                                                << "Dati azienda: il CODICE FISCALE 01234567890 ha la cifra di controllo errata";
        QTest::newRow("provincia") << Change([](InvoiceData& d) { d.customer[CITY] = "MILANO"; })
                                   << "Cliente C00007: la provincia \"MILANO\" deve essere la sigla di due lettere (MI)";
        QTest::newRow("nazione") << Change([](InvoiceData& d) { d.customer[NAZIONE] = "ITAGLIA"; })
                                 << "Cliente C00007: la NAZIONE \"ITAGLIA\" deve essere il codice di due lettere";
        QTest::newRow("CAP") << Change([](InvoiceData& d) { d.company[CAP] = "4712"; })
                             << "Dati azienda: il CAP \"4712\" deve avere 5 cifre";
        QTest::newRow("codice destinatario") << Change([](InvoiceData& d) { d.customer.remove(CODICE_DESTINATARIO); })
                                             << "Cliente C00007: manca il CODICE DESTINATARIO o la PEC";
        QTest::newRow("codice destinatario corto") << Change([](InvoiceData& d) {
            d.customer[CODICE_DESTINATARIO] = "ABC123";
        }) << "il CODICE DESTINATARIO \"ABC123\" deve avere 7 caratteri";
        QTest::newRow("codice per l'estero a un cliente italiano")
            << Change([](InvoiceData& d) { d.customer[CODICE_DESTINATARIO] = "XXXXXXX"; })
            << "Cliente C00007: il CODICE DESTINATARIO XXXXXXX vale solo per un cliente estero";
        QTest::newRow("0 % senza riferimento normativo")
            << Change([](InvoiceData& d) { d = changed(untaxed("N3.5"), [](InvoiceData& u) { u.riferimentoNormativo.clear(); }); })
            << "Aliquota 0 %: manca il RIFERIMENTO NORMATIVO";
        QTest::newRow("regime fiscale") << Change([](InvoiceData& d) { d.company.remove(REGIME_FISCALE); })
                                        << "Dati azienda: manca il REGIME FISCALE";
        QTest::newRow("0 % senza natura") << Change([](InvoiceData& d) { d = untaxed(""); })
                                          << "Aliquota 0 %: manca la NATURA";
        QTest::newRow("natura generica") << Change([](InvoiceData& d) { d = untaxed("N3"); })
                                         << "Aliquota 0 %: la NATURA N3 non è più ammessa";
        QTest::newRow("spese senza natura") << Change([](InvoiceData& d) { d.trasporto = 10; })
                                            << "Dati azienda: manca la NATURA DELLE SPESE";
        QTest::newRow("rimessa diretta") << Change([](InvoiceData& d) {
            d.payment = "RIMESSA DIRETTA";
            d.modalitaPagamento.clear();
        }) << "Dati azienda: scegliere la modalità di pagamento per RIMESSA DIRETTA";
        QTest::newRow("documento di trasporto") << Change([](InvoiceData& d) { d.docType = "DOCUMENTO DI TRASPORTO"; })
                                                << "un DOCUMENTO DI TRASPORTO non è una fattura";
        QTest::newRow("persona senza cognome") << Change([](InvoiceData& d) {
            d.customer[PERSONA_FISICA] = "1";
            d.customer[NOME] = "MARIO";
        }) << "Cliente C00007: manca il COGNOME";
        QTest::newRow("carattere non latino") << Change([](InvoiceData& d) { d.customer[RAGIONE_S] = "ΩMEGA SRL"; })
                                              << "Cliente C00007: la RAGIONE SOCIALE contiene il carattere \"Ω\"";
        QTest::newRow("ragione sociale lunga") << Change([](InvoiceData& d) { d.company[RAGIONE_S] = QString(81, 'A'); })
                                               << "Dati azienda: la RAGIONE SOCIALE supera il limite di 80 caratteri";
        QTest::newRow("IBAN") << Change([](InvoiceData& d) { d.paymentInfo[IBAN] = "IT60 X054"; })
                              << "Pagamento: l'IBAN \"IT60 X054\" non è valido";
        QTest::newRow("importi delle scadenze") << Change([](InvoiceData& d) {
            d.scadenze = {{QDate(2027, 1, 31), QString()}, {QDate(2027, 2, 28), QString()}};
            d.importiScadenze = {100, 70};
        }) << "Scadenze: la somma degli importi (170.00) differisce dal totale del documento (176.66)";
        QTest::newRow("totale diverso dalla pagina") << Change([](InvoiceData& d) { d.totale = 176.67; })
                                                     << "la pagina stampa totale 176,67";
        QTest::newRow("cliente uguale all'azienda") << Change([](InvoiceData& d) { d.customer[PIVA] = "01234567897"; })
                                                    << "00471 ";
    }

    void wrongData_refusedNamingTheField()
    {
        QFETCH(Change, change);
        QFETCH(QString, message);

        const EInvoice::Built built = EInvoice::build(changed(fattura(), change), QStringLiteral("1"));
        QVERIFY(built.xml.isEmpty());
        const QString found = messages(built.findings).join(QLatin1Char('\n'));
        QVERIFY2(found.contains(message), qPrintable(found));
    }

    void brokenFiles_refusedWithTheRejectionCode_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("code"); // empty: the change is within what the rules accept

        const QByteArray example = officialExample();
        const QByteArray exempt = EInvoice::build(untaxed("N3.5"), QStringLiteral("1")).xml;
        const QByteArray credit = EInvoice::build(changed(fattura(), [](InvoiceData& d) {
                                                      d.docType = QStringLiteral("NOTA DI CREDITO");
                                                      d.linkedNumber = 17;
                                                      d.linkedDate = QDate(2026, 11, 30);
                                                  }),
                                                  QStringLiteral("1"))
                                      .xml;
        QVERIFY(!exempt.isEmpty() && !credit.isEmpty());

        QTest::newRow("official example") << example << QByteArray("<CAP>07100</CAP>") << QByteArray("<CAP>07100</CAP>")
                                          << QString();
        QTest::newRow("schema: CAP") << example << QByteArray("<CAP>07100</CAP>") << QByteArray("<CAP>0710</CAP>")
                                     << "schema";
        QTest::newRow("00421 imposta") << example << QByteArray("<Imposta>1.10") << QByteArray("<Imposta>1.12") << "00421";
        QTest::newRow("00421 tolerance") << example << QByteArray("<Imposta>1.10") << QByteArray("<Imposta>1.11")
                                         << QString();
        QTest::newRow("00422 imponibile") << example << QByteArray("<ImponibileImporto>5.00</ImponibileImporto>\n"
                                                                   "        <Imposta>1.10")
                                          << QByteArray("<ImponibileImporto>7.00</ImponibileImporto>\n"
                                                        "        <Imposta>1.54")
                                          << "00422";
        QTest::newRow("00423 prezzo totale") << example << QByteArray("<PrezzoTotale>5.00") << QByteArray("<PrezzoTotale>5.02")
                                             << "00423";
        QTest::newRow("00424 aliquota") << example << QByteArray("<AliquotaIVA>22.00</AliquotaIVA>\n      </Dett")
                                        << QByteArray("<AliquotaIVA>0.22</AliquotaIVA>\n      </Dett") << "00424";
        QTest::newRow("00443 riepilogo") << example << QByteArray("<AliquotaIVA>22.00</AliquotaIVA>\n        <Imp")
                                         << QByteArray("<AliquotaIVA>10.00</AliquotaIVA>\n        <Imp") << "00443";
        QTest::newRow("00425 numero") << example << QByteArray("<Numero>123") << QByteArray("<Numero>ABC") << "00425";
        QTest::newRow("00313 codice per l'estero") << example << QByteArray("ABC1234") << QByteArray("XXXXXXX")
                                                  << "00313";
        QTest::newRow("00427 codice") << example << QByteArray("ABC1234") << QByteArray("ABC123") << "00427";
        QTest::newRow("00417 cliente") << example << QByteArray("<CodiceFiscale>09876543210</CodiceFiscale>")
                                       << QByteArray() << "00417";
        QTest::newRow("00471 cliente") << example << QByteArray("<CodiceFiscale>09876543210")
                                       << QByteArray("<CodiceFiscale>01234567890") << "00471";
        QTest::newRow("00445 natura") << exempt << QByteArray("N3.5") << QByteArray("N3") << "00445";
        QTest::newRow("00400 linea") << exempt << QByteArray("<Natura>N3.5</Natura>\n      </Dett") << QByteArray("</Dett")
                                     << "00400";
        QTest::newRow("00429 riepilogo") << exempt << QByteArray("<Natura>N3.5</Natura>\n        <Imp")
                                         << QByteArray("<Imp") << "00429";
        QTest::newRow("00401 linea") << exempt << QByteArray("<AliquotaIVA>0.00</AliquotaIVA>\n        <Natura>N3.5</Natura>\n      </Dett")
                                     << QByteArray("<AliquotaIVA>4.00</AliquotaIVA>\n        <Natura>N3.5</Natura>\n      </Dett")
                                     << "00401";
        QTest::newRow("00403 data futura") << example << QByteArray("<Data>2014-12-18") << QByteArray("<Data>2999-12-18")
                                           << "00403";
        QTest::newRow("00418 nota anteriore alla fattura") << credit << QByteArray("<Data>2026-11-30")
                                                          << QByteArray("<Data>2026-12-31") << "00418";
        QTest::newRow("00444 natura") << exempt << QByteArray("<Natura>N3.5</Natura>\n        <Imp")
                                      << QByteArray("<Natura>N3.6</Natura>\n        <Imp") << "00444";
    }

    void brokenFiles_refusedWithTheRejectionCode()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, code);

        QVERIFY2(xml.contains(from), from.constData());
        const QByteArray broken = QByteArray(xml).replace(from, to);
        const QStringList found = messages(EInvoice::checkSchema(broken) + EInvoice::checkContentRules(broken));
        if (code.isEmpty())
            QCOMPARE(found, QStringList());
        else // each message starts with its code
            QVERIFY2(!found.filter(QRegularExpression(QLatin1Char('^') + code + QLatin1Char(' '))).isEmpty(),
                     qPrintable(found.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestEInvoice)
#include "tst_einvoice.moc"
