// The model facade: loading and saving the records, the own company and its draft, the
// preferences, the invoice forwarders and the relay of the invoice's signals.
#include "companykeys.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "preferencekeys.h"
#include "testhome.h"

#include <QDir>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

using FieldMap = QMap<QString, QString>;
using Action = std::function<void(ModelFacade*)>;
Q_DECLARE_METATYPE(Action)

namespace {

ModelFacade* loadedFacade()
{
    ModelFacade* facade = ModelFacade::instance();
    facade->loadPersistentData();
    return facade;
}

// A customer with every required field, registered; gives its code.
QString registerCustomer(ModelFacade* facade, const QString& name, const QString& note = QString())
{
    facade->newCustomer();
    facade->setCustomerField(RAGIONE_S, name);
    facade->setCustomerField(ADDRESS, QStringLiteral("via roma 1"));
    facade->setCustomerField(LOCALITY, QStringLiteral("roma"));
    facade->setCustomerField(CITY, QStringLiteral("rm"));
    facade->setCustomerField(PIVA, QStringLiteral("01234567890"));
    facade->setCustomerField(NAZIONE, QStringLiteral("italia"));
    if (!note.isEmpty())
        facade->setCustomerField(NOTE, note);
    bool added = false;
    return facade->addCustomer(&added);
}

QString dataFile(const QString& name)
{
    return QDir::homePath() + QStringLiteral("/.Quillbook/data/") + name;
}

// One row of 1 x 100.00: its VAT is the rate the invoice was handed, in currency units.
double vatOnHundred(ModelFacade* facade)
{
    const int id = facade->addLineItem();
    facade->setLineItemField(id, LineItemKey::amount, QStringLiteral("1"));
    facade->setLineItemField(id, LineItemKey::prize, QStringLiteral("100"));
    return facade->getTotaleIva();
}

// setNumFattura() never creates an invoice, so a number that sticks proves there is one.
bool hasInvoice(ModelFacade* facade)
{
    facade->setNumFattura(QStringLiteral("7"));
    return facade->getNumFattura() == 7;
}

} // namespace

class TestModelFacade : public QObject
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

    void emptyDataDir_loadsOwnCodeEmptyPreferencesAndAnInvoice();
    void save_writesCompanyEveryCustomerAndPreferences();
    void unchangedRecords_areNotRewrittenOnSave();
    void unconfirmedCustomerEdit_isSavedWithPreEditValues();
    void companyFile_alwaysLoadsWithOwnCode_data();
    void companyFile_alwaysLoadsWithOwnCode();
    void unreadableCompanyFile_isKeptUntilCompanyDataIsCommitted_data();
    void unreadableCompanyFile_isKeptUntilCompanyDataIsCommitted();
    void companyEdit_abortedLeavesOwnCompanyUnchanged();
    void companyEdit_committedReplacesOwnCompanyAndKeepsCode();
    void typedValues_areUpperCased_data();
    void typedValues_areUpperCased();
    void ivaRate_isStoredAsTypedAndHandedToInvoice();
    void dropInvoice_emitsOnceAndInertForwardersDoNothing();
    void withoutInvoice_tabSettersCreateItWithPreferenceRate_data();
    void withoutInvoice_tabSettersCreateItWithPreferenceRate();
    void invoiceSignals_areRelayed_data();
    void invoiceSignals_areRelayed();
    void relays_passOnRowIdAndCustomerMap();
    void loadEditSaveLoad_keepsEverythingIncludingAccentsAndEuro();
    void courtCity_defaultsToTheOwnCompanyTown();

private:
    std::unique_ptr<TestHome> home;
};

