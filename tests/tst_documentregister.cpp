// The register of issued documents: numbering per sequence and year, what issuing refuses,
// damaged and duplicate files, the search, the draft, and the customer as printed.
#include "companykeys.h"
#include "documentregister.h"
#include "modelfacade.h"
#include "modelhome.h"
#include "paths.h"
#include "serializable.h"
#include "testrecord.h"
#include "tmpfs.h"

#include <QDir>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

using Result = DocumentRegister::IssueResult;
Q_DECLARE_METATYPE(DocumentRegister::IssueResult)
Q_DECLARE_METATYPE(InvoiceData)

namespace {

InvoiceData document(const QString& docType, int number, const QDate& date, const QString& customer = "ROSSI SRL",
                     double totale = 100)
{
    InvoiceData d;
    d.docType = docType;
    d.number = number;
    d.date = date;
    d.customer = {{CODE, "C00001"}, {RAGIONE_S, customer}};
    d.totale = totale;
    return d;
}

// A document file written by hand, as a copy or a restored backup leaves it.
QString writeDocumentFile(const TestHome& home, const QString& id, const InvoiceData& d)
{
    TestRecord record("document", id);
    *record.fields() = d.toFields();
    Serializable::serialize(&record);
    return home.dataDir() + "/document_" + id + ".xml";
}

const QByteArray damaged = "<!DOCTYPE document>\n<document>\n <entry id=\"FT";

QStringList dataFiles()
{
    return QDir(dataDirPath()).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestDocumentRegister : public QObject
{
    Q_OBJECT

    std::unique_ptr<ModelHome> home;

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("*.debug=false"); }
    void init() { home = std::make_unique<ModelHome>(); }
    void cleanup() { home.reset(); }

    // The next number goes past every file of the sequence and year, whatever it holds.
    void nextNumber_perSequenceAndYear_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("docType");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("next");
        const QStringList invoices = {"FT_2026_000041", "FT_2025_000300", "NC_2026_000005"};
        QTest::newRow("empty register") << QStringList() << "FATTURA" << 2026 << 1;
        QTest::newRow("invoice") << invoices << "FATTURA" << 2026 << 42;
        QTest::newRow("accompanying invoice shares it") << invoices << "FATTURA ACCOMPAGNATORIA" << 2026 << 42;
        QTest::newRow("debit note shares it") << invoices << "NOTA DI DEBITO" << 2026 << 42;
        QTest::newRow("credit note its own") << invoices << "NOTA DI CREDITO" << 2026 << 6;
        QTest::newRow("transport document its own") << invoices << "DOCUMENTO DI TRASPORTO" << 2026 << 1;
        QTest::newRow("previous year") << invoices << "FATTURA" << 2025 << 301;
        QTest::newRow("new year starts at one") << invoices << "FATTURA" << 2027 << 1;
        QTest::newRow("copy by hand claims its number") << QStringList{"FT_2026_000041", "FT_2026_57 copia"}
                                                        << "FATTURA" << 2026 << 58;
        QTest::newRow("more than nine digits claims nothing") << QStringList{"FT_2026_1234567890"} << "FATTURA"
                                                              << 2026 << 1;
        QTest::newRow("unknown type proposes nothing") << invoices << "PREVENTIVO" << 2026 << 0;
    }

