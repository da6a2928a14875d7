// The customer registry: loading customer files, handing out codes, the life of the
// customer being created or edited, choosing the invoice's customer, and the search.
#include "company.h"
#include "companykeys.h"
#include "modelfacade.h"
#include "serializable.h"
#include "testhome.h"

#include <QDir>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>


using FieldMap = QMap<QString, QString>;

namespace {

// A customer file exactly as the program writes it.
QByteArray customerXml(const QString& code, const QString& name)
{
    return QStringLiteral("<!DOCTYPE customer>\n<customer>\n <entry id=\"%1\">\n  <field name=\"CODE\">%1</field>\n"
                          "  <field name=\"RAGIONE_S\">%2</field>\n </entry>\n</customer>\n")
        .arg(code, name)
        .toUtf8();
}

// The data directory is listed in the file system's own order (by name hash on ext4, by
// creation on others), so a test that needs one file listed before or after another writes
// it under the first candidate name, and in the creation order, that the listing agrees with.
QString writeListed(TestHome& home, bool before, const QString& anchorName, const QString& pattern,
                    const QByteArray& bytes)
{
    const QString anchor = home.dataDir() + QLatin1Char('/') + anchorName;
    const QByteArray anchorBytes = readFile(anchor);
    for (int i = 0; i < 64; ++i) {
        for (const bool anchorRewritten : {false, true}) {
            const QString path = home.writeDataFile(pattern.arg(i), bytes);
            if (anchorRewritten) {
                QFile::remove(anchor);
                home.writeDataFile(anchorName, anchorBytes);
            }
            const QStringList listed = Serializable::filesOfType(QStringLiteral("customer"));
            if ((listed.indexOf(path) < listed.indexOf(anchor)) == before)
                return path;
            QFile::remove(path);
        }
    }
    return QString();
}

ModelFacade* loadedFacade()
{
    ModelFacade* facade = ModelFacade::instance();
    facade->loadPersistentData();
    return facade;
}

void fillRequired(ModelFacade* facade, const QString& name)
{
    facade->setCustomerField(RAGIONE_S, name);
    facade->setCustomerField(ADDRESS, QStringLiteral("via garibaldi 7"));
    facade->setCustomerField(LOCALITY, QStringLiteral("roma"));
    facade->setCustomerField(CITY, QStringLiteral("rm"));
    facade->setCustomerField(FISCAL_CODE, QStringLiteral("rssmra80a01h501u"));
    facade->setCustomerField(NAZIONE, QStringLiteral("italia"));
}

QString registerCustomer(ModelFacade* facade, const QString& name)
{
    facade->newCustomer();
    fillRequired(facade, name);
    bool added = false;
    return facade->addCustomer(&added);
}

QString currentCode(ModelFacade* facade)
{
    return facade->currentCustomerFields() ? facade->currentCustomerFields()->value(CODE) : QString();
}

} // namespace

class TestCustomerRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init() { home = std::make_unique<TestHome>(); }
    void cleanup()
    {
        ModelFacade::destroyInstance();
        home.reset();
    }

    void emptyRegistry_firstCodeC00001ThenC00002();
    void loadedCodes_nextIsOnePastHighest_data();
    void loadedCodes_nextIsOnePastHighest();
    void unreadableOrCodelessFile_isSkippedAndKeptUntouched_data();
    void unreadableOrCodelessFile_isSkippedAndKeptUntouched();
    void duplicateCodeFiles_fileNamedAfterCodeWinsAndCopyIsKept_data();
    void duplicateCodeFiles_fileNamedAfterCodeWinsAndCopyIsKept();
    void duplicateCodeFiles_withoutNamedFile_loadOnceAndKeepBothFiles();
    void setCustomerField_signalsOnlyRealChanges();
    void setCustomerField_onInvoiceCustomer_signalsSelectedCustomer();
    void abortCustomerEditing_offersFreshCustomerWithSameCode();
    void editInvoiceCustomer_confirmKeepsAndAbortRestores();
    void addCustomer_missingRequiredFields_changesNothing_data();
    void addCustomer_missingRequiredFields_changesNothing();
    void selectInvoiceCustomer_unknownCode_leavesNoCustomer();
    void search_data();
    void search();
    void search_givesFreshSummaryMapsOwnedByCaller();

