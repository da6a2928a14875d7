// One row of the document: its fields as text, its amount and its notifications.
// CTest runs this under the C, English and Italian system locales.
#include "amounttext.h"
#include "lineitem.h"
#include "modelfacade.h"
#include "testhome.h"

#include <QtTest>

#include <memory>

namespace Key = LineItemKey;

class TestLineItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lists_keepTheirOrder();
    void isNumericField_data();
    void isNumericField();
    void newItem_readsDefaults_data();
    void newItem_readsDefaults();
    void vatCode_isFixedWhenTheRowIsMade();
    void getField_unknownOrNullKey_isEmpty();

    void numericField_storesParsedValue_data();
    void numericField_storesParsedValue();
    void numericField_readsBackItsItalianDisplayForm_data();
    void numericField_readsBackItsItalianDisplayForm();
    void unit_acceptsOnlyListedUnits_data();
    void unit_acceptsOnlyListedUnits();
    void computedAndFixedFields_refuseValues();

    void rowAmount_data();
    void rowAmount();
    void rowAmount_followsEveryEdit();
    void rowAmount_keepsFullPrecision();
    void rowDiscount_dividesBeforeMultiplying();

    void setField_notifies_data();
    void setField_notifies();

private:
    std::unique_ptr<TestHome> home;
};

void TestLineItem::init()
{
    home = std::make_unique<TestHome>();
}

void TestLineItem::cleanup()
{
    ModelFacade::destroyInstance();
    home.reset();
}

void TestLineItem::lists_keepTheirOrder()
{
    QCOMPARE(LineItem::unitList(), (QStringList{"PZ", "metri", "KG"}));
    QCOMPARE(LineItem::fieldKeys(),
             (QStringList{"code", "description", "um", "amount", "prize", "sconto", "total_amount", "c.iva"}));
}

void TestLineItem::isNumericField_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("numeric");

    for (const char* key : {"amount", "prize", "total_amount", "sconto", "c.iva"})
        QTest::newRow(key) << QString::fromLatin1(key) << true;
    for (const char* key : {"code", "description", "um", "", "AMOUNT", "civa"})
        QTest::newRow(*key ? key : "empty") << QString::fromLatin1(key) << false;
}

void TestLineItem::isNumericField()
{
    QFETCH(QString, key);
    QFETCH(bool, numeric);
    QCOMPARE(LineItem::isNumericField(key), numeric);
}

void TestLineItem::newItem_readsDefaults_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("vatCode");

    QTest::newRow("no preferences yet") << false << QStringLiteral("0.00");
    QTest::newRow("default preferences") << true << QStringLiteral("22.00");
}

void TestLineItem::newItem_readsDefaults()
{
    QFETCH(bool, loaded);
    QFETCH(QString, vatCode);

    if (loaded)
        QVERIFY(ModelFacade::instance()->loadPersistentData());
    const LineItem item(nullptr, 7);
    QCOMPARE(item.getId(), 7);
    QCOMPARE(item.getField(Key::amount), QStringLiteral("0"));
    QCOMPARE(item.getField(Key::prize), QStringLiteral("0.00"));
    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("0.00"));
    QCOMPARE(item.getField(Key::sconto), QStringLiteral("0.00"));
    QCOMPARE(item.getField(Key::um), QStringLiteral("PZ"));
    QCOMPARE(item.getField(Key::description), QString());
    QCOMPARE(item.getField(Key::code), QString());
    QCOMPARE(item.getField(Key::c_iva), vatCode);
    QCOMPARE(item.getTotalAmount(), 0.0);
}

void TestLineItem::vatCode_isFixedWhenTheRowIsMade()
{
    ModelFacade* facade = ModelFacade::instance();
    QVERIFY(facade->loadPersistentData());
    LineItem before(nullptr, 1);
    facade->setIva(QStringLiteral("4"));
    const LineItem after(nullptr, 2);

    QCOMPARE(before.getField(Key::c_iva), QStringLiteral("22.00"));
    QCOMPARE(after.getField(Key::c_iva), QStringLiteral("4.00"));
    before.setField(Key::c_iva, QStringLiteral("10"));
    QCOMPARE(before.getField(Key::c_iva), QStringLiteral("22.00"));
}