void TestModelFacade::emptyDataDir_loadsOwnCodeEmptyPreferencesAndAnInvoice()
{
    ModelFacade* facade = ModelFacade::instance();
    QSignalSpy companySpy(facade, &ModelFacade::companyChanged);
    QVERIFY(facade->loadPersistentData());

    QVERIFY(facade->getCustomerCodes().isEmpty());
    QCOMPARE(*facade->companyFields(), (FieldMap{{CODE, QStringLiteral("AZ0001")}}));
    QCOMPARE(companySpy.count(), 1);
    QCOMPARE(companySpy.at(0).at(0).value<FieldMap*>(), facade->companyFields());
    for (const QString& text : {facade->getTCura(), facade->getCausale(), facade->getAspetto(), facade->getDataInizio(),
                                facade->getOraInizio(), facade->getSMezzo(), facade->getPorto()})
        QCOMPARE(text, QString());
    QCOMPARE(facade->getIva(), 22);
    QCOMPARE(vatOnHundred(facade), 22.0);
    QVERIFY(hasInvoice(facade));
}

void TestModelFacade::save_writesCompanyEveryCustomerAndPreferences()
{
    ModelFacade* facade = loadedFacade();
    QCOMPARE(registerCustomer(facade, QStringLiteral("alfa srl")), QStringLiteral("C00001"));
    QCOMPARE(registerCustomer(facade, QStringLiteral("beta spa")), QStringLiteral("C00002"));
    facade->newCustomer(); // being typed, not registered: not saved
    facade->setCustomerField(RAGIONE_S, QStringLiteral("gamma"));
    QVERIFY(facade->savePersistentData());

    QDir data(home->dataDir());
    QCOMPARE(data.entryList(QDir::Files, QDir::Name),
             (QStringList{"company_AZ0001.xml", "customer_C00001.xml", "customer_C00002.xml", "preference_0.xml"}));
    QCOMPARE(readFile(dataFile("company_AZ0001.xml")),
             QByteArray("<!DOCTYPE company>\n<company>\n <entry id=\"AZ0001\">\n"
                        "  <field name=\"CODE\">AZ0001</field>\n </entry>\n</company>\n"));
    QVERIFY(readFile(dataFile("customer_C00002.xml")).contains("<field name=\"RAGIONE_S\">BETA SPA</field>"));
    QVERIFY(readFile(dataFile("preference_0.xml")).contains("<field name=\"IVA_FIELD\">22</field>"));
}

void TestModelFacade::unchangedRecords_areNotRewrittenOnSave()
{
    ModelFacade* facade = loadedFacade();
    registerCustomer(facade, QStringLiteral("alfa srl"));
    registerCustomer(facade, QStringLiteral("beta spa"));
    facade->savePersistentData();
    ModelFacade::destroyInstance();

    const QStringList names = {"company_AZ0001.xml", "customer_C00001.xml", "customer_C00002.xml", "preference_0.xml"};
    QHash<QString, quint64> inodes;
    for (const QString& name : names)
        inodes.insert(name, inodeOf(dataFile(name)));

    facade = loadedFacade();
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00002")));
    QVERIFY(facade->editInvoiceCustomer());
    facade->setCustomerField(TELEPHONE, QStringLiteral("06 1234"));
    facade->confirmCustomerEdit();
    facade->savePersistentData();

    // records are replaced by rename: a written file is a new inode
    for (const QString& name : names) {
        const bool rewritten = inodeOf(dataFile(name)) != inodes.value(name);
        QVERIFY2(rewritten == (name == "customer_C00002.xml"), qPrintable(name));
    }
    QVERIFY(readFile(dataFile("customer_C00002.xml")).contains("<field name=\"TELEPHONE\">06 1234</field>"));
}

void TestModelFacade::unconfirmedCustomerEdit_isSavedWithPreEditValues()
{
    ModelFacade* facade = loadedFacade();
    registerCustomer(facade, QStringLiteral("rossi srl"));
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00001")));
    QVERIFY(facade->editInvoiceCustomer());
    facade->setCustomerField(RAGIONE_S, QStringLiteral("nome mai confermato"));
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("NOME MAI CONFERMATO"));

    facade->savePersistentData();
    const QByteArray saved = readFile(dataFile("customer_C00001.xml"));
    QVERIFY(saved.contains("<field name=\"RAGIONE_S\">ROSSI SRL</field>"));
    QVERIFY(!saved.contains("CONFERMATO"));
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("ROSSI SRL"));
}