private:
    std::unique_ptr<TestHome> home;
};

void TestCustomerRegistry::emptyRegistry_firstCodeC00001ThenC00002()
{
    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->currentCustomerFields(), nullptr);
    QVERIFY(facade->getChoiceFields(PIVA).isEmpty());
    QVERIFY(!facade->hasChoiceValue(PIVA));
    QCOMPARE(facade->getNewCustomerCode(), QStringLiteral("C00002"));
    QCOMPARE(facade->getNewCustomerCode(), QStringLiteral("C00002")); // asking does not use it up

    QVERIFY(facade->newCustomer());
    QCOMPARE(currentCode(facade), QStringLiteral("C00001"));
    QCOMPARE(facade->getChoiceFields(PIVA), QStringList{FISCAL_CODE});
    fillRequired(facade, QStringLiteral("alfa srl"));
    QVERIFY(facade->hasChoiceValue(PIVA));
    bool added = false;
    QCOMPARE(facade->addCustomer(&added), QStringLiteral("C00001"));
    QVERIFY(added);
    QCOMPARE(facade->currentCustomerFields(), nullptr);

    facade->setCustomerField(NOTE, QStringLiteral("nuovo")); // starts the next new customer
    QCOMPARE(currentCode(facade), QStringLiteral("C00002"));
    QCOMPARE(facade->getCustomerCodes(), QStringList{"C00001"});
}

void TestCustomerRegistry::loadedCodes_nextIsOnePastHighest_data()
{
    QTest::addColumn<QString>("listedFirst");
    QTest::addColumn<QString>("listedSecond");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("afterThat");
    QTest::newRow("C00003 then C00010") << "C00003" << "C00010" << "C00011" << "C00012";
    QTest::newRow("C00010 then C00003") << "C00010" << "C00003" << "C00011" << "C00012";
    QTest::newRow("five digits run out") << "C00001" << "C99999" << "C100000" << "C100001";
    QTest::newRow("six digits listed first") << "C100000" << "C00002" << "C100001" << "C100002";
    QTest::newRow("non-numeric code counts as 0, first") << "CLIENTE" << "C00002" << "C00003" << "C00004";
    QTest::newRow("non-numeric code counts as 0, second") << "C00002" << "CLIENTE" << "C00003" << "C00004";
}

void TestCustomerRegistry::loadedCodes_nextIsOnePastHighest()
{
    QFETCH(QString, listedFirst);
    QFETCH(QString, listedSecond);
    QFETCH(QString, next);
    QFETCH(QString, afterThat);
    const QString anchor = "customer_" + listedFirst + ".xml";
    home->writeDataFile(anchor, customerXml(listedFirst, QStringLiteral("PRIMO")));
    QVERIFY(!writeListed(*home, false, anchor, "old%1_customer.xml", customerXml(listedSecond, "SECONDO")).isEmpty());

    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->getCustomerCodes(), (QStringList{listedFirst, listedSecond}));
    facade->newCustomer();
    QCOMPARE(currentCode(facade), next);
    fillRequired(facade, QStringLiteral("terzo"));
    bool added = false;
    QCOMPARE(facade->addCustomer(&added), next);
    QCOMPARE(registerCustomer(facade, QStringLiteral("quarto")), afterThat);
}

void TestCustomerRegistry::unreadableOrCodelessFile_isSkippedAndKeptUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("warnings"); // the record reader warns too when it refuses the file
    QTest::newRow("empty file") << QByteArray() << 2;
    QTest::newRow("not XML") << QByteArray("ROSSI;C00009;ROMA\n") << 2;
    QTest::newRow("cut short") << customerXml("C00009", "ROSSI").left(60) << 2;
    QTest::newRow("too large to be a record") << QByteArray(1024 * 1024 + 1, 'x') << 2;
    QTest::newRow("no CODE field")
        << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"C00009\">\n"
                      "  <field name=\"RAGIONE_S\">ROSSI</field>\n </entry>\n</customer>\n")
        << 1;
    QTest::newRow("empty CODE") << customerXml(QString(), "ROSSI") << 1;
}