void TestLineItem::getField_unknownOrNullKey_isEmpty()
{
    LineItem item(nullptr, 1);
    item.setField(Key::description, QStringLiteral("VITI"));
    QCOMPARE(item.getField(QString()), QString());
    QCOMPARE(item.getField(QStringLiteral("DESCRIPTION")), QString());
    QCOMPARE(item.getField(QStringLiteral("id")), QString());
}

void TestLineItem::numericField_storesParsedValue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("amount, whole") << Key::amount << "3" << "3";
    QTest::newRow("amount, decimal comma") << Key::amount << "1,5" << "1.5";
    QTest::newRow("amount, decimal point") << Key::amount << "1.5" << "1.5";
    QTest::newRow("amount, thousands separator") << Key::amount << "1.234" << "1234";
    QTest::newRow("amount, every digit kept") << Key::amount << "1234567" << "1234567";
    QTest::newRow("amount, exponent") << Key::amount << "1e+06" << "1e+06";
    QTest::newRow("amount, negative") << Key::amount << "-2" << "0";
    QTest::newRow("amount, letters") << Key::amount << "abc" << "0";
    QTest::newRow("prize, decimal comma") << Key::prize << "2,5" << "2.50";
    QTest::newRow("prize, decimal point") << Key::prize << "2.5" << "2.50";
    QTest::newRow("prize, fractions of a cent kept") << Key::prize << "0,0125" << "0.0125";
    QTest::newRow("sconto, three decimals kept") << Key::sconto << "12,345" << "12.345";
    QTest::newRow("prize, Italian display form") << Key::prize << "12,50" << "12.50";
    QTest::newRow("prize, point form") << Key::prize << "12.50" << "12.50";
    QTest::newRow("prize, grouped display form") << Key::prize << "1.234,50" << "1234.50";
    QTest::newRow("prize, thousands separator") << Key::prize << "1.234" << "1234.00";
    QTest::newRow("prize, negative") << Key::prize << "-4" << "0.00";
    QTest::newRow("prize, letters") << Key::prize << "abc" << "0.00";
    QTest::newRow("prize, empty") << Key::prize << "" << "0.00";
    QTest::newRow("prize, infinity") << Key::prize << "inf" << "0.00";
    QTest::newRow("prize, not a number") << Key::prize << "nan" << "0.00";
    QTest::newRow("sconto, whole") << Key::sconto << "10" << "10.00";
    QTest::newRow("sconto, decimal comma") << Key::sconto << "12,5" << "12.50";
    QTest::newRow("sconto, above 100") << Key::sconto << "150" << "150.00";
    QTest::newRow("sconto, negative") << Key::sconto << "-10" << "0.00";
}

void TestLineItem::numericField_storesParsedValue()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, shown);

    LineItem item(nullptr, 1);
    // a value that is no number replaces the earlier one by 0, it does not keep it
    item.setField(key, QStringLiteral("9"));
    item.setField(key, value);
    QCOMPARE(item.getField(key), shown);
}

void TestLineItem::numericField_readsBackItsItalianDisplayForm_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");

    QTest::newRow("prize with cents") << Key::prize << "12.5";
    QTest::newRow("prize in thousands") << Key::prize << "1234,5";
    QTest::newRow("prize of a cent") << Key::prize << "0,01";
    QTest::newRow("fractional amount") << Key::amount << "2.5";
    QTest::newRow("small amount") << Key::amount << "0,001";
    QTest::newRow("amount of a million") << Key::amount << "1e+06";
    QTest::newRow("amount of seven digits") << Key::amount << "1234567";
    QTest::newRow("unit price in fractions of a cent") << Key::prize << "0,0125";
    QTest::newRow("discount with three decimals") << Key::sconto << "12,345";
    QTest::newRow("amount with many decimals") << Key::amount << "2,123456789";
    QTest::newRow("discount") << Key::sconto << "12,5";
}

