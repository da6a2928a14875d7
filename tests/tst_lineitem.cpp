// One row of the document: its fields as text, its amount and its notifications.
// CTest runs this under the C, English and Italian system locales.
#include "amounttext.h"
#include "lineitem.h"

#include <QtTest>

namespace Key = LineItemKey;

class TestLineItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newItem_defaults()
    {
        const LineItem item(nullptr, 7, 22);
        QStringList fields, numeric;
        for (const QString& key : LineItem::fieldKeys()) {
            fields << item.getField(key);
            if (LineItem::isNumericField(key))
                numeric << key;
        }
        QCOMPARE(fields, (QStringList{"", "", "PZ", "0", "0.00", "0.00", "0.00", "22.00"}));
        QCOMPARE(numeric, (QStringList{"amount", "prize", "sconto", "total_amount", "c.iva"}));
        QCOMPARE(LineItem(nullptr, 8).getField(Key::c_iva), QStringLiteral("0.00")); // no rate handed over
    }

    void setField_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("total");
        QTest::addColumn<bool>("recomputed");

        // every row starts from 3 x 2.50 less 10 % = 6.75
        QTest::newRow("amount, decimal comma") << Key::amount << "1,5" << "1.5" << "3.38" << true;
        QTest::newRow("amount, every digit kept") << Key::amount << "1234567" << "1234567" << "2777775.75" << true;
        QTest::newRow("amount, exponent written out") << Key::amount << "1e+06" << "1000000" << "2250000.00" << true;
        QTest::newRow("amount, negative") << Key::amount << "-2" << "0" << "0.00" << true;
        QTest::newRow("prize, display form") << Key::prize << "12,50" << "12.50" << "33.75" << true;
        QTest::newRow("prize, grouped display form") << Key::prize << "1.234,50" << "1234.50" << "3333.15" << true;
        QTest::newRow("prize, fractions of a cent kept") << Key::prize << "0,0125" << "0.0125" << "0.03" << true;
        // a value that is no number replaces the earlier one by 0, it does not keep it
        QTest::newRow("prize, letters") << Key::prize << "abc" << "0.00" << "0.00" << true;
        QTest::newRow("prize, negative") << Key::prize << "-4" << "0.00" << "0.00" << true;
        QTest::newRow("sconto, three decimals kept") << Key::sconto << "12,345" << "12.345" << "6.57" << true;
        QTest::newRow("sconto, half a cent rounds up") << Key::sconto << "1" << "1.00" << "7.43" << true;
        QTest::newRow("sconto, 150 % gives no negative row") << Key::sconto << "150" << "150.00" << "0.00" << true;
        QTest::newRow("sconto, negative counts as none") << Key::sconto << "-10" << "0.00" << "7.50" << true;
        QTest::newRow("description") << Key::description << "VITI" << "VITI" << "6.75" << false;
        QTest::newRow("listed unit") << Key::um << "KG" << "KG" << "6.75" << false;
        QTest::newRow("unit in lower case") << Key::um << "kg" << "" << "6.75" << false;
        // computed and fixed fields refuse values, but the row is refreshed anyway
        QTest::newRow("total_amount") << Key::total_amount << "99" << "6.75" << "6.75" << false;
        QTest::newRow("c.iva") << Key::c_iva << "10" << "0.00" << "6.75" << false;
        QTest::newRow("key in upper case") << "DESCRIPTION" << "X" << "" << "6.75" << false;
        QTest::newRow("null key") << QString() << "1" << "" << "6.75" << false;
    }

    void setField()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QFETCH(QString, total);
        QFETCH(bool, recomputed);

        LineItem item(nullptr, 42);
        item.setField(Key::amount, QStringLiteral("3"));
        item.setField(Key::prize, QStringLiteral("2,5"));
        item.setField(Key::sconto, QStringLiteral("10"));
        QCOMPARE(item.getField(Key::total_amount), QStringLiteral("6.75"));
        QStringList order;
        connect(&item, &LineItem::totalAmountChanged, this, [&order] { order << QStringLiteral("totalAmountChanged"); });
        connect(&item, &LineItem::lineItemChanged, this, [&order](int id) { order << QStringLiteral("lineItemChanged %1").arg(id); });

        item.setField(key, value);
        QCOMPARE(item.getField(key), shown);
        QCOMPARE(item.getField(Key::total_amount), total);
        QCOMPARE(order, (recomputed ? QStringList{"totalAmountChanged", "lineItemChanged 42"} : QStringList{"lineItemChanged 42"}));

        // the window shows a number with a decimal comma, the price grouped, and writes
        // that text back when the cell is left: the value must survive it, on any system
        if (!LineItem::isNumericField(key))
            return;
        item.setField(key, QString(shown).replace(QLatin1Char('.'), QLatin1Char(',')));
        QCOMPARE(item.getField(key), shown);
        if (key == Key::prize)
            item.setField(key, groupAmountText(shown));
        QCOMPARE(item.getField(key), shown);
        QCOMPARE(item.getField(Key::total_amount), total);
    }

    // The row amount is kept in cents, as printed: the totals add what the page shows.
    void rowAmount_isRoundedToTheCent_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("prize");
        QTest::addColumn<QString>("sconto");
        QTest::addColumn<double>("total");
        QTest::newRow("0,999 up") << "3" << "0,333" << "0" << 1.0;
        QTest::newRow("half a cent away from zero") << "3" << "0,335" << "0" << 1.01;
        QTest::newRow("row discount") << "1" << "0,7" << "10" << 0.63;
        QTest::newRow("discount to half a cent") << "1" << "0,05" << "10" << 0.05;
    }

    void rowAmount_isRoundedToTheCent()
    {
        QFETCH(QString, amount);
        QFETCH(QString, prize);
        QFETCH(QString, sconto);
        QFETCH(double, total);
        LineItem item(nullptr, 1);
        item.setField(Key::amount, amount);
        item.setField(Key::prize, prize);
        item.setField(Key::sconto, sconto);
        QVERIFY2(item.getTotalAmount() == total, qPrintable(QString::number(item.getTotalAmount(), 'g', 17)));
    }
};

QTEST_GUILESS_MAIN(TestLineItem)
#include "tst_lineitem.moc"
