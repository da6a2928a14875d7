// The document being prepared: rows, costs, discount, VAT and totals; payment mode, bank
// data and due dates. CTest runs this under the C, English and Italian system locales.
#include "amounttext.h"
#include "company.h"
#include "companykeys.h"
#include "invoice.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "paymentmodes.h"
#include "testhome.h"

#include <QtTest>

#include <memory>

namespace {

using FieldMap = QMap<QString, QString>;

// Names of the invoice's signals in the order they arrive.
class SignalLog : public QObject
{
public:
    explicit SignalLog(Invoice* invoice)
    {
        const auto log = [this](const char* name) { return [this, name] { names << QString::fromLatin1(name); }; };
        connect(invoice, &Invoice::invoiceAmountChanged, this, log("invoiceAmountChanged"));
        connect(invoice, &Invoice::lineItemChanged, this, log("lineItemChanged"));
        connect(invoice, &Invoice::invoiceChanged, this, log("invoiceChanged"));
        connect(invoice, &Invoice::scadenzeChanged, this, log("scadenzeChanged"));
        connect(invoice, &Invoice::currentCustomerChanged, this, log("currentCustomerChanged"));
        connect(invoice, &Invoice::invoicePaymentChanged, this, log("invoicePaymentChanged"));
    }
    QStringList names;
};

// A row of quantity 1 at the given price.
int addRow(Invoice& invoice, const QString& price)
{
    const int id = invoice.addLineItem();
    invoice.setLineItemField(id, LineItemKey::amount, QStringLiteral("1"));
    invoice.setLineItemField(id, LineItemKey::prize, price);
    return id;
}

QString cents(double amount)
{
    return formatAmount(amount);
}

using CostSetter = bool (Invoice::*)(const QString&);
using CostGetter = double (Invoice::*)() const;

const QMap<QString, QPair<CostSetter, CostGetter>>& costMembers()
{
    static const QMap<QString, QPair<CostSetter, CostGetter>> members = {
        {"trasporto", {&Invoice::setTrasporto, &Invoice::getTrasporto}},
        {"varie", {&Invoice::setVarie, &Invoice::getVarie}},
        {"imballo", {&Invoice::setImballo, &Invoice::getImballo}},
        {"speseBancarie", {&Invoice::setSpeseBancarie, &Invoice::getSpeseBancarie}},
        {"colli", {&Invoice::setColli, &Invoice::getColli}},
        {"pesoColli", {&Invoice::setPesoColli, &Invoice::getPesoColli}},
        {"nettoTotaleColli", {&Invoice::setNettoTotaleColli, &Invoice::getNettoTotaleColli}},
        {"lordoColli", {&Invoice::setLordoColli, &Invoice::getLordoColli}},
    };
    return members;
}

} // namespace

class TestInvoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void newInvoice_hasAllTotalsZero();
    void totals_data();
    void totals();
    void invoiceDiscount_multipliesBeforeDividing();
    void rowVatCodes_doNotEnterTheTotals();

    void costSetter_data();
    void costSetter();
    void parcelData_leaveTheTotalsAlone();
    void setScontoF_keepsOldValueOnBadText();
    void setNumFattura_data();
    void setNumFattura();

    void rowEdit_recomputesBeforeRefreshingTheRow();
    void removeLineItem_restoresTotals();
    void setIva_recomputes();

    void lineIds_areNeverReused();
    void lineIds_continueAfterAFacadeReset();

    void setCustomer_announcesItsFields();
    void payment_offersFiveModesButStoresAnyText();
    void paymentInfo_withoutCustomer_isEmpty();
    void paymentInfo_data();
    void paymentInfo();
    void typedBankData_surviveANewInvoice();

    void scadenze_keepInsertionOrder();
    void removeScadenza_data();
    void removeScadenza();
    void removeScadenza_findsTheEntryItsDisplayTextNames();

private:
    std::unique_ptr<TestHome> home;
};

void TestInvoice::init()
{
    home = std::make_unique<TestHome>();
}

void TestInvoice::cleanup()
{
    ModelFacade::destroyInstance();
    home.reset();
}