void TestCustomerRegistry::unreadableOrCodelessFile_isSkippedAndKeptUntouched()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, warnings);
    home->writeDataFile(QStringLiteral("customer_C00002.xml"), customerXml("C00002", "BIANCHI SPA"));
    const QString bad = home->writeDataFile(QStringLiteral("customer_damaged.xml"), bytes);
    for (int i = 0; i < warnings; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("customer_damaged\\.xml")));

    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->getCustomerCodes(), QStringList{"C00002"});
    QCOMPARE(facade->getNewCustomerCode(), QStringLiteral("C00004")); // next is C00003
    QCOMPARE(registerCustomer(facade, QStringLiteral("verdi snc")), QStringLiteral("C00003"));

    const quint64 inode = inodeOf(bad);
    facade->savePersistentData();
    QCOMPARE(readFile(bad), bytes);
    QCOMPARE(inodeOf(bad), inode);
    QVERIFY(!QFile::exists(home->dataDir() + "/customer_.xml"));
    QCOMPARE(QDir(home->dataDir()).entryList({"customer*"}, QDir::Files, QDir::Name),
             (QStringList{"customer_C00002.xml", "customer_C00003.xml", "customer_damaged.xml"}));
}

void TestCustomerRegistry::duplicateCodeFiles_fileNamedAfterCodeWinsAndCopyIsKept_data()
{
    QTest::addColumn<bool>("copyListedFirst");
    QTest::newRow("copy listed first") << true;
    QTest::newRow("copy listed last") << false;
}

void TestCustomerRegistry::duplicateCodeFiles_fileNamedAfterCodeWinsAndCopyIsKept()
{
    QFETCH(bool, copyListedFirst);
    const QString original = home->writeDataFile(QStringLiteral("customer_C00001.xml"),
                                                 customerXml("C00001", "ORIGINALE SRL"));
    const QByteArray copyBytes = customerXml("C00001", "COPIA SRL");
    const QString copy = writeListed(*home, copyListedFirst, "customer_C00001.xml", "old_customer_copy%1.xml", copyBytes);
    QVERIFY(!copy.isEmpty());
    const quint64 originalInode = inodeOf(original);
    const quint64 copyInode = inodeOf(copy);

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QRegularExpression::escape(QFileInfo(copy).fileName())));
    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->getCustomerCodes(), QStringList{"C00001"});
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00001")));
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("ORIGINALE SRL"));
    QCOMPARE(facade->search(QStringLiteral("COPIA")).size(), 0);

    facade->savePersistentData();
    QCOMPARE(readFile(copy), copyBytes);
    QCOMPARE(inodeOf(copy), copyInode);
    QCOMPARE(readFile(original), customerXml("C00001", "ORIGINALE SRL"));
    QCOMPARE(inodeOf(original), originalInode);
}

void TestCustomerRegistry::duplicateCodeFiles_withoutNamedFile_loadOnceAndKeepBothFiles()
{
    const QString first = home->writeDataFile(QStringLiteral("copy_a_customer.xml"), customerXml("C00007", "ALFA"));
    const QString second = home->writeDataFile(QStringLiteral("copy_b_customer.xml"), customerXml("C00007", "BETA"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("copy_[ab]_customer\\.xml")));

    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->getCustomerCodes(), QStringList{"C00007"});
    QCOMPARE(facade->getNewCustomerCode(), QStringLiteral("C00009")); // next is C00008
    facade->savePersistentData();

    QCOMPARE(readFile(first), customerXml("C00007", "ALFA"));
    QCOMPARE(readFile(second), customerXml("C00007", "BETA"));
    const QByteArray saved = readFile(home->dataDir() + "/customer_C00007.xml");
    QVERIFY(saved == customerXml("C00007", "ALFA") || saved == customerXml("C00007", "BETA"));
}