void TestLineItem::numericField_readsBackItsItalianDisplayForm()
{
    QFETCH(QString, key);
    QFETCH(QString, typed);

    // The window shows the stored value with a decimal comma and writes that text back
    // when the cell is left: the value must survive it, on any system.
    LineItem item(nullptr, 1);
    item.setField(Key::amount, QStringLiteral("3"));
    item.setField(Key::prize, QStringLiteral("2"));
    item.setField(key, typed);
    const QString shown = item.getField(key);
    const double total = item.getTotalAmount();
    QVERIFY(total > 0);

    item.setField(key, QString(shown).replace(QLatin1Char('.'), QLatin1Char(',')));
    QCOMPARE(item.getField(key), shown);
    QCOMPARE(item.getTotalAmount(), total);

    if (key == Key::prize) {
        item.setField(key, groupAmountText(shown));
        QCOMPARE(item.getField(key), shown);
    }
}

void TestLineItem::unit_acceptsOnlyListedUnits_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("stored");

    QTest::newRow("metri") << "metri" << "metri";
    QTest::newRow("KG") << "KG" << "KG";
    QTest::newRow("PZ") << "PZ" << "PZ";
    QTest::newRow("kg in lower case") << "kg" << "";
    QTest::newRow("METRI in upper case") << "METRI" << "";
    QTest::newRow("unknown unit") << "litri" << "";
    QTest::newRow("empty") << "" << "";
}

void TestLineItem::unit_acceptsOnlyListedUnits()
{
    QFETCH(QString, unit);
    QFETCH(QString, stored);

    LineItem item(nullptr, 1);
    item.setField(Key::amount, QStringLiteral("2"));
    item.setField(Key::prize, QStringLiteral("3"));
    item.setField(Key::um, unit);
    QCOMPARE(item.getField(Key::um), stored);
    // the unit plays no part in the amount
    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("6.00"));
}

void TestLineItem::computedAndFixedFields_refuseValues()
{
    LineItem item(nullptr, 1);
    item.setField(Key::amount, QStringLiteral("3"));
    item.setField(Key::prize, QStringLiteral("2,5"));
    const QString vatCode = item.getField(Key::c_iva);

    item.setField(Key::total_amount, QStringLiteral("99"));
    item.setField(Key::c_iva, QStringLiteral("10"));
    item.setField(QStringLiteral("id"), QStringLiteral("5"));
    item.setField(QString(), QStringLiteral("5"));

    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("7.50"));
    QCOMPARE(item.getTotalAmount(), 7.5);
    QCOMPARE(item.getField(Key::c_iva), vatCode);
    QCOMPARE(item.getId(), 1);
}

void TestLineItem::rowAmount_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("prize");
    QTest::addColumn<QString>("sconto");
    QTest::addColumn<QString>("total");

    QTest::newRow("no discount") << "3" << "2.5" << "0" << "7.50";
    QTest::newRow("10 % discount") << "3" << "2.5" << "10" << "6.75";
    QTest::newRow("10 % discount, Italian texts") << "3" << "2,50" << "10,0" << "6.75";
    QTest::newRow("quantity in thousands") << "1.000" << "2,5" << "0" << "2500.00";
    QTest::newRow("fractional quantity") << "0,5" << "3" << "0" << "1.50";
    QTest::newRow("full discount") << "1" << "100" << "100" << "0.00";
    QTest::newRow("discount above 100 gives no negative row") << "1" << "100" << "150" << "0.00";
    QTest::newRow("negative discount counts as none") << "1" << "100" << "-10" << "100.00";
    QTest::newRow("no quantity") << "0" << "5" << "10" << "0.00";
    QTest::newRow("price no number") << "4" << "abc" << "0" << "0.00";
}

void TestLineItem::rowAmount()
{
    QFETCH(QString, amount);
    QFETCH(QString, prize);
    QFETCH(QString, sconto);
    QFETCH(QString, total);

    LineItem item(nullptr, 1);
    item.setField(Key::amount, amount);
    item.setField(Key::prize, prize);
    item.setField(Key::sconto, sconto);
    QCOMPARE(item.getField(Key::total_amount), total);
    QCOMPARE(QString::number(item.getTotalAmount(), 'f', 2), total);
}