void TestInvoice::newInvoice_hasAllTotalsZero()
{
    Invoice invoice(nullptr);
    invoice.setIva(22);
    for (double value : {invoice.getTotaleMerci(), invoice.getTotalImp(), invoice.getTotaleIva(), invoice.getTotale(),
                         invoice.getImportoSconto(), invoice.getScontoF(), invoice.getTrasporto()})
        QCOMPARE(value, 0.0);
    QCOMPARE(invoice.getNumFattura(), 0);
    QCOMPARE(invoice.getFDate(), QDate::currentDate());
    QVERIFY(invoice.lineItemIds().isEmpty());
    QVERIFY(invoice.getPayment().isEmpty());
    QVERIFY(invoice.getScadenze().isEmpty());
    QCOMPARE(invoice.getCustomerFields(), nullptr);
}

void TestInvoice::totals_data()
{
    QTest::addColumn<QStringList>("prices");
    QTest::addColumn<QString>("scontoF");
    QTest::addColumn<int>("iva");
    QTest::addColumn<QStringList>("costs"); // trasporto, varie, imballo, speseBancarie
    QTest::addColumn<QStringList>("expected"); // merci, importoSconto, imponibile, iva, totale

    const QStringList noCosts = {"0", "0", "0", "0"};
    QTest::newRow("two rows, 10 % off, 22 % VAT") << QStringList{"100", "50"} << "10" << 22 << noCosts
                                                  << QStringList{"150,00", "15,00", "135,00", "29,70", "164,70"};
    QTest::newRow("same, Italian prices") << QStringList{"100,00", "50,00"} << "10,0" << 22 << noCosts
                                          << QStringList{"150,00", "15,00", "135,00", "29,70", "164,70"};
    QTest::newRow("transport carries no VAT") << QStringList{"100", "50"} << "10" << 22 << QStringList{"10", "0", "0", "0"}
                                              << QStringList{"150,00", "15,00", "135,00", "29,70", "174,70"};
    QTest::newRow("no cost carries VAT") << QStringList{"100"} << "0" << 22 << QStringList{"10", "5", "3", "2"}
                                         << QStringList{"100,00", "0,00", "100,00", "22,00", "142,00"};
    QTest::newRow("costs without rows") << QStringList{} << "0" << 22 << QStringList{"10", "0", "0", "0"}
                                        << QStringList{"0,00", "0,00", "0,00", "0,00", "10,00"};
    QTest::newRow("no VAT") << QStringList{"100"} << "0" << 0 << noCosts
                            << QStringList{"100,00", "0,00", "100,00", "0,00", "100,00"};
    QTest::newRow("discount of 150 % eats into the transport") << QStringList{"100"} << "150" << 22
                                                               << QStringList{"80", "0", "0", "0"}
                                                               << QStringList{"100,00", "150,00", "0,00", "0,00", "30,00"};
    QTest::newRow("discount beyond the costs leaves no negative total") << QStringList{"100"} << "200" << 22
                                                                        << QStringList{"50", "0", "0", "0"}
                                                                        << QStringList{"100,00", "200,00", "0,00", "0,00", "0,00"};
    QTest::newRow("negative discount counts as none") << QStringList{"100"} << "-10" << 22 << noCosts
                                                      << QStringList{"100,00", "0,00", "100,00", "22,00", "122,00"};
    QTest::newRow("grouped prices") << QStringList{"1.234,50", "1.000"} << "0" << 10 << noCosts
                                    << QStringList{"2234,50", "0,00", "2234,50", "223,45", "2457,95"};
}

void TestInvoice::totals()
{
    QFETCH(QStringList, prices);
    QFETCH(QString, scontoF);
    QFETCH(int, iva);
    QFETCH(QStringList, costs);
    QFETCH(QStringList, expected);

    Invoice invoice(nullptr);
    invoice.setIva(iva);
    for (const QString& price : prices)
        addRow(invoice, price);
    invoice.setScontoF(scontoF);
    QVERIFY(invoice.setTrasporto(costs.at(0)));
    QVERIFY(invoice.setVarie(costs.at(1)));
    QVERIFY(invoice.setImballo(costs.at(2)));
    QVERIFY(invoice.setSpeseBancarie(costs.at(3)));

    const QStringList actual = {cents(invoice.getTotaleMerci()), cents(invoice.getImportoSconto()),
                                cents(invoice.getTotalImp()), cents(invoice.getTotaleIva()), cents(invoice.getTotale())};
    QCOMPARE(actual, expected);
    QVERIFY(invoice.getTotaleIva() >= 0);
    QVERIFY(invoice.getTotalImp() >= 0);
}