void TestCustomerRegistry::setCustomerField_signalsOnlyRealChanges()
{
    ModelFacade* facade = loadedFacade();
    QSignalSpy current(facade, &ModelFacade::currentCustomerChanged);
    QSignalSpy selected(facade, &ModelFacade::selectedCustomerChanged);

    QCOMPARE(facade->setCustomerField(NOTE, QStringLiteral("cliente storico")), 0); // creates the customer
    QCOMPARE(currentCode(facade), QStringLiteral("C00001"));
    const int afterFirst = current.count();
    QVERIFY(afterFirst >= 1);
    QCOMPARE(facade->setCustomerField(NOTE, QStringLiteral("CLIENTE STORICO")), 0); // same once upper-cased
    QCOMPARE(facade->setCustomerField(FAX, QString()), 0);                          // absent reads as empty
    QCOMPARE(current.count(), afterFirst);
    QCOMPARE(facade->setCustomerField(RAGIONE_S, QStringLiteral("x")), 2);
    QCOMPARE(facade->currentCustomerFields()->value(RAGIONE_S), QString());
    QCOMPARE(current.count(), afterFirst + 1);
    QCOMPARE(selected.count(), 0); // not the invoice's customer
}

void TestCustomerRegistry::setCustomerField_onInvoiceCustomer_signalsSelectedCustomer()
{
    ModelFacade* facade = loadedFacade();
    const QString code = registerCustomer(facade, QStringLiteral("rossi srl"));
    QVERIFY(facade->selectInvoiceCustomer(code));
    QSignalSpy current(facade, &ModelFacade::currentCustomerChanged);
    QVERIFY(facade->editInvoiceCustomer());
    QCOMPARE(current.count(), 1);
    QCOMPARE(facade->currentCustomerFields(), facade->invoiceCustomerFields());

    QSignalSpy selected(facade, &ModelFacade::selectedCustomerChanged);
    facade->setCustomerField(TELEPHONE, QStringLiteral("06 5551234"));
    QCOMPARE(current.count(), 2);
    QCOMPARE(selected.count(), 1);
    auto* fields = selected.at(0).at(0).value<FieldMap*>();
    QCOMPARE(fields, facade->currentCustomerFields());
    QCOMPARE(fields->value(TELEPHONE), QStringLiteral("06 5551234"));
    facade->setCustomerField(TELEPHONE, QStringLiteral("06 5551234"));
    QCOMPARE(selected.count(), 1);
}

void TestCustomerRegistry::abortCustomerEditing_offersFreshCustomerWithSameCode()
{
    ModelFacade* facade = loadedFacade();
    facade->newCustomer();
    fillRequired(facade, QStringLiteral("mai registrato"));
    const qsizetype records = facade->findChildren<Company*>().size();
    QSignalSpy current(facade, &ModelFacade::currentCustomerChanged);
    QVERIFY(facade->abortCustomerEditing());
    QVERIFY(current.count() >= 1);
    QCOMPARE(facade->findChildren<Company*>().size(), records); // discarded, not left behind
    QCOMPARE(*facade->currentCustomerFields(), (FieldMap{{CODE, QStringLiteral("C00001")}}));
    QVERIFY(facade->getCustomerCodes().isEmpty());

    // while editing a registered customer it stays registered
    const QString code = registerCustomer(facade, QStringLiteral("rossi srl"));
    QVERIFY(facade->selectInvoiceCustomer(code));
    QVERIFY(facade->editInvoiceCustomer());
    QVERIFY(facade->abortCustomerEditing());
    QCOMPARE(facade->getCustomerCodes(), QStringList{code});
    QCOMPARE(*facade->currentCustomerFields(), (FieldMap{{CODE, QStringLiteral("C00002")}}));
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("ROSSI SRL"));
}

