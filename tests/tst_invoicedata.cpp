// A document as a value: its record fields, written exactly as the golden file shows, read
// back whole, refused when damaged; and the live invoice given a document back.
#include "companykeys.h"
#include "invoicedata.h"
#include "lineitem.h"
#include "modelhome.h"
#include "serializable.h"
#include "testrecord.h"

#include <QLoggingCategory>
#include <QtTest>

using FieldMap = QMap<QString, QString>;
using Change = std::function<void(FieldMap&)>;
Q_DECLARE_METATYPE(Change)

namespace {

// Every part of a document, with accents, a note on two lines, a quantity of 1.25, a
// price with four decimals, an exempt rate with the stamp duty and due-date amounts that
// are not the even split: what a careless format would lose.
InvoiceData sampleDocument()
{
    InvoiceData d;
    d.docType = "NOTA DI CREDITO";
    d.number = 42;
    d.date = QDate(2026, 12, 6);
    d.note = "RESO MERCE\nSECONDA RIGA";
    d.linkedNumber = 17;
    d.linkedDate = QDate(2026, 11, 30);
    d.customer = {{CODE, "C00007"}, {RAGIONE_S, "CAFFÈ ROSSI SRL"}, {PIVA, "01234567890"}};
    d.company = {{CODE, "AZ0001"}, {RAGIONE_S, "QUILL SNC"}, {LOCALITY, "FORLÌ"}, {IVA_SPESE, "1"}};
    d.transport = {{"PORTO_FIELD", "FRANCO"}, {"FORO_FIELD", "FORLÌ"}};
    d.rows = {{{LineItemKey::code, "A1"}, {LineItemKey::description, "VITI"}, {LineItemKey::um, "KG"},
               {LineItemKey::amount, "1.25"}, {LineItemKey::prize, "0.0125"}, {LineItemKey::sconto, "0.00"},
               {LineItemKey::total_amount, "0.02"}, {LineItemKey::c_iva, "0.00"}},
              {{LineItemKey::code, "B2"}, {LineItemKey::description, "DADI"}, {LineItemKey::um, "PZ"},
               {LineItemKey::amount, "1234"}, {LineItemKey::prize, "10.00"}, {LineItemKey::sconto, "10.00"},
               {LineItemKey::total_amount, "11106.00"}, {LineItemKey::c_iva, "0.00"}}};
    d.ivaPercent = 0;
    d.natura = "N3.5";
    d.riferimentoNormativo = "art. 8, c. 1, lett. c) DPR 633/72";
    d.bollo = 2;
    d.scontoF = 5;
    d.importoSconto = 555.30;
    d.trasporto = 10;
    d.colli = 2;
    d.lordoColli = 12.5;
    d.payment = "RiBa. (ricevuta bancaria)";
    d.paymentInfo = {{ABI, "03069"}, {CAB, "09606"}, {IBAN, ""}, {FILIALE, "FORLÌ CENTRO"}};
    d.modalitaPagamento = "MP12";
    d.scadenze = {{QDate(2027, 1, 31), "PRIMA RATA"}, {QDate(2027, 2, 28), ""}};
    d.importiScadenze = {5000, 5560.72};
    d.totaleMerci = 11106.02;
    d.totalImp = 10560.72; // the transport taxed with the goods
    d.totale = 10560.72;
    return d;
}

QByteArray golden()
{
    QFile file(QStringLiteral(GOLDEN_DIR "/document_NC_2026_000042.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestInvoiceData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }

    void writtenAsGolden_readBackWhole()
    {
        const TestHome home;
        TestRecord record("document", "NC_2026_000042");
        *record.fields() = sampleDocument().toFields();
        QCOMPARE(Serializable::serialize(&record), 0);
        const QString path = Serializable::fileNameOf(&record);
        QCOMPARE(readFile(path), golden());

        TestRecord read("document", "NC_2026_000042");
        QCOMPARE(Serializable::unserialize(&read, path, "document"), 0);
        QString error;
        const std::optional<InvoiceData> back = InvoiceData::fromFields(*read.fields(), &error);
        QVERIFY2(back, qPrintable(error));
        QVERIFY(*back == sampleDocument());
    }

    void fromFields_refusesDamage_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("accepted");
        const auto remove = [](const char* key) { return Change([key](FieldMap& f) { f.remove(key); }); };
        const auto set = [](const char* key, const char* value) {
            return Change([key, value](FieldMap& f) { f.insert(key, value); });
        };
        QTest::newRow("untouched") << Change([](FieldMap&) {}) << true;
        QTest::newRow("key of a later version ignored") << set("E_INVOICE_ID", "X") << true;
        QTest::newRow("no number") << remove("NUMBER") << false;
        QTest::newRow("no date") << remove("DATE") << false;
        QTest::newRow("no type") << remove("DOC_TYPE") << false;
        QTest::newRow("no version") << remove("VERSION") << false;
        QTest::newRow("later version") << set("VERSION", "2") << false;
        QTest::newRow("number with letters") << set("NUMBER", "42a") << false;
        QTest::newRow("number negative") << set("NUMBER", "-42") << false;
        QTest::newRow("number beyond int") << set("NUMBER", "4294967338") << false;
        QTest::newRow("date not a date") << set("DATE", "2026-02-30") << false;
        QTest::newRow("total with comma") << set("TOTALE", "12,5") << false;
        QTest::newRow("total infinite") << set("TOTALE", "inf") << false;
        QTest::newRow("vat beyond 100") << set("IVA", "150") << false;
        QTest::newRow("row beyond the count") << set("R003.code", "X") << false;
        QTest::newRow("row zero") << set("R000.code", "X") << false;
        QTest::newRow("row count negative") << set("ROWS", "-1") << false;
        QTest::newRow("row count absurd") << set("ROWS", "2000000000") << false;
        QTest::newRow("due date missing") << set("SCADENZE", "3") << false;
        QTest::newRow("due date part unknown") << set("SCADENZA001.PRICE", "5") << false;
        QTest::newRow("due date amount not a number") << set("SCADENZA001.AMOUNT", "5,00") << false;
        QTest::newRow("due date amount missing") << remove("SCADENZA002.AMOUNT") << false;
        QTest::newRow("older document without the e-invoice keys")
            << Change([](FieldMap& f) {
                   for (const char* key : {"COMPANY.IVA_SPESE", "NATURA", "RIFERIMENTO_NORMATIVO", "BOLLO", "MODALITA_PAGAMENTO",
                                           "SCADENZA001.AMOUNT", "SCADENZA002.AMOUNT"})
                       f.remove(key);
               })
            << true;
        QTest::newRow("due date not a date") << set("SCADENZA002.DATE", "31/01/2027") << false;
    }

    void fromFields_refusesDamage()
    {
        QFETCH(Change, change);
        QFETCH(bool, accepted);
        FieldMap fields = sampleDocument().toFields();
        change(fields);
        QString error;
        const std::optional<InvoiceData> read = InvoiceData::fromFields(fields, &error);
        QCOMPARE(read.has_value(), accepted);
        QCOMPARE(error.isEmpty(), accepted);
    }

    // Opened again in the invoice tab, a document shows the same rows, costs, payment and
    // totals, whatever the VAT rate of the preferences and the company's settings today;
    // its customer is the registered one.
    void loadDocument_thenCurrentDocument_sameDocument()
    {
        const ModelHome home;
        ModelFacade* facade = ModelFacade::instance();
        facade->loadPersistentData();
        InvoiceData document = sampleDocument();
        document.customer = {};
        document.paymentInfo = {};
        facade->setIva("10");
        facade->loadDocument(document);
        InvoiceData shown = facade->currentDocument();
        QCOMPARE(shown.company.value(IVA_SPESE), "1");
        shown.company = document.company;
        shown.transport = document.transport;
        QCOMPARE(shown.toFields(), document.toFields());
    }
};

QTEST_GUILESS_MAIN(TestInvoiceData)
#include "tst_invoicedata.moc"