void TestInvoice::invoiceDiscount_multipliesBeforeDividing()
{
    // 10 % of 0.35: multiplying first and dividing first give different doubles
    Invoice invoice(nullptr);
    addRow(invoice, QStringLiteral("0,35"));
    invoice.setScontoF(QStringLiteral("10"));
    const double goods = 0.35;
    QVERIFY(goods * 10 / 100 != goods / 100 * 10);
    QCOMPARE(invoice.getImportoSconto(), goods * 10 / 100);
    QCOMPARE(invoice.getTotalImp(), goods - goods * 10 / 100);
    QCOMPARE(cents(invoice.getImportoSconto()), QStringLiteral("0,04"));
    QCOMPARE(cents(invoice.getTotalImp()), QStringLiteral("0,32")); // 0.315: half a cent rounds up
    QCOMPARE(cents(invoice.getTotaleMerci()), QStringLiteral("0,35"));
}

void TestInvoice::rowVatCodes_doNotEnterTheTotals()
{
    QVERIFY(ModelFacade::instance()->loadPersistentData());
    Invoice invoice(nullptr);
    const int id = addRow(invoice, QStringLiteral("100"));
    invoice.setIva(10);
    QCOMPARE(invoice.getLineItemField(id, LineItemKey::c_iva), QStringLiteral("22.00"));
    QCOMPARE(cents(invoice.getTotaleIva()), QStringLiteral("10,00"));
    QCOMPARE(cents(invoice.getTotale()), QStringLiteral("110,00"));
}

void TestInvoice::costSetter_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<double>("stored");

    // each setter starts from 7
    for (const QString& member : costMembers().keys()) {
        const auto row = [&member](const char* what) { return (member + QStringLiteral(": ") + QLatin1String(what)).toUtf8(); };
        QTest::newRow(row("whole").constData()) << member << "10" << true << 10.0;
        QTest::newRow(row("decimal comma").constData()) << member << "2,5" << true << 2.5;
        QTest::newRow(row("decimal point").constData()) << member << "2.5" << true << 2.5;
        QTest::newRow(row("grouped").constData()) << member << "1.234,5" << true << 1234.5;
        QTest::newRow(row("negative").constData()) << member << "-5" << true << 0.0;
        QTest::newRow(row("letters").constData()) << member << "abc" << false << 7.0;
        QTest::newRow(row("empty").constData()) << member << "" << false << 7.0;
        QTest::newRow(row("infinity").constData()) << member << "inf" << false << 7.0;
    }
}

void TestInvoice::costSetter()
{
    QFETCH(QString, member);
    QFETCH(QString, text);
    QFETCH(bool, converted);
    QFETCH(double, stored);
    const auto [set, get] = costMembers().value(member);

    Invoice invoice(nullptr);
    QVERIFY((invoice.*set)(QStringLiteral("7")));
    SignalLog log(&invoice);
    QCOMPARE((invoice.*set)(text), converted);
    QCOMPARE((invoice.*get)(), stored);
    // the window shows the stored value again either way
    QCOMPARE(log.names, (QStringList{"invoiceChanged", "invoiceAmountChanged"}));
}

void TestInvoice::parcelData_leaveTheTotalsAlone()
{
    Invoice invoice(nullptr);
    invoice.setIva(22);
    addRow(invoice, QStringLiteral("100"));
    QVERIFY(invoice.setColli(QStringLiteral("3")));
    QVERIFY(invoice.setPesoColli(QStringLiteral("12,5")));
    QVERIFY(invoice.setNettoTotaleColli(QStringLiteral("40")));
    QVERIFY(invoice.setLordoColli(QStringLiteral("45")));
    QCOMPARE(cents(invoice.getTotale()), QStringLiteral("122,00"));
}

void TestInvoice::setScontoF_keepsOldValueOnBadText()
{
    Invoice invoice(nullptr);
    addRow(invoice, QStringLiteral("100"));
    SignalLog log(&invoice);
    QSignalSpy amountChanged(&invoice, &Invoice::invoiceAmountChanged);

    invoice.setScontoF(QStringLiteral("12,5"));
    QCOMPARE(invoice.getScontoF(), 12.5);
    QCOMPARE(amountChanged.size(), 2);
    QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "invoiceAmountChanged"}));

    invoice.setScontoF(QStringLiteral("abc"));
    QCOMPARE(invoice.getScontoF(), 12.5);
    QCOMPARE(cents(invoice.getTotalImp()), QStringLiteral("87,50"));
    invoice.setScontoF(QStringLiteral("-3"));
    QCOMPARE(invoice.getScontoF(), 0.0);
    QCOMPARE(amountChanged.size(), 6);
    QVERIFY(!log.names.contains(QStringLiteral("invoiceChanged")));
}