void TestCustomerRegistry::editInvoiceCustomer_confirmKeepsAndAbortRestores()
{
    ModelFacade* facade = loadedFacade();
    QVERIFY(!facade->editInvoiceCustomer()); // the invoice has no customer
    QCOMPARE(facade->currentCustomerFields(), nullptr);

    const QString code = registerCustomer(facade, QStringLiteral("rossi srl"));
    QVERIFY(facade->selectInvoiceCustomer(code));
    facade->setCustomerField(NOTE, QStringLiteral("bozza")); // a new customer being typed ...
    QVERIFY(facade->editInvoiceCustomer());                   // ... is discarded
    QCOMPARE(facade->currentCustomerFields()->value(CODE), code);

    facade->setCustomerField(EMAIL, QStringLiteral("info@rossi.it"));
    facade->confirmCustomerEdit();
    QCOMPARE(facade->invoiceCustomerFields()->value(EMAIL), QStringLiteral("INFO@ROSSI.IT"));
    QCOMPARE(*facade->currentCustomerFields(), (FieldMap{{CODE, QStringLiteral("C00002")}}));

    QVERIFY(facade->editInvoiceCustomer());
    facade->setCustomerField(EMAIL, QStringLiteral("altro@rossi.it"));
    QSignalSpy current(facade, &ModelFacade::currentCustomerChanged);
    facade->abortCustomerEdit();
    QCOMPARE(current.count(), 0);
    QCOMPARE(facade->currentCustomerFields(), nullptr);
    QCOMPARE(facade->invoiceCustomerFields()->value(EMAIL), QStringLiteral("INFO@ROSSI.IT"));
    QCOMPARE(facade->getCustomerCodes(), QStringList{code});

    // a reset of the management tab during an edit undoes the edit, and offers a new customer
    QVERIFY(facade->editInvoiceCustomer());
    facade->setCustomerField(EMAIL, QStringLiteral("reset@rossi.it"));
    QVERIFY(facade->abortCustomerEditing());
    QCOMPARE(facade->invoiceCustomerFields()->value(EMAIL), QStringLiteral("INFO@ROSSI.IT"));
    QCOMPARE(facade->currentCustomerFields()->value(CODE), QStringLiteral("C00002"));
}

void TestCustomerRegistry::addCustomer_missingRequiredFields_changesNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("name missing") << RAGIONE_S << QString();
    QTest::newRow("province of one letter") << CITY << QStringLiteral("r");
    QTest::newRow("no tax identifier") << FISCAL_CODE << QString();
    QTest::newRow("country missing") << NAZIONE << QString();
    QTest::newRow("address missing") << ADDRESS << QString();
}

void TestCustomerRegistry::addCustomer_missingRequiredFields_changesNothing()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    ModelFacade* facade = loadedFacade();
    facade->newCustomer();
    fillRequired(facade, QStringLiteral("rossi srl"));
    facade->setCustomerField(key, value);
    const FieldMap typed = *facade->currentCustomerFields();
    QSignalSpy current(facade, &ModelFacade::currentCustomerChanged);

    bool notAdded = false;
    bool untouched = true;
    QCOMPARE(facade->addCustomer(&notAdded), QString());
    QCOMPARE(facade->addCustomer(&untouched), QString());
    QVERIFY(!notAdded);
    QVERIFY(untouched);
    QVERIFY(facade->getCustomerCodes().isEmpty());
    QCOMPARE(current.count(), 0);
    QCOMPARE(*facade->currentCustomerFields(), typed);
    QCOMPARE(facade->getNewCustomerCode(), QStringLiteral("C00002"));
}

void TestCustomerRegistry::selectInvoiceCustomer_unknownCode_leavesNoCustomer()
{
    ModelFacade* facade = loadedFacade();
    const QString code = registerCustomer(facade, QStringLiteral("rossi srl"));
    QVERIFY(facade->selectInvoiceCustomer(code));
    QVERIFY(facade->hasInvoiceCustomer());
    for (const QString& unknown : {QStringLiteral("C00009"), QStringLiteral("c00001"), QStringLiteral("C0000")}) {
        QVERIFY2(!facade->selectInvoiceCustomer(unknown), qPrintable(unknown));
        QVERIFY(!facade->hasInvoiceCustomer());
        QCOMPARE(facade->invoiceCustomerFields(), nullptr);
    }
}