void TestLineItem::rowAmount_followsEveryEdit()
{
    LineItem item(nullptr, 1);
    const auto total = [&item] { return item.getField(Key::total_amount); };

    item.setField(Key::sconto, QStringLiteral("10"));
    QCOMPARE(total(), QStringLiteral("0.00"));
    item.setField(Key::prize, QStringLiteral("2,5"));
    QCOMPARE(total(), QStringLiteral("0.00"));
    item.setField(Key::amount, QStringLiteral("3"));
    QCOMPARE(total(), QStringLiteral("6.75"));
    item.setField(Key::sconto, QStringLiteral("0"));
    QCOMPARE(total(), QStringLiteral("7.50"));
    item.setField(Key::prize, QStringLiteral("abc"));
    QCOMPARE(total(), QStringLiteral("0.00"));
    item.setField(Key::prize, QStringLiteral("2.5"));
    QCOMPARE(total(), QStringLiteral("7.50"));
}

void TestLineItem::rowAmount_keepsFullPrecision()
{
    // the amount is rounded only when shown, never when stored
    LineItem item(nullptr, 1);
    item.setField(Key::amount, QStringLiteral("3"));
    item.setField(Key::prize, QStringLiteral("0,333"));
    QCOMPARE(item.getTotalAmount(), 0.999);
    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("1.00"));
    QCOMPARE(item.getField(Key::prize), QStringLiteral("0.333")); // every decimal of the price is kept
    item.setField(Key::amount, QStringLiteral("1000"));
    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("333.00"));
}

void TestLineItem::rowDiscount_dividesBeforeMultiplying()
{
    // 0.35 less 10 %: dividing first gives 0.315 (shown 0.32), multiplying first 0.31499…
    LineItem item(nullptr, 1);
    item.setField(Key::amount, QStringLiteral("1"));
    item.setField(Key::prize, QStringLiteral("0,35"));
    item.setField(Key::sconto, QStringLiteral("10"));
    QCOMPARE(item.getField(Key::total_amount), QStringLiteral("0.32"));

    // 0.70 less 10 % is exactly the double 0.63 only when dividing first
    item.setField(Key::prize, QStringLiteral("0,7"));
    QVERIFY2(item.getTotalAmount() == 0.63, qPrintable(QString::number(item.getTotalAmount(), 'g', 17)));
}

void TestLineItem::setField_notifies_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("expected");

    const QStringList recomputed = {"totalAmountChanged", "lineItemChanged"};
    const QStringList refreshed = {"lineItemChanged"};
    QTest::newRow("amount") << Key::amount << "3" << recomputed;
    QTest::newRow("prize") << Key::prize << "2,5" << recomputed;
    QTest::newRow("sconto") << Key::sconto << "10" << recomputed;
    QTest::newRow("negative prize") << Key::prize << "-4" << recomputed;
    QTest::newRow("prize no number") << Key::prize << "abc" << recomputed;
    QTest::newRow("description") << Key::description << "VITI" << refreshed;
    QTest::newRow("code") << Key::code << "A1" << refreshed;
    QTest::newRow("listed unit") << Key::um << "KG" << refreshed;
    QTest::newRow("unlisted unit") << Key::um << "kg" << refreshed;
    QTest::newRow("total_amount") << Key::total_amount << "99" << refreshed;
    QTest::newRow("c.iva") << Key::c_iva << "10" << refreshed;
    QTest::newRow("unknown key") << "colour" << "red" << refreshed;
    QTest::newRow("null key") << QString() << "1" << refreshed;
}

void TestLineItem::setField_notifies()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QStringList, expected);

    LineItem item(nullptr, 42);
    QStringList order;
    connect(&item, &LineItem::totalAmountChanged, this, [&order] { order << QStringLiteral("totalAmountChanged"); });
    connect(&item, &LineItem::lineItemChanged, this, [&order] { order << QStringLiteral("lineItemChanged"); });
    QSignalSpy changed(&item, &LineItem::lineItemChanged);

    item.setField(key, value);
    QCOMPARE(order, expected);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 42);
}

QTEST_GUILESS_MAIN(TestLineItem)
#include "tst_lineitem.moc"