void TestModelFacade::companyFile_alwaysLoadsWithOwnCode_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("another code in the file")
        << "company_AZ0001.xml"
        << QByteArray("<!DOCTYPE company>\n<company>\n <entry id=\"XX9999\">\n  <field name=\"CODE\">XX9999</field>\n"
                      "  <field name=\"RAGIONE_S\">ACME SRL</field>\n </entry>\n</company>\n");
    QTest::newRow("no code in an old file")
        << "company_old.xml"
        << QByteArray("<company><entry><field name=\"RAGIONE_S\">ACME SRL</field></entry></company>");
}

void TestModelFacade::companyFile_alwaysLoadsWithOwnCode()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    home->writeDataFile(fileName, bytes);

    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->companyFields()->value(CODE), QStringLiteral("AZ0001"));
    QCOMPARE(facade->companyFields()->value(RAGIONE_S), QStringLiteral("ACME SRL"));

    facade->savePersistentData();
    const QByteArray saved = readFile(dataFile("company_AZ0001.xml"));
    QVERIFY(saved.contains("<entry id=\"AZ0001\">"));
    QVERIFY(saved.contains("<field name=\"RAGIONE_S\">ACME SRL</field>"));
    QVERIFY(!QFile::exists(dataFile("company_XX9999.xml")));
    QVERIFY(!QFile::exists(dataFile("company_.xml")));
}

void TestModelFacade::unreadableCompanyFile_isKeptUntilCompanyDataIsCommitted_data()
{
    QTest::addColumn<Action>("edit");
    QTest::addColumn<bool>("overwritten");
    QTest::newRow("no edit") << Action([](ModelFacade*) {}) << false;
    QTest::newRow("edit aborted") << Action([](ModelFacade* f) {
        f->setCompanyField(RAGIONE_S, QStringLiteral("nuova srl"));
        f->abortCompany();
    }) << false;
    QTest::newRow("edit committed") << Action([](ModelFacade* f) {
        f->setCompanyField(RAGIONE_S, QStringLiteral("nuova srl"));
        f->commitCompany();
    }) << true;
}

void TestModelFacade::unreadableCompanyFile_isKeptUntilCompanyDataIsCommitted()
{
    QFETCH(Action, edit);
    QFETCH(bool, overwritten);
    const QByteArray damaged("<!DOCTYPE company>\n<company>\n <entry id=\"AZ0001\">\n  <field name=\"RAGIONE_S\">ACM");
    const QString path = home->writeDataFile(QStringLiteral("company_AZ0001.xml"), damaged);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("company_AZ0001\\.xml")));
    ModelFacade* facade = loadedFacade();
    QCOMPARE(*facade->companyFields(), (FieldMap{{CODE, QStringLiteral("AZ0001")}}));

    edit(facade);
    facade->savePersistentData();
    if (overwritten) {
        QVERIFY(readFile(path).contains("<field name=\"RAGIONE_S\">NUOVA SRL</field>"));
        QVERIFY(readFile(path).contains("<field name=\"CODE\">AZ0001</field>"));
    } else {
        QCOMPARE(readFile(path), damaged);
    }
}

void TestModelFacade::companyEdit_abortedLeavesOwnCompanyUnchanged()
{
    ModelFacade* facade = loadedFacade();
    const FieldMap before = *facade->companyFields();
    QSignalSpy spy(facade, &ModelFacade::companyChanged);

    QCOMPARE(facade->setCompanyField(RAGIONE_S, QStringLiteral("acme srl")), 0);
    QCOMPARE(facade->setCompanyField(CITY, QStringLiteral("m")), 2); // refused: too short
    QCOMPARE(spy.count(), 2);
    auto* draft = spy.at(1).at(0).value<FieldMap*>();
    QVERIFY(draft != facade->companyFields());
    QCOMPARE(spy.at(0).at(0).value<FieldMap*>(), draft);
    QCOMPARE(draft->value(RAGIONE_S), QStringLiteral("ACME SRL"));
    QCOMPARE(draft->value(CODE), QStringLiteral("AZ0001"));
    QCOMPARE(*facade->companyFields(), before);

    facade->abortCompany();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(*facade->companyFields(), before);

    // the next edit starts again from the own company, not from the aborted draft
    facade->setCompanyField(FAX, QStringLiteral("06 99"));
    QVERIFY(!spy.last().at(0).value<FieldMap*>()->contains(RAGIONE_S));
    facade->abortCompany();
    facade->commitCompany(); // nothing left to commit
    QCOMPARE(spy.count(), 3);
    QCOMPARE(*facade->companyFields(), before);
}

