// The document being prepared: rows, costs, discount, VAT and totals; payment mode, bank
// data and due dates. CTest runs this under the C, English and Italian system locales.
#include "amounttext.h"
#include "company.h"
#include "companykeys.h"
#include "einvoice.h"
#include "einvoiceparties.h"
#include "invoice.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "paymentmodes.h"
#include "modelhome.h"

#include <QtTest>

#include <memory>

namespace {

using FieldMap = QMap<QString, QString>;

// Names of the invoice's signals in the order they arrive.
struct SignalLog : QObject
{
    QStringList names;
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
};

// A row of quantity 1 at the given price.
int addRow(Invoice& invoice, const QString& price)
{
    const int id = invoice.addLineItem();
    invoice.setLineItemField(id, LineItemKey::amount, QStringLiteral("1"));
    invoice.setLineItemField(id, LineItemKey::prize, price);
    return id;
}

// The costs, then the parcel data, each with its getter.
const std::pair<bool (Invoice::*)(const QString&), double (Invoice::*)() const> costMembers[] = {
    {&Invoice::setTrasporto, &Invoice::getTrasporto}, {&Invoice::setVarie, &Invoice::getVarie},
    {&Invoice::setImballo, &Invoice::getImballo}, {&Invoice::setSpeseBancarie, &Invoice::getSpeseBancarie},
    {&Invoice::setColli, &Invoice::getColli}, {&Invoice::setPesoColli, &Invoice::getPesoColli},
    {&Invoice::setNettoTotaleColli, &Invoice::getNettoTotaleColli}, {&Invoice::setLordoColli, &Invoice::getLordoColli}};

} // namespace

class TestInvoice : public QObject
{
    Q_OBJECT

    std::unique_ptr<ModelHome> home;

private Q_SLOTS:
    void init() { home = std::make_unique<ModelHome>(); }

    void cleanup() { home.reset(); }