void TestCustomerRegistry::search_data()
{
    QTest::addColumn<QString>("keywords");
    QTest::addColumn<QStringList>("found");
    const QStringList all = {"C00001", "C00002", "C00003", "C00004"};
    QTest::newRow("star lists all") << "*" << all;
    QTest::newRow("empty lists none") << "" << QStringList();
    QTest::newRow("word of the name") << "ROSSI" << QStringList{"C00001"};
    QTest::newRow("lower case") << "rossi" << QStringList{"C00001"};
    QTest::newRow("accented lower case") << "caffè" << QStringList{"C00004"};
    QTest::newRow("blanks around are trimmed") << "  rossi " << QStringList{"C00001"};
    QTest::newRow("exact code") << "C00001" << QStringList{"C00001"};
    QTest::newRow("code contains the word") << "C0000" << all;
    QTest::newRow("word contains the code") << "C00001X" << QStringList{"C00001"};
    QTest::newRow("whole query contains the name") << "XBIANCHI SPAX" << QStringList{"C00002"};
    QTest::newRow("two blanks make an empty word") << "ROSSI  BIANCHI" << all;
    QTest::newRow("two commas make an empty word") << "ROSSI,,BIANCHI" << all;
    QTest::newRow("registry order, each once") << "verdi,rossi,ROSSI" << QStringList{"C00001", "C00003"};
    QTest::newRow("star among words is no wildcard") << "ROSSI *" << QStringList{"C00001"};
    QTest::newRow("address is not searched") << "GARIBALDI" << QStringList();
    QTest::newRow("e-mail is not searched") << "ROSSI.IT" << QStringList();
    QTest::newRow("telephone is not searched") << "5551234" << QStringList();
    QTest::newRow("no such customer") << "NERI" << QStringList();
}

void TestCustomerRegistry::search()
{
    QFETCH(QString, keywords);
    QFETCH(QStringList, found);
    ModelFacade* facade = loadedFacade();
    QCOMPARE(registerCustomer(facade, QStringLiteral("mario rossi srl")), QStringLiteral("C00001"));
    registerCustomer(facade, QStringLiteral("bianchi spa"));
    registerCustomer(facade, QStringLiteral("verdi & figli snc"));
    facade->newCustomer();
    fillRequired(facade, QStringLiteral("caffè del corso"));
    facade->setCustomerField(EMAIL, QStringLiteral("info@rossi.it"));
    facade->setCustomerField(TELEPHONE, QStringLiteral("06 5551234"));
    bool added = false;
    QCOMPARE(facade->addCustomer(&added), QStringLiteral("C00004"));

    const QList<FieldMap*> hits = facade->search(keywords);
    QStringList codes;
    for (const FieldMap* hit : hits)
        codes << hit->value(CODE);
    qDeleteAll(hits);
    QCOMPARE(codes, found);
}

void TestCustomerRegistry::search_givesFreshSummaryMapsOwnedByCaller()
{
    ModelFacade* facade = loadedFacade();
    facade->newCustomer();
    fillRequired(facade, QStringLiteral("mario rossi srl"));
    facade->setCustomerField(MOBILE_PHONE, QStringLiteral("333 1234567"));
    facade->setCustomerField(NOTE, QStringLiteral("non nel riepilogo"));
    bool added = false;
    facade->addCustomer(&added);
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00001")));

    QList<FieldMap*> hits = facade->search(QStringLiteral("ROSSI"));
    QCOMPARE(hits.size(), 1);
    QCOMPARE(*hits.first(), (FieldMap{{RAGIONE_S, "MARIO ROSSI SRL"}, {CODE, "C00001"}, {MOBILE_PHONE, "333 1234567"},
                                      {TELEPHONE, ""}, {ADDRESS, "VIA GARIBALDI 7"}, {EMAIL, ""}}));
    QVERIFY(hits.first() != facade->invoiceCustomerFields());
    hits.first()->insert(RAGIONE_S, QStringLiteral("CAMBIATO"));
    qDeleteAll(hits);
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("MARIO ROSSI SRL"));

    hits = facade->search(QStringLiteral("rossi"));
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.first()->value(RAGIONE_S), QStringLiteral("MARIO ROSSI SRL"));
    qDeleteAll(hits);
}

QTEST_GUILESS_MAIN(TestCustomerRegistry)
#include "tst_customerregistry.moc"