void TestModelFacade::companyEdit_committedReplacesOwnCompanyAndKeepsCode()
{
    home->writeDataFile(QStringLiteral("company_AZ0001.xml"),
                        "<company><entry><field name=\"CODE\">AZ0001</field>"
                        "<field name=\"IBAN\">IT60X0542811101000000123456</field></entry></company>");
    ModelFacade* facade = loadedFacade();
    QSignalSpy spy(facade, &ModelFacade::companyChanged);

    facade->setCompanyField(RAGIONE_S, QStringLiteral("acme srl"));
    facade->setCompanyField(CODE, QStringLiteral("zz99"));
    QCOMPARE(spy.last().at(0).value<FieldMap*>()->value(IBAN), QStringLiteral("IT60X0542811101000000123456"));
    facade->commitCompany();

    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.last().at(0).value<FieldMap*>(), facade->companyFields());
    QCOMPARE(*facade->companyFields(), (FieldMap{{CODE, QStringLiteral("AZ0001")},
                                                 {IBAN, QStringLiteral("IT60X0542811101000000123456")},
                                                 {RAGIONE_S, QStringLiteral("ACME SRL")}}));
    facade->savePersistentData();
    QCOMPARE(QDir(home->dataDir()).entryList({"company*"}, QDir::Files), QStringList{"company_AZ0001.xml"});
}

void TestModelFacade::typedValues_areUpperCased_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("customer name") << "customer" << RAGIONE_S << "mario rossi srl" << "MARIO ROSSI SRL";
    QTest::newRow("customer e-mail") << "customer" << EMAIL << "info@rossi.it" << "INFO@ROSSI.IT";
    QTest::newRow("customer accents") << "customer" << NOTE << "perché è così" << "PERCHÉ È COSÌ";
    QTest::newRow("company address") << "company" << ADDRESS << "via dell'orso 3" << "VIA DELL'ORSO 3";
    QTest::newRow("company town with accent") << "company" << LOCALITY << "forlì" << "FORLÌ";
    QTest::newRow("preference carriage") << "preference" << TCURA_FIELD << "mittente" << "MITTENTE";
    QTest::newRow("preference with euro sign") << "preference" << PORTO_FIELD << "franco 5 €" << "FRANCO 5 €";
}

void TestModelFacade::typedValues_areUpperCased()
{
    QFETCH(QString, target);
    QFETCH(QString, key);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    ModelFacade* facade = loadedFacade();
    if (target == "customer") {
        facade->setCustomerField(key, typed);
        QCOMPARE(facade->currentCustomerFields()->value(key), stored);
    } else if (target == "company") {
        facade->setCompanyField(key, typed);
        facade->commitCompany();
        QCOMPARE(facade->companyFields()->value(key), stored);
    } else {
        facade->setPreferenceField(key, typed);
        QCOMPARE(facade->preferenceField(key), stored);
    }
}

void TestModelFacade::ivaRate_isStoredAsTypedAndHandedToInvoice()
{
    ModelFacade* facade = loadedFacade();
    facade->setIva(QStringLiteral("ventidue"));
    QCOMPARE(facade->preferenceField(IVA_FIELD), QStringLiteral("ventidue"));
    QCOMPARE(facade->getIva(), 22);

    facade->setIva(QStringLiteral("10"));
    QCOMPARE(facade->getIva(), 10);
    QCOMPARE(vatOnHundred(facade), 10.0);

    facade->dropInvoice();
    facade->setIva(QStringLiteral("4")); // creates the invoice it hands the rate to
    QCOMPARE(vatOnHundred(facade), 4.0);
}