    // Every amount in cents where it arises (half a cent away from zero), the costs taxed
    // or not as the company says, and the stamp duty on untaxed amounts that bear it.
    void totals_data()
    {
        QTest::addColumn<QString>("prices");
        QTest::addColumn<QString>("scontoF");
        QTest::addColumn<int>("iva");
        QTest::addColumn<QString>("costs"); // in the order of costMembers[]
        QTest::addColumn<QString>("settings"); // natura, then company keys KEY=value
        QTest::addColumn<QString>("expected"); // merci, importoSconto, imponibile, iva, bollo, totale

        QTest::newRow("10 % off, 22 % VAT") << "100 50" << "10" << 22 << "" << "" << "150,00 15,00 135,00 29,70 0,00 164,70";
        QTest::newRow("costs carry no VAT") << "100" << "0" << 22 << "10 5 3 2" << "" << "100,00 0,00 100,00 22,00 0,00 142,00";
        QTest::newRow("costs taxed with IVA_SPESE") << "100" << "0" << 22 << "10 5 3 2" << "IVA_SPESE=1"
                                                   << "100,00 0,00 120,00 26,40 0,00 146,40";
        QTest::newRow("parcel data carry no amount") << "100" << "0" << 22 << "0 0 0 0 3 12,5 40 45" << "IVA_SPESE=1"
                                                     << "100,00 0,00 100,00 22,00 0,00 122,00";
        QTest::newRow("costs without rows") << "" << "0" << 22 << "10" << "" << "0,00 0,00 0,00 0,00 0,00 10,00";
        QTest::newRow("150 % off eats into the transport") << "100" << "150" << 22 << "80" << ""
                                                           << "100,00 150,00 0,00 0,00 0,00 30,00";
        QTest::newRow("no negative total") << "100" << "200" << 22 << "50" << "" << "100,00 200,00 0,00 0,00 0,00 0,00";
        // the rows' VAT code (22 from the preferences) does not count
        QTest::newRow("grouped prices, 10 % VAT") << "1.234,50 1.000" << "0" << 10 << "" << ""
                                                  << "2234,50 0,00 2234,50 223,45 0,00 2457,95";
        QTest::newRow("row totals in cents") << "0,125 0,125" << "0" << 22 << "" << "" << "0,26 0,00 0,26 0,06 0,00 0,32";
        QTest::newRow("discount and VAT in cents") << "10,05 0,25" << "5" << 22 << "0,005" << ""
                                                   << "10,30 0,52 9,78 2,15 0,00 11,94";
        QTest::newRow("exempt up to 77,47: no stamp") << "77,47" << "0" << 0 << "" << "N4" << "77,47 0,00 77,47 0,00 0,00 77,47";
        QTest::newRow("exempt beyond: stamp") << "77,48" << "0" << 0 << "" << "N4" << "77,48 0,00 77,48 0,00 2,00 77,48";
        QTest::newRow("stamp charged") << "77,48" << "0" << 0 << "" << "N3.5 BOLLO_A_CARICO=1"
                                       << "77,48 0,00 77,48 0,00 2,00 79,48";
        QTest::newRow("export bears no stamp") << "500" << "0" << 0 << "" << "N3.1" << "500,00 0,00 500,00 0,00 0,00 500,00";
        QTest::newRow("nature of a taxed rate ignored") << "500" << "0" << 22 << "" << "N4"
                                                        << "500,00 0,00 500,00 110,00 0,00 610,00";
        QTest::newRow("untaxed costs bear the stamp") << "100" << "0" << 22 << "80" << "NATURA_SPESE=N2.2"
                                                      << "100,00 0,00 100,00 22,00 2,00 202,00";
        QTest::newRow("costs advanced: no stamp") << "100" << "0" << 22 << "80" << "NATURA_SPESE=N1 BOLLO_A_CARICO=1"
                                                  << "100,00 0,00 100,00 22,00 0,00 202,00";
        QTest::newRow("taxed costs count with the goods") << "70" << "0" << 0 << "10" << "N2.1 IVA_SPESE=1 NATURA_SPESE=N2.2"
                                                          << "70,00 0,00 80,00 0,00 2,00 80,00";
    }

    void totals()
    {
        QFETCH(QString, prices);
        QFETCH(QString, scontoF);
        QFETCH(int, iva);
        QFETCH(QString, costs);
        QFETCH(QString, settings);
        QFETCH(QString, expected);

        loadedFacade();
        Invoice invoice(nullptr);
        FieldMap company;
        for (const QString& setting : settings.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (setting.contains(QLatin1Char('=')))
                company.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
            else
                invoice.setNatura(setting, QStringLiteral("art. 10 DPR 633/72"));
        }
        invoice.setCompanySettings(company);
        invoice.setIva(iva);
        for (const QString& price : prices.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            invoice.setLineItemField(addRow(invoice, price), LineItemKey::description, QStringLiteral("VITI"));
        invoice.setScontoF(scontoF);
        const QStringList costTexts = costs.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < costTexts.size(); ++i)
            QVERIFY((invoice.*costMembers[i].first)(costTexts.at(i)));

        const QStringList actual = {formatAmount(invoice.getTotaleMerci()), formatAmount(invoice.getImportoSconto()),
                                    formatAmount(invoice.getTotalImp()),    formatAmount(invoice.getTotaleIva()),
                                    formatAmount(invoice.getBollo()),       formatAmount(invoice.getTotale())};
        QCOMPARE(actual.join(QLatin1Char(' ')), expected);
        // the snapshot carries the same cents
        const InvoiceData data = invoice.snapshot();
        QCOMPARE((QList<double>{data.totalImp, data.totaleIva, data.bollo, data.totale}),
                 (QList<double>{invoice.getTotalImp(), invoice.getTotaleIva(), invoice.getBollo(), invoice.getTotale()}));
        QCOMPARE(data.natura.isEmpty(), iva != 0 || !settings.startsWith(QLatin1Char('N')));

        // and the electronic invoice adds up to the same cents (it refuses a document that
        // sends nothing, or one whose discount is larger than its goods)
        InvoiceData document = addressed(data, 1);
        document.company.insert(NATURA_SPESE, QStringLiteral("N1"));
        document.company.insert(RIFERIMENTO_SPESE, QStringLiteral("art. 15 DPR 633/72"));
        document.company.insert(company);
        const EInvoice::Built built = EInvoice::build(document, QStringLiteral("00001"));
        const bool exportable = !prices.isEmpty() && scontoF.toInt() <= 100;
        QVERIFY2(built.ok() == exportable, qPrintable(built.findings.value(0).message));
    }