    void nextNumber_perSequenceAndYear()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, docType);
        QFETCH(int, year);
        QFETCH(int, next);
        for (const QString& id : files)
            home->writeDataFile("document_" + id + ".xml", damaged); // names alone count
        DocumentRegister documents;
        documents.load();
        QCOMPARE(documents.nextNumber(docType, year), next);
    }

    // Invoice 1 of 10/03/2026 is issued and file 3 of that year is damaged.
    void issue_refusesWhatWouldBreakTheNumbering_data()
    {
        QTest::addColumn<InvoiceData>("issued");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<Result>("result");
        const QDate day(2026, 3, 10);
        const auto row = [](const char* tag, const InvoiceData& issued, Result result, bool confirmed = false) {
            QTest::newRow(tag) << issued << confirmed << result;
        };
        row("next number", document("FATTURA", 2, day), Result::Issued);
        row("gap left to the user", document("FATTURA", 4, day), Result::Issued);
        row("number taken", document("FATTURA", 1, day), Result::NumberTaken);
        row("taken in the shared sequence", document("NOTA DI DEBITO", 1, day), Result::NumberTaken);
        row("taken by a damaged file", document("FATTURA", 3, day), Result::NumberTaken);
        row("credit notes count apart", document("NOTA DI CREDITO", 1, day), Result::Issued);
        row("same number next year", document("FATTURA", 1, QDate(2027, 1, 2)), Result::Issued);
        row("zero", document("FATTURA", 0, day), Result::InvalidNumber);
        row("negative", document("FATTURA", -2, day), Result::InvalidNumber);
        row("ten digits", document("FATTURA", 1000000000, day), Result::InvalidNumber);
        row("earlier date asks", document("FATTURA", 2, day.addDays(-1)), Result::EarlierThanLast);
        row("earlier date confirmed", document("FATTURA", 2, day.addDays(-1)), Result::Issued, true);
        row("earlier in another sequence", document("NOTA DI CREDITO", 1, day.addDays(-1)), Result::Issued);
        row("unknown type", document("PREVENTIVO", 2, day), Result::NotWritten);
        row("no date", document("FATTURA", 2, QDate()), Result::NotWritten);
    }

    void issue_refusesWhatWouldBreakTheNumbering()
    {
        QFETCH(InvoiceData, issued);
        QFETCH(bool, confirmed);
        QFETCH(Result, result);
        const QString damagedFile = home->writeDataFile("document_FT_2026_000003.xml", damaged);
        DocumentRegister documents;
        documents.load();
        QCOMPARE(documents.issue(document("FATTURA", 1, QDate(2026, 3, 10), "PRIMO SPA")), Result::Issued);
        const QStringList before = dataFiles();
        const QString file = "document_" + DocumentRegister::recordIdOf(
            DocumentRegister::sequenceOf(issued.docType), issued.date.year(), issued.number) + ".xml";
        QSignalSpy issuedSpy(&documents, &DocumentRegister::documentIssued);

        QCOMPARE(documents.issue(issued, confirmed), result);
        QCOMPARE(documents.failure().isEmpty(), result == Result::Issued);
        QCOMPARE(issuedSpy.count(), result == Result::Issued ? 1 : 0);
        QCOMPARE(readFile(damagedFile), damaged);
        // one file more, and nothing else written; the first document kept as issued
        QStringList expected = before;
        if (result == Result::Issued)
            expected = QStringList(before + QStringList{file});
        expected.sort();
        QCOMPARE(dataFiles(), expected);
        QCOMPARE(documents.open("FT_2026_000001")->customer.value(RAGIONE_S), "PRIMO SPA");
        if (result == Result::Issued) {
            QVERIFY(*documents.open(issuedSpy.first().at(0).toString()) == issued);
            QVERIFY(documents.isIssued(issued.docType, issued.date.year(), issued.number));
        }
    }

    void parseNumber_refusesWhatIsNoNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number"); // 0: refused
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("blanks around") << " 7 " << 7;
        QTest::newRow("zeros before") << "000000042" << 42;
        QTest::newRow("nine digits") << "999999999" << 999999999;
        QTest::newRow("ten digits") << "1000000000" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("plus sign") << "+5" << 0;
        QTest::newRow("letters") << "4a" << 0;
        QTest::newRow("grouped") << "1.000" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void parseNumber_refusesWhatIsNoNumber()
    {
        QFETCH(QString, typed);
        QFETCH(int, number);
        QString message;
        QCOMPARE(DocumentRegister::parseNumber(typed, &message).value_or(0), number);
        QCOMPARE(message.isEmpty(), number != 0);
    }

    // A damaged file is listed as such and kept byte for byte; two files claiming one number
    // are both listed and marked; the year's index gives the same entries after a restart.
    void damagedAndDuplicateFiles_listedMarkedKept()
    {
        writeDocumentFile(*home, "FT_2026_000001", document("FATTURA", 1, QDate(2026, 1, 5), "ALFA SRL"));
        const QString broken = home->writeDataFile("document_FT_2026_000002.xml", damaged);
        const quint64 brokenInode = inodeOf(broken);
        writeDocumentFile(*home, "FT_2026_000003", document("FATTURA", 3, QDate(2026, 2, 1), "GAMMA SRL"));
        writeDocumentFile(*home, "FT_2026_3 copia", document("FATTURA", 3, QDate(2026, 2, 1), "GAMMA SRL"));

        for (int start = 0; start < 2; ++start) {
            DocumentRegister documents;
            documents.load();
            const QList<DocumentRegister::Entry> entries = documents.entries(2026);
            QStringList shown;
            for (const DocumentRegister::Entry& e : entries)
                shown << QStringLiteral("%1 %2 %3%4%5").arg(e.id, e.customerName).arg(e.number)
                             .arg(e.readable ? "" : " danneggiato", e.duplicate ? " doppio" : "");
            QCOMPARE(shown, (QStringList{"FT_2026_3 copia GAMMA SRL 3 doppio", "FT_2026_000003 GAMMA SRL 3 doppio",
                                         "FT_2026_000001 ALFA SRL 1", "FT_2026_000002  2 danneggiato"}));
            QCOMPARE(documents.nextNumber("FATTURA", 2026), 4);
            QVERIFY(!documents.open("FT_2026_000002"));
        }
        QVERIFY(QFile::exists(home->dataDir() + "/documentindex_2026.xml"));
        QCOMPARE(readFile(broken), damaged);
        QCOMPARE(inodeOf(broken), brokenInode);
    }

    // The yearly index is only a copy: after a restart the register shows the files as they
    // are, whatever the index kept of them.
    void restart_indexFollowsTheFiles_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("unchanged") << "" << QStringList{"FT_2026_000002 BETA SRL", "FT_2026_000001 ALFA SRL"};
        QTest::newRow("file removed") << "remove" << QStringList{"FT_2026_000001 ALFA SRL"};
        QTest::newRow("issued since") << "issue"
                                      << QStringList{"FT_2026_000003 GAMMA SRL", "FT_2026_000002 BETA SRL",
                                                     "FT_2026_000001 ALFA SRL"};
    }

    void restart_indexFollowsTheFiles()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, shown);
        writeDocumentFile(*home, "FT_2026_000001", document("FATTURA", 1, QDate(2026, 1, 5), "ALFA SRL"));
        writeDocumentFile(*home, "FT_2026_000002", document("FATTURA", 2, QDate(2026, 1, 9), "BETA SRL"));
        {
            DocumentRegister documents;
            documents.load();
            QCOMPARE(documents.entries(2026).size(), 2);
            if (change == "issue")
                QCOMPARE(documents.issue(document("FATTURA", 3, QDate(2026, 2, 1), "GAMMA SRL")), Result::Issued);
        }
        if (change == "remove")
            QVERIFY(QFile::remove(home->dataDir() + "/document_FT_2026_000002.xml"));
        for (int start = 0; start < 2; ++start) {
            DocumentRegister restarted;
            restarted.load();
            QStringList listed;
            for (const DocumentRegister::Entry& e : restarted.search(QString()))
                listed << e.id + ' ' + e.customerName;
            QCOMPARE(listed, shown);
        }
    }

    void search_byCustomerNumberOrAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("name, any case and accent") << "caffe" << 0 << QStringList{"NC_2026_000001", "FT_2025_000007"};
        QTest::newRow("name in one year") << "caffè" << 2025 << QStringList{"FT_2025_000007"};
        QTest::newRow("customer code") << "C00001" << 0
                                       << QStringList{"NC_2026_000001", "FT_2026_000012", "FT_2025_000007"};
        QTest::newRow("number") << "12" << 0 << QStringList{"FT_2026_000012"};
        QTest::newRow("amount with comma") << "1.164,70" << 0 << QStringList{"FT_2026_000012"};
        QTest::newRow("amount with point") << "1164.7" << 0 << QStringList{"FT_2026_000012"};
        QTest::newRow("nothing") << "VERDI" << 0 << QStringList();
    }

    void search_byCustomerNumberOrAmount()
    {
        QFETCH(QString, text);
        QFETCH(int, year);
        QFETCH(QStringList, found);
        DocumentRegister documents;
        documents.load();
        QCOMPARE(documents.issue(document("FATTURA", 7, QDate(2025, 6, 1), "CAFFÈ NERO SNC", 50)), Result::Issued);
        QCOMPARE(documents.issue(document("FATTURA", 12, QDate(2026, 2, 1), "ROSSI SRL", 1164.7)), Result::Issued);
        QCOMPARE(documents.issue(document("NOTA DI CREDITO", 1, QDate(2026, 3, 1), "CAFFE' BIANCO", 20)),
                 Result::Issued);
        DocumentRegister restarted;
        restarted.load();
        QStringList ids;
        for (const DocumentRegister::Entry& e : restarted.search(text, year))
            ids << e.id;
        QCOMPARE(ids, found);
    }

    void draft_savedLoadedDiscarded()
    {
        DocumentRegister documents;
        QVERIFY(!documents.loadDraft());
        InvoiceData draft = document("FATTURA", 0, QDate(2026, 5, 4));
        draft.rows = {{{"description", "VITI"}}};
        QVERIFY(documents.saveDraft(draft));
        QCOMPARE(dataFiles(), QStringList{"draft_0.xml"});
        QVERIFY(*DocumentRegister().loadDraft() == draft);
        QVERIFY(documents.discardDraft());
        QVERIFY(!documents.loadDraft());
        QVERIFY(documents.discardDraft()); // nothing left to discard is no failure
    }

    // An issued document keeps the customer as printed; a later change of the customer
    // shows on new documents only.
    void issuedDocument_keepsCustomerAsPrinted()
    {
        ModelFacade* facade = ModelFacade::instance();
        facade->loadPersistentData();
        facade->newCustomer();
        for (const auto& [key, value] : {std::pair{RAGIONE_S, "rossi srl"}, {ADDRESS, "via roma 1"}, {LOCALITY, "roma"},
                                         {CITY, "rm"}, {PIVA, "01234567890"}, {NAZIONE, "italia"}})
            facade->setCustomerField(key, value);
        bool added = false;
        QVERIFY(facade->selectInvoiceCustomer(facade->addCustomer(&added)));
        facade->setDocType("FATTURA");
        facade->setNumFattura("1");
        facade->setFDate(QDate(2026, 4, 1));
        DocumentRegister* documents = facade->documentRegister();
        QCOMPARE(documents->issue(facade->currentDocument()), Result::Issued);
        QVERIFY(facade->editInvoiceCustomer());
        facade->setCustomerField(RAGIONE_S, "rossi e figli srl");
        QVERIFY(facade->confirmCustomerEdit());

        QCOMPARE(documents->open("FT_2026_000001")->customer.value(RAGIONE_S), "ROSSI SRL");
        QCOMPARE(documents->entries(2026).value(0).customerName, "ROSSI SRL");
        QCOMPARE(facade->currentDocument().customer.value(RAGIONE_S), "ROSSI E FIGLI SRL");
    }

    // A full disk: nothing is issued, the number stays free, and the reason is said.
    void issue_onFullDisk_nothingIssued()
    {
        const Tmpfs disk(home->dataDir(), "size=64k");
        if (!disk.isMounted())
            QSKIP("needs root to mount a small file system");
        fillDisk(home->dataDir() + "/filler");
        DocumentRegister documents;
        documents.load();
        QCOMPARE(documents.issue(document("FATTURA", 1, QDate(2026, 1, 2))), Result::NotWritten);
        QVERIFY2(documents.failure().contains("disco pieno"), qPrintable(documents.failure()));
        QCOMPARE(documents.nextNumber("FATTURA", 2026), 1);
        QCOMPARE(dataFiles(), QStringList{"filler"});
    }
};

QTEST_GUILESS_MAIN(TestDocumentRegister)
#include "tst_documentregister.moc"
