// The Italian display form of amounts shown in the window and on the printed page.
#include "amounttext.h"

#include <QtTest>

class TestAmountText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatAmount_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("grouped");

        QTest::newRow("zero") << 0.0 << "0,00" << "0,00";
        QTest::newRow("thousands") << 1234.5 << "1234,50" << "1.234,50";
        QTest::newRow("millions") << 1234567.891 << "1234567,89" << "1.234.567,89";
        QTest::newRow("rounding opens a new group") << 999.999 << "1000,00" << "1.000,00";
        QTest::newRow("rounds down to the cent") << 2.504 << "2,50" << "2,50";
        // half a cent rounds up even where the double lies just below it
        QTest::newRow("VAT of 22 % on 53.75") << 53.75 * 0.22 << "11,83" << "11,83";
        QTest::newRow("half a cent, 1.005") << 1.005 << "1,01" << "1,01";
        QTest::newRow("negative half a cent") << -2.675 << "-2,68" << "-2,68";
        QTest::newRow("negative thousands") << -1234.5 << "-1234,50" << "-1.234,50";
        QTest::newRow("negative, three digits") << -123.0 << "-123,00" << "-123,00";
        // a computation that leaves a tiny negative rest shows zero, not "-0,00"
        QTest::newRow("tiny negative") << -0.001 << "0,00" << "0,00";
    }

    void formatAmount()
    {
        QFETCH(double, amount);
        QFETCH(QString, plain);
        QFETCH(QString, grouped);
        QCOMPARE(::formatAmount(amount), plain);
        QCOMPARE(::formatAmountGrouped(amount), grouped);
    }

    void groupThousands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("grouped");

        QTest::newRow("three groups, one decimal kept") << "123456789,5" << "123.456.789,5";
        QTest::newRow("no decimals gets 00") << "999" << "999,00";
        QTest::newRow("four digits, no decimals") << "1234" << "1.234,00";
        QTest::newRow("decimals kept as they are") << "0,5" << "0,5";
        QTest::newRow("minus sign not counted as a digit") << "-123456,00" << "-123.456,00";
        QTest::newRow("minus sign, three digits") << "-999,00" << "-999,00";
        QTest::newRow("minus sign, no decimals") << "-123456" << "-123.456,00";
    }

    void groupThousands()
    {
        QFETCH(QString, text);
        QFETCH(QString, grouped);
        QCOMPARE(::groupThousands(text), grouped);
        // the model's texts use a decimal point
        QCOMPARE(::groupAmountText(QString(text).replace(QLatin1Char(','), QLatin1Char('.'))), grouped);
    }

    void blankIfZero_blanksOnlyZero()
    {
        // whatever way a zero reaches a printed cell, the cell stays empty; a cell with no
        // value stays empty too, it must not turn into ",00"
        for (const QString& zero : {::formatAmount(0), ::formatAmount(-0.001), ::formatCount(0), ::groupAmountText(QString())})
            QVERIFY2(::blankIfZero(zero).isEmpty(), qPrintable(zero));
        for (const QString& shown : {QStringLiteral("0,5"), ::formatCount(12345), ::formatAmountGrouped(1000), QStringLiteral("PZ")})
            QCOMPARE(::blankIfZero(shown), shown);
    }
};

QTEST_GUILESS_MAIN(TestAmountText)
#include "tst_amounttext.moc"