void TestModelFacade::courtCity_defaultsToTheOwnCompanyTown()
{
    ModelFacade* facade = loadedFacade();
    QCOMPARE(facade->getForo(), QString());
    facade->setCompanyField(LOCALITY, QStringLiteral("Torino"));
    QCOMPARE(facade->getForo(), QString()); // a draft is not the company yet
    facade->commitCompany();
    QCOMPARE(facade->getForo(), QStringLiteral("TORINO"));
    facade->setPreferenceField(FORO_FIELD, QStringLiteral("Milano"));
    QCOMPARE(facade->getForo(), QStringLiteral("MILANO"));

    facade->savePersistentData();
    ModelFacade::destroyInstance();
    QCOMPARE(loadedFacade()->getForo(), QStringLiteral("MILANO"));
}

void TestModelFacade::dropInvoice_emitsOnceAndInertForwardersDoNothing()
{
    ModelFacade* facade = loadedFacade();
    facade->setColli(QStringLiteral("3"));
    facade->setTrasporto(QStringLiteral("10"));
    facade->setScontoF(QStringLiteral("10"));
    facade->setFDate(QDate(2020, 1, 31));
    const int row = facade->addLineItem();
    facade->setLineItemField(row, LineItemKey::prize, QStringLiteral("50"));

    QSignalSpy changed(facade, &ModelFacade::invoiceChanged);
    QSignalSpy total(facade, &ModelFacade::invoiceTotalChanged);
    facade->dropInvoice();
    facade->dropInvoice();
    QCOMPARE(changed.count(), 1);

    facade->setNumFattura(QStringLiteral("5"));
    facade->setScontoF(QStringLiteral("20"));
    facade->setLineItemField(row, LineItemKey::prize, QStringLiteral("70"));
    facade->removeLineItem(row);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(total.count(), 0);

    const QList<std::pair<const char*, double>> numbers = {
        {"totaleMerci", facade->getTotaleMerci()}, {"totalImp", facade->getTotalImp()},
        {"totaleIva", facade->getTotaleIva()},     {"totale", facade->getTotale()},
        {"importoSconto", facade->getImportoSconto()}, {"scontoF", facade->getScontoF()},
        {"trasporto", facade->getTrasporto()},     {"varie", facade->getVarie()},
        {"imballo", facade->getImballo()},         {"speseBancarie", facade->getSpeseBancarie()},
        {"colli", facade->getColli()},             {"pesoColli", facade->getPesoColli()},
        {"nettoTotaleColli", facade->getNettoTotaleColli()}, {"lordoColli", facade->getLordoColli()}};
    for (const auto& [name, value] : numbers)
        QVERIFY2(value == 0.0, name);
    QCOMPARE(facade->getNumFattura(), 0);
    QCOMPARE(facade->getFDate(), QDate::currentDate());
    QVERIFY(facade->lineItemIds().isEmpty());
    QCOMPARE(facade->getLineItemField(row, LineItemKey::prize), QString());
    QVERIFY(facade->getPaymentInfo().isEmpty());
    QVERIFY(!facade->hasInvoiceCustomer());
    QVERIFY(!hasInvoice(facade)); // none of the above brought one back
}