    // Each due date its amount: the ones set, and what they leave of the total shared evenly
    // in cents, the odd cents on the last.
    void importiScadenze_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<int>("dueDates");
        QTest::addColumn<QList<double>>("set"); // index, amount pairs
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("one") << "100" << 1 << QList<double>{} << QList<double>{100};
        QTest::newRow("three, odd cent on the last") << "100" << 3 << QList<double>{} << QList<double>{33.33, 33.33, 33.34};
        QTest::newRow("one set, the rest shared") << "100" << 3 << QList<double>{0, 50} << QList<double>{50, 25, 25};
        QTest::newRow("set beyond the total") << "100" << 2 << QList<double>{1, 120} << QList<double>{0, 120};
        QTest::newRow("no such due date") << "100" << 2 << QList<double>{2, 10} << QList<double>{50, 50};
        QTest::newRow("negative refused") << "100" << 2 << QList<double>{0, -10} << QList<double>{50, 50};
    }

    void importiScadenze()
    {
        QFETCH(QString, total);
        QFETCH(int, dueDates);
        QFETCH(QList<double>, set);
        QFETCH(QList<double>, expected);
        Invoice invoice(nullptr);
        invoice.setIva(0);
        addRow(invoice, total);
        for (int i = 0; i < dueDates; ++i)
            invoice.addScadenzaDate(QDate(2027, 1 + i, 28), QString());
        for (qsizetype i = 0; i + 1 < set.size(); i += 2) {
            const bool valid = set.at(i) < dueDates && set.at(i + 1) >= 0;
            QCOMPARE(invoice.setImportoScadenza(int(set.at(i)), set.at(i + 1)), valid);
        }
        QCOMPARE(invoice.getImportiScadenze(), expected);
        QCOMPARE(invoice.snapshot().importiScadenze, expected);
        // a removed due date takes its amount with it
        invoice.removeScadenzaDate(QDate(2027, 1, 28), QString());
        QCOMPARE(invoice.getImportiScadenze().size(), dueDates - 1);
    }

    void costSetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("converted");
        QTest::addColumn<double>("stored");

        // each setter starts from 7
        QTest::newRow("decimal comma") << "2,5" << true << 2.5;
        QTest::newRow("grouped") << "1.234,5" << true << 1234.5;
        QTest::newRow("negative") << "-5" << true << 0.0;
        QTest::newRow("letters") << "abc" << false << 7.0;
        QTest::newRow("empty") << "" << false << 7.0;
    }

    void costSetter()
    {
        QFETCH(QString, text);
        QFETCH(bool, converted);
        QFETCH(double, stored);

        for (const auto& [set, get] : costMembers) {
            Invoice invoice(nullptr);
            QVERIFY((invoice.*set)(QStringLiteral("7")));
            SignalLog log(&invoice);
            QCOMPARE((invoice.*set)(text), converted);
            QCOMPARE((invoice.*get)(), stored);
            // the window shows the stored value again either way
            QCOMPARE(log.names, (QStringList{"invoiceChanged", "invoiceAmountChanged"}));
        }
    }

    void setScontoF_recomputesTwiceAndKeepsTheValueOnBadText()
    {
        Invoice invoice(nullptr);
        addRow(invoice, QStringLiteral("0,35"));
        SignalLog log(&invoice);
        invoice.setScontoF(QStringLiteral("10"));
        QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "invoiceAmountChanged"}));
        // 0,035 is 0,03499... as a double: the half cent still rounds up
        QCOMPARE(invoice.getImportoSconto(), 0.04);

        invoice.setScontoF(QStringLiteral("abc"));
        QCOMPARE(invoice.getScontoF(), 10.0);
        invoice.setScontoF(QStringLiteral("-3"));
        QCOMPARE(invoice.getScontoF(), 0.0);
        QCOMPARE(log.names, QStringList(6, QStringLiteral("invoiceAmountChanged")));
    }

    void setNumFattura_takesWholeNumbersOnly()
    {
        Invoice invoice(nullptr);
        SignalLog log(&invoice);
        for (const auto& [text, number] : {std::pair{"12", 12}, {"007", 7}, {"12a", 0}, {"1,5", 0}, {"", 0}}) {
            invoice.setNumFattura(QStringLiteral("5"));
            invoice.setNumFattura(QString::fromLatin1(text));
            QCOMPARE(invoice.getNumFattura(), number);
        }
        QCOMPARE(log.names, QStringList(10, QStringLiteral("invoiceChanged")));
    }

    void rowEdits_recomputeBeforeRefreshingTheRow()
    {
        Invoice invoice(nullptr);
        invoice.setIva(22);
        SignalLog log(&invoice);
        QSignalSpy rowChanged(&invoice, &Invoice::lineItemChanged);
        const int id = addRow(invoice, QStringLiteral("100"));
        invoice.setLineItemField(id, LineItemKey::description, QStringLiteral("VITI"));
        // a row that is not there is neither edited nor read
        invoice.setLineItemField(id + 1000, LineItemKey::prize, QStringLiteral("9"));
        QCOMPARE(invoice.getLineItemField(id + 1000, LineItemKey::prize), QString());
        QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "lineItemChanged", "invoiceAmountChanged",
                                         "lineItemChanged", "lineItemChanged"}));
        QCOMPARE(rowChanged.at(2).at(0).toInt(), id);
        QCOMPARE(invoice.getLineItemField(id, LineItemKey::description), QStringLiteral("VITI"));

        const int extra = addRow(invoice, QStringLiteral("50"));
        log.names.clear();
        invoice.removeLineItem(extra);
        invoice.removeLineItem(extra); // gone already: recomputed and announced all the same
        QCOMPARE(invoice.lineItemIds(), QList<int>{id});
        QCOMPARE(formatAmount(invoice.getTotale()), QStringLiteral("122,00"));
        invoice.setIva(10);
        QCOMPARE(log.names, (QStringList{"invoiceAmountChanged", "invoiceChanged", "invoiceAmountChanged", "invoiceChanged",
                                         "invoiceChanged", "invoiceAmountChanged"}));
        QCOMPARE(formatAmount(invoice.getTotale()), QStringLiteral("110,00"));
    }

    // One rate for the whole document: every row shows the rate in force, whenever it was
    // made; a zero rate is a rate too.
    void vatRate_givesEveryRowItsCode()
    {
        for (const auto& [rate, code] : {std::pair{10, "10.00"}, {0, "0.00"}}) {
            Invoice invoice(nullptr);
            invoice.setIva(22);
            const int before = addRow(invoice, QStringLiteral("100"));
            invoice.setIva(rate);
            const int after = addRow(invoice, QStringLiteral("100"));
            QCOMPARE((QStringList{invoice.getLineItemField(before, LineItemKey::c_iva),
                                  invoice.getLineItemField(after, LineItemKey::c_iva)}),
                     (QStringList{code, code}));
        }
    }

    void lineIds_areNeverReused()
    {
        auto first = std::make_unique<Invoice>(nullptr);
        const int a = first->addLineItem();
        const int b = first->addLineItem();
        first->removeLineItem(b);
        QCOMPARE(first->addLineItem(), b + 1);
        QCOMPARE(first->lineItemIds(), (QList<int>{a, b + 1}));
        first.reset();
        QCOMPARE(Invoice(nullptr).addLineItem(), b + 2);

        // nor after the facade drops its invoice
        ModelFacade* facade = loadedFacade();
        const int last = facade->addLineItem();
        facade->dropInvoice();
        QVERIFY(facade->lineItemIds().isEmpty());
        QCOMPARE(facade->addLineItem(), last + 1);
    }

    void paymentInfo_comesFromTheCustomer()
    {
        const FieldMap registered = {{ABI, "03069"}, {CAB, "09606"}, {IBAN, ""}, {FILIALE, "MILANO"}};
        const FieldMap typed = {{ABI, ""}, {CAB, ""}, {IBAN, ""}, {FILIALE, "ROM"}};
        auto customer = std::make_unique<Company>(nullptr, QStringLiteral("customer"));
        *customer->fields() = registered;
        Invoice invoice(nullptr);
        QSignalSpy customerChanged(&invoice, &Invoice::currentCustomerChanged);
        QSignalSpy paymentChanged(&invoice, &Invoice::invoicePaymentChanged);
        invoice.setPayment(RIBA_PAYMENT_MODE);
        invoice.setTmpBankInfo(QStringLiteral("11111"), QStringLiteral("22222"), QStringLiteral("IT60X"), QStringLiteral("TORINO"));
        QVERIFY(invoice.getPaymentInfo().isEmpty()); // no customer to keep them

        invoice.setCustomer(customer.get());
        QCOMPARE(customerChanged.last().at(0).value<FieldMap*>(), customer->fields());
        QCOMPARE(invoice.getPaymentInfo(), registered);
        invoice.setPayment(QStringLiteral("BONIFICO"));
        QVERIFY(invoice.getPaymentInfo().isEmpty());
        invoice.setPayment(RIBA_PAYMENT_MODE);
        invoice.setTmpBankInfo(QString(), QString(), QString(), QStringLiteral("ROM"));
        QCOMPARE(invoice.getPaymentInfo(), typed);
        QCOMPARE(paymentChanged.size(), 3);

        // a customer deleted from the registry is no longer the invoice's
        customer.reset();
        QCOMPARE(invoice.getCustomerFields(), nullptr);
        QVERIFY(invoice.getPaymentInfo().isEmpty());
        invoice.setCustomer(nullptr);
        QCOMPARE(customerChanged.size(), 2);
        QCOMPARE(customerChanged.last().at(0).value<FieldMap*>(), nullptr);
    }

    void removeScadenza_takesTheLatestExactMatch()
    {
        const Scadenza a = {QDate(2024, 4, 30), "RATA 1"};
        const Scadenza b = {QDate(2024, 5, 31), "RATA 2"};
        Invoice invoice(nullptr);
        QSignalSpy changed(&invoice, &Invoice::scadenzeChanged);
        invoice.removeScadenzaDate(a.first, a.second); // nothing there yet
        for (const Scadenza& entry : {a, b, a})
            invoice.addScadenzaDate(entry.first, entry.second);
        invoice.removeScadenzaDate(a.first, QStringLiteral("rata 1"));
        invoice.removeScadenzaDate(b.first, a.second);
        invoice.removeScadenzaDate(a.first, QStringLiteral("RATA 1 "));
        QCOMPARE(invoice.getScadenze(), (QList<Scadenza>{a, b, a})); // in the order added
        invoice.removeScadenzaDate(a.first, a.second);
        QCOMPARE(invoice.getScadenze(), (QList<Scadenza>{a, b}));
        // every change, and every removal even when nothing matched, shows the list again
        QCOMPARE(changed.size(), 8);
    }
};

QTEST_GUILESS_MAIN(TestInvoice)
#include "tst_invoice.moc"