void TestInvoice::setNumFattura_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");

    QTest::newRow("whole number") << "12" << 12;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("trailing letter") << "12a" << 0;
    QTest::newRow("decimal") << "1,5" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestInvoice::setNumFattura()
{
    QFETCH(QString, text);
    QFETCH(int, number);

    Invoice invoice(nullptr);
    invoice.setNumFattura(QStringLiteral("5"));
    SignalLog log(&invoice);
    invoice.setNumFattura(text);
    QCOMPARE(invoice.getNumFattura(), number);
    QCOMPARE(log.names, QStringList{"invoiceChanged"});
}

void TestInvoice::rowEdit_recomputesBeforeRefreshingTheRow()
{
    Invoice invoice(nullptr);
    const int id = invoice.addLineItem();
    SignalLog log(&invoice);
    QSignalSpy rowChanged(&invoice, &Invoice::lineItemChanged);

    invoice.setLineItemField(id, LineItemKey::amount, QStringLiteral("2"));
    invoice.setLineItemField(id, LineItemKey::prize, QStringLiteral("2,50"));
    QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "lineItemChanged", "invoiceAmountChanged", "lineItemChanged"}));
    QCOMPARE(cents(invoice.getTotaleMerci()), QStringLiteral("5,00"));
    QCOMPARE(rowChanged.size(), 2);
    QCOMPARE(rowChanged.at(1).at(0).toInt(), id);

    log.names.clear();
    invoice.setLineItemField(id, LineItemKey::description, QStringLiteral("VITI"));
    QCOMPARE(log.names, QStringList{"lineItemChanged"});
    QCOMPARE(invoice.getLineItemField(id, LineItemKey::description), QStringLiteral("VITI"));

    // a row that is not there is neither edited nor read
    log.names.clear();
    invoice.setLineItemField(id + 1000, LineItemKey::prize, QStringLiteral("9"));
    QVERIFY(log.names.isEmpty());
    QCOMPARE(invoice.getLineItemField(id + 1000, LineItemKey::prize), QString());
    QCOMPARE(cents(invoice.getTotaleMerci()), QStringLiteral("5,00"));
}

void TestInvoice::removeLineItem_restoresTotals()
{
    Invoice invoice(nullptr);
    invoice.setIva(22);
    addRow(invoice, QStringLiteral("100"));
    const double before = invoice.getTotale();
    const int extra = addRow(invoice, QStringLiteral("50"));

    SignalLog log(&invoice);
    invoice.removeLineItem(extra);
    QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "invoiceChanged"}));
    QCOMPARE(invoice.getTotale(), before);
    QCOMPARE(invoice.getLineItemField(extra, LineItemKey::prize), QString());

    log.names.clear();
    invoice.removeLineItem(extra);
    QCOMPARE(invoice.lineItemIds().size(), 1);
    QCOMPARE(invoice.getTotale(), before);
    QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "invoiceChanged"}));
}

void TestInvoice::setIva_recomputes()
{
    Invoice invoice(nullptr);
    addRow(invoice, QStringLiteral("100"));
    SignalLog log(&invoice);
    invoice.setIva(10);
    QCOMPARE(log.names, (QStringList{"invoiceChanged", "invoiceAmountChanged"}));
    QCOMPARE(cents(invoice.getTotale()), QStringLiteral("110,00"));
}

void TestInvoice::lineIds_areNeverReused()
{
    auto first = std::make_unique<Invoice>(nullptr);
    SignalLog log(first.get());
    const int a = first->addLineItem();
    const int b = first->addLineItem();
    QVERIFY(log.names.isEmpty());
    QCOMPARE(b, a + 1);
    first->removeLineItem(b);
    QCOMPARE(first->addLineItem(), b + 1);
    QCOMPARE(first->lineItemIds(), (QList<int>{a, b + 1}));

    first.reset();
    Invoice second(nullptr);
    QCOMPARE(second.addLineItem(), b + 2);
}

void TestInvoice::lineIds_continueAfterAFacadeReset()
{
    ModelFacade* facade = ModelFacade::instance();
    QVERIFY(facade->loadPersistentData());
    const int last = facade->addLineItem();
    facade->dropInvoice();
    QVERIFY(facade->lineItemIds().isEmpty());
    QCOMPARE(facade->addLineItem(), last + 1);
}