void TestModelFacade::withoutInvoice_tabSettersCreateItWithPreferenceRate_data()
{
    QTest::addColumn<Action>("action");
    const auto row = [](const char* name, Action action) { QTest::newRow(name) << action; };
    row("setFDate", [](ModelFacade* f) { f->setFDate(QDate(2024, 5, 2)); });
    row("setSpeseBancarie", [](ModelFacade* f) { f->setSpeseBancarie(QStringLiteral("2,50")); });
    row("setColli", [](ModelFacade* f) { f->setColli(QStringLiteral("3")); });
    row("setPesoColli", [](ModelFacade* f) { f->setPesoColli(QStringLiteral("1,5")); });
    row("setNettoTotaleColli", [](ModelFacade* f) { f->setNettoTotaleColli(QStringLiteral("4")); });
    row("setLordoColli", [](ModelFacade* f) { f->setLordoColli(QStringLiteral("5")); });
    row("setVarie", [](ModelFacade* f) { f->setVarie(QStringLiteral("1")); });
    row("setImballo", [](ModelFacade* f) { f->setImballo(QStringLiteral("1")); });
    row("setTrasporto", [](ModelFacade* f) { f->setTrasporto(QStringLiteral("10")); });
    row("setPayment", [](ModelFacade* f) { f->setPayment(QStringLiteral("BONIFICO")); });
    row("setTmpBankInfo", [](ModelFacade* f) { f->setTmpBankInfo("03069", "03200", "", "INTESA"); });
    row("setFNote", [](ModelFacade* f) { f->setFNote(QStringLiteral("consegna al piano")); });
    row("setDocType", [](ModelFacade* f) { f->setDocType(QStringLiteral("FATTURA")); });
    row("addScadenzaDate", [](ModelFacade* f) { f->addScadenzaDate(QDate(2024, 6, 30), QStringLiteral("50%")); });
    row("removeScadenzaDate", [](ModelFacade* f) { f->removeScadenzaDate(QDate(2024, 6, 30), QString()); });
    row("addLineItem", [](ModelFacade* f) { QVERIFY(f->addLineItem() > 0); });
    row("getFNote", [](ModelFacade* f) { QCOMPARE(f->getFNote(), QString()); });
    row("getDocType", [](ModelFacade* f) { f->getDocType(); });
    row("getPayment", [](ModelFacade* f) { f->getPayment(); });
    row("getScadenze", [](ModelFacade* f) { QVERIFY(f->getScadenze().isEmpty()); });
    row("invoiceCustomerFields", [](ModelFacade* f) { QCOMPARE(f->invoiceCustomerFields(), nullptr); });
}

void TestModelFacade::withoutInvoice_tabSettersCreateItWithPreferenceRate()
{
    QFETCH(Action, action);
    ModelFacade* facade = loadedFacade();
    facade->setIva(QStringLiteral("10"));
    facade->dropInvoice();

    action(facade);
    QVERIFY(hasInvoice(facade));
    QCOMPARE(vatOnHundred(facade), 10.0);
}

void TestModelFacade::invoiceSignals_areRelayed_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("afterDrop");
    const auto rows = [](const char* name, const QByteArray& signal, const Action& action) {
        QTest::addRow("%s", name) << signal << action << false;
        QTest::addRow("%s, new invoice after a drop", name) << signal << action << true;
    };
    rows("total", "invoiceTotalChanged()", [](ModelFacade* f) { f->setScontoF(QStringLiteral("5")); });
    rows("row", "lineItemChanged(int)",
         [](ModelFacade* f) { f->setLineItemField(f->addLineItem(), LineItemKey::description, QStringLiteral("viti")); });
    rows("invoice", "invoiceChanged()", [](ModelFacade* f) { f->setNumFattura(QStringLiteral("12")); });
    rows("payment", "invoicePaymentChanged()", [](ModelFacade* f) { f->setPayment(QStringLiteral("CONTANTI")); });
    rows("due dates", "scadenzeChanged()", [](ModelFacade* f) { f->addScadenzaDate(QDate(2024, 7, 1), QString()); });
    rows("customer", "selectedCustomerChanged(QMap<QString,QString>*)",
         [](ModelFacade* f) { f->selectInvoiceCustomer(registerCustomer(f, QStringLiteral("rossi srl"))); });
}

void TestModelFacade::invoiceSignals_areRelayed()
{
    QFETCH(QByteArray, signal);
    QFETCH(Action, action);
    QFETCH(bool, afterDrop);
    ModelFacade* facade = loadedFacade();
    if (afterDrop) {
        facade->dropInvoice();
        facade->setColli(QStringLiteral("1"));
    }
    QSignalSpy spy(facade, QByteArray(QByteArray::number(QSIGNAL_CODE) + signal).constData());
    QVERIFY(spy.isValid());
    action(facade);
    QVERIFY(spy.count() >= 1);
}

void TestModelFacade::relays_passOnRowIdAndCustomerMap()
{
    ModelFacade* facade = loadedFacade();
    const QString code = registerCustomer(facade, QStringLiteral("rossi srl"));
    QSignalSpy rows(facade, &ModelFacade::lineItemChanged);
    QSignalSpy selected(facade, &ModelFacade::selectedCustomerChanged);

    facade->addLineItem();
    const int second = facade->addLineItem();
    facade->setLineItemField(second, LineItemKey::code, QStringLiteral("A1"));
    QVERIFY(!rows.isEmpty());
    for (const QList<QVariant>& emission : std::as_const(rows))
        QCOMPARE(emission.at(0).toInt(), second);

    QVERIFY(facade->selectInvoiceCustomer(code));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).value<FieldMap*>(), facade->invoiceCustomerFields());
    QVERIFY(!facade->selectInvoiceCustomer(QStringLiteral("C99999")));
    QCOMPARE(selected.count(), 2);
    QCOMPARE(selected.at(1).at(0).value<FieldMap*>(), nullptr);
}

void TestModelFacade::loadEditSaveLoad_keepsEverythingIncludingAccentsAndEuro()
{
    ModelFacade* facade = loadedFacade();
    facade->setCompanyField(RAGIONE_S, QStringLiteral("caffè È bello srl"));
    facade->setCompanyField(NOTE, QStringLiteral("capitale 10.000 €"));
    facade->commitCompany();
    QCOMPARE(registerCustomer(facade, QStringLiteral("società àèìòù"), QStringLiteral("acconto 50 €")),
             QStringLiteral("C00001"));
    QCOMPARE(registerCustomer(facade, QStringLiteral("bianchi spa")), QStringLiteral("C00002"));
    facade->setPreferenceField(PORTO_FIELD, QStringLiteral("franco € 5"));
    facade->setIva(QStringLiteral("10"));
    facade->savePersistentData();
    ModelFacade::destroyInstance();

    facade = loadedFacade();
    QCOMPARE(facade->companyFields()->value(RAGIONE_S), QStringLiteral("CAFFÈ È BELLO SRL"));
    QCOMPARE(facade->companyFields()->value(NOTE), QStringLiteral("CAPITALE 10.000 €"));
    QStringList codes = facade->getCustomerCodes(); // in the order the directory lists the files
    codes.sort();
    QCOMPARE(codes, (QStringList{"C00001", "C00002"}));
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00001")));
    QCOMPARE(facade->invoiceCustomerFields()->value(RAGIONE_S), QStringLiteral("SOCIETÀ ÀÈÌÒÙ"));
    QCOMPARE(facade->invoiceCustomerFields()->value(NOTE), QStringLiteral("ACCONTO 50 €"));
    QCOMPARE(facade->getPorto(), QStringLiteral("FRANCO € 5"));
    QCOMPARE(facade->getIva(), 10);
    QCOMPARE(vatOnHundred(facade), 10.0);

    QVERIFY(facade->editInvoiceCustomer());
    facade->setCustomerField(CITY, QStringLiteral("città"));
    facade->confirmCustomerEdit();
    QCOMPARE(facade->currentCustomerFields()->value(CODE), QStringLiteral("C00003"));
    facade->savePersistentData();
    ModelFacade::destroyInstance();

    facade = loadedFacade();
    QVERIFY(facade->selectInvoiceCustomer(QStringLiteral("C00001")));
    QCOMPARE(facade->invoiceCustomerFields()->value(CITY), QStringLiteral("CITTÀ"));
    QCOMPARE(facade->getCustomerCodes().size(), 2);
}

QTEST_GUILESS_MAIN(TestModelFacade)
#include "tst_modelfacade.moc"