void TestInvoice::setCustomer_announcesItsFields()
{
    Invoice invoice(nullptr);
    QSignalSpy customerChanged(&invoice, &Invoice::currentCustomerChanged);
    {
        Company customer(nullptr, QStringLiteral("customer"));
        customer.fields()->insert(CODE, QStringLiteral("C00001"));
        invoice.setCustomer(&customer);
        QCOMPARE(invoice.getCustomer(), &customer);
        QCOMPARE(invoice.getCustomerFields(), customer.fields());
        QCOMPARE(customerChanged.last().at(0).value<FieldMap*>(), customer.fields());
    }
    // a customer deleted from the registry is no longer the invoice's
    QCOMPARE(invoice.getCustomer(), nullptr);
    QCOMPARE(invoice.getCustomerFields(), nullptr);
    QVERIFY(invoice.getPaymentInfo().isEmpty());

    invoice.setCustomer(nullptr);
    QCOMPARE(customerChanged.size(), 2);
    QCOMPARE(customerChanged.last().at(0).value<FieldMap*>(), nullptr);
}

void TestInvoice::payment_offersFiveModesButStoresAnyText()
{
    QCOMPARE(Invoice::paymentModes(),
             (QStringList{QString(), "RIMESSA DIRETTA", "CONTANTI", "RiBa. (ricevuta bancaria)", "BONIFICO"}));
    QCOMPARE(Invoice::paymentModes().at(3), RIBA_PAYMENT_MODE);

    Invoice invoice(nullptr);
    QSignalSpy paymentChanged(&invoice, &Invoice::invoicePaymentChanged);
    QVERIFY(invoice.setPayment(QStringLiteral("A 30 GIORNI")));
    QCOMPARE(invoice.getPayment(), QStringLiteral("A 30 GIORNI"));
    QVERIFY(invoice.setPayment(QString()));
    QVERIFY(invoice.getPayment().isEmpty());
    QCOMPARE(paymentChanged.size(), 2);
}

void TestInvoice::paymentInfo_withoutCustomer_isEmpty()
{
    Invoice invoice(nullptr);
    invoice.setTmpBankInfo(QStringLiteral("03069"), QStringLiteral("01234"), QStringLiteral("IT60X"), QStringLiteral("MILANO"));
    for (const QString& mode : Invoice::paymentModes()) {
        invoice.setPayment(mode);
        QVERIFY2(invoice.getPaymentInfo().isEmpty(), qPrintable(mode));
    }
}

void TestInvoice::paymentInfo_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("typed"); // ABI, CAB, IBAN, FILIALE; empty: never typed
    QTest::addColumn<QStringList>("expected"); // ABI, CAB, IBAN, FILIALE; empty: empty map

    const QString riba = RIBA_PAYMENT_MODE;
    const QStringList registered = {"03069", "09606", "", "MILANO"};
    const QString iban = QStringLiteral("IT60X0542811101000000123456");
    QTest::newRow("RiBa, nothing typed: registered data") << riba << QStringList{} << registered;
    QTest::newRow("transfer, nothing typed: nothing") << "BONIFICO" << QStringList{} << QStringList{};
    QTest::newRow("RiBa, mode in other case: nothing") << "riba. (ricevuta bancaria)" << QStringList{} << QStringList{};
    QTest::newRow("RiBa, two characters typed: registered data")
        << riba << QStringList{"12", "34", "AB", "CD"} << registered;
    QTest::newRow("RiBa, three characters in one field: typed data")
        << riba << QStringList{"", "", "", "ROM"} << QStringList{"", "", "", "ROM"};
    QTest::newRow("RiBa, IBAN typed: typed data") << riba << QStringList{"", "", iban, ""} << QStringList{"", "", iban, ""};
    QTest::newRow("cash, typed data") << "CONTANTI" << QStringList{"1", "", "", ""} << QStringList{"1", "", "", ""};
    QTest::newRow("no mode, typed data") << "" << QStringList{"11111", "22222", iban, "TORINO"}
                                         << QStringList{"11111", "22222", iban, "TORINO"};
}

void TestInvoice::paymentInfo()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, expected);

    Company customer(nullptr, QStringLiteral("customer"));
    customer.fields()->insert(CODE, QStringLiteral("C00001"));
    customer.fields()->insert(ABI, QStringLiteral("03069"));
    customer.fields()->insert(CAB, QStringLiteral("09606"));
    customer.fields()->insert(FILIALE, QStringLiteral("MILANO"));
    Invoice invoice(nullptr);
    invoice.setCustomer(&customer);
    invoice.setPayment(mode);
    if (!typed.isEmpty())
        invoice.setTmpBankInfo(typed.at(0), typed.at(1), typed.at(2), typed.at(3));

    FieldMap wanted;
    if (!expected.isEmpty())
        wanted = {{ABI, expected.at(0)}, {CAB, expected.at(1)}, {IBAN, expected.at(2)}, {FILIALE, expected.at(3)}};
    QCOMPARE(invoice.getPaymentInfo(), wanted);
}

void TestInvoice::typedBankData_surviveANewInvoice()
{
    Company customer(nullptr, QStringLiteral("customer"));
    customer.fields()->insert(ABI, QStringLiteral("03069"));
    auto first = std::make_unique<Invoice>(nullptr);
    first->setCustomer(&customer);
    first->setTmpBankInfo(QStringLiteral("11111"), QString(), QString(), QString());
    first.reset();

    Invoice second(nullptr);
    QVERIFY(second.getPayment().isEmpty());
    second.setCustomer(&customer);
    second.setPayment(QStringLiteral("BONIFICO"));
    QCOMPARE(second.getPaymentInfo().value(ABI), QStringLiteral("11111"));
}

void TestInvoice::scadenze_keepInsertionOrder()
{
    Invoice invoice(nullptr);
    QSignalSpy changed(&invoice, &Invoice::scadenzeChanged);
    const QList<Scadenza> added = {{QDate(2024, 5, 31), "RATA 2"}, {QDate(2024, 4, 30), "RATA 1"}};
    for (const Scadenza& entry : added)
        invoice.addScadenzaDate(entry.first, entry.second);
    QCOMPARE(invoice.getScadenze(), added);
    QCOMPARE(changed.size(), 2);
}

void TestInvoice::removeScadenza_data()
{
    QTest::addColumn<QList<Scadenza>>("entries");
    QTest::addColumn<Scadenza>("removed");
    QTest::addColumn<QList<Scadenza>>("remaining");

    const Scadenza a = {QDate(2024, 4, 30), "RATA 1"};
    const Scadenza b = {QDate(2024, 5, 31), "RATA 2"};
    QTest::newRow("single entry") << QList<Scadenza>{a} << a << QList<Scadenza>{};
    QTest::newRow("only one of two equal entries") << QList<Scadenza>{a, a} << a << QList<Scadenza>{a};
    QTest::newRow("the later of two equal entries") << QList<Scadenza>{a, b, a} << a << QList<Scadenza>{a, b};
    QTest::newRow("note differs in case") << QList<Scadenza>{a} << Scadenza{a.first, "rata 1"} << QList<Scadenza>{a};
    QTest::newRow("date differs") << QList<Scadenza>{a} << Scadenza{b.first, a.second} << QList<Scadenza>{a};
    QTest::newRow("note with a trailing blank") << QList<Scadenza>{a} << Scadenza{a.first, "RATA 1 "} << QList<Scadenza>{a};
    QTest::newRow("empty list") << QList<Scadenza>{} << a << QList<Scadenza>{};
}

void TestInvoice::removeScadenza()
{
    QFETCH(QList<Scadenza>, entries);
    QFETCH(Scadenza, removed);
    QFETCH(QList<Scadenza>, remaining);

    Invoice invoice(nullptr);
    for (const Scadenza& entry : entries)
        invoice.addScadenzaDate(entry.first, entry.second);
    QSignalSpy changed(&invoice, &Invoice::scadenzeChanged);
    invoice.removeScadenzaDate(removed.first, removed.second);
    QCOMPARE(invoice.getScadenze(), remaining);
    // the list is shown again even when nothing matched
    QCOMPARE(changed.size(), 1);
}

void TestInvoice::removeScadenza_findsTheEntryItsDisplayTextNames()
{
    Invoice invoice(nullptr);
    invoice.addScadenzaDate(QDate(2024, 1, 31), QStringLiteral("RIBA 30 GG"));
    invoice.addScadenzaDate(QDate(2024, 2, 29), QStringLiteral("RIBA 60 GG"));

    const Scadenza second = invoice.getScadenze().at(1);
    const QString shown = second.first.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" -- ") + second.second;
    const QStringList parts = shown.split(QStringLiteral(" -- "));
    invoice.removeScadenzaDate(QDate::fromString(parts.at(0), QStringLiteral("dd/MM/yyyy")), parts.at(1));
    QCOMPARE(invoice.getScadenze(), (QList<Scadenza>{{QDate(2024, 1, 31), "RIBA 30 GG"}}));
}

QTEST_GUILESS_MAIN(TestInvoice)
#include "tst_invoice.moc"
