// The Italian display form of amounts shown in the window and on the printed page.
#include "amounttext.h"

#include <QtTest>

class TestAmountText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatAmount_data();
    void formatAmount();
    void formatAmountGrouped_data();
    void formatAmountGrouped();
    void groupThousands_data();
    void groupThousands();
    void groupAmountText_data();
    void groupAmountText();
    void groupAmountText_keepsNullApartFromZero();
    void formatCount_data();
    void formatCount();
    void blankIfZero_data();
    void blankIfZero();
    void blankIfZero_blanksEveryZeroAmountShown();
};

void TestAmountText::formatAmount_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << QStringLiteral("0,00");
    QTest::newRow("whole number") << 3.0 << QStringLiteral("3,00");
    QTest::newRow("one decimal") << 1234.5 << QStringLiteral("1234,50");
    QTest::newRow("invoice total") << 164.7 << QStringLiteral("164,70");
    QTest::newRow("rounds up to the cent") << 6.746 << QStringLiteral("6,75");
    QTest::newRow("rounds down to the cent") << 2.504 << QStringLiteral("2,50");
    // half a cent rounds up even where the double lies just below it
    QTest::newRow("VAT of 22 % on 53.75") << 53.75 * 0.22 << QStringLiteral("11,83");
    QTest::newRow("half a cent, 1.005") << 1.005 << QStringLiteral("1,01");
    QTest::newRow("half a cent, 2.675") << 2.675 << QStringLiteral("2,68");
    QTest::newRow("half a cent, 0.125") << 0.125 << QStringLiteral("0,13");
    QTest::newRow("negative half a cent") << -2.675 << QStringLiteral("-2,68");
    QTest::newRow("a million, never in exponent form") << 1e6 << QStringLiteral("1000000,00");
    QTest::newRow("negative") << -2.5 << QStringLiteral("-2,50");
    // a computation that leaves a tiny negative rest shows zero, not "-0,00"
    QTest::newRow("tiny negative") << -0.001 << QStringLiteral("0,00");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0,00");
}

void TestAmountText::formatAmount()
{
    QFETCH(double, amount);
    QFETCH(QString, text);
    QCOMPARE(::formatAmount(amount), text);
}

void TestAmountText::formatAmountGrouped_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << QStringLiteral("0,00");
    QTest::newRow("under a thousand") << 999.0 << QStringLiteral("999,00");
    QTest::newRow("thousands") << 1234.5 << QStringLiteral("1.234,50");
    QTest::newRow("millions") << 1234567.891 << QStringLiteral("1.234.567,89");
    QTest::newRow("rounding opens a new group") << 999.999 << QStringLiteral("1.000,00");
    QTest::newRow("negative thousands") << -1234.5 << QStringLiteral("-1.234,50");
    QTest::newRow("negative, three digits") << -123.0 << QStringLiteral("-123,00");
    QTest::newRow("tiny negative") << -0.001 << QStringLiteral("0,00");
}

void TestAmountText::formatAmountGrouped()
{
    QFETCH(double, amount);
    QFETCH(QString, text);
    QCOMPARE(::formatAmountGrouped(amount), text);
}

void TestAmountText::groupThousands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("grouped");

    QTest::newRow("three groups, one decimal kept") << QStringLiteral("123456789,5") << QStringLiteral("123.456.789,5");
    QTest::newRow("no decimals gets 00") << QStringLiteral("999") << QStringLiteral("999,00");
    QTest::newRow("four digits, no decimals") << QStringLiteral("1234") << QStringLiteral("1.234,00");
    QTest::newRow("exactly a thousand") << QStringLiteral("1000,00") << QStringLiteral("1.000,00");
    QTest::newRow("under a thousand") << QStringLiteral("100,00") << QStringLiteral("100,00");
    QTest::newRow("zero") << QStringLiteral("0,00") << QStringLiteral("0,00");
    QTest::newRow("decimals kept as they are") << QStringLiteral("0,5") << QStringLiteral("0,5");
    QTest::newRow("minus sign not counted as a digit") << QStringLiteral("-123456,00") << QStringLiteral("-123.456,00");
    QTest::newRow("minus sign, three digits") << QStringLiteral("-999,00") << QStringLiteral("-999,00");
    QTest::newRow("minus sign, six digits, no decimals") << QStringLiteral("-123456") << QStringLiteral("-123.456,00");
    QTest::newRow("minus sign, four digits") << QStringLiteral("-1234,5") << QStringLiteral("-1.234,5");
}

void TestAmountText::groupThousands()
{
    QFETCH(QString, text);
    QFETCH(QString, grouped);
    QCOMPARE(::groupThousands(text), grouped);
}

void TestAmountText::groupAmountText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("grouped");

    // the model's texts use a decimal point
    QTest::newRow("one decimal kept") << QStringLiteral("1234.5") << QStringLiteral("1.234,5");
    QTest::newRow("row amount") << QStringLiteral("164.70") << QStringLiteral("164,70");
    QTest::newRow("millions") << QStringLiteral("1234567.00") << QStringLiteral("1.234.567,00");
    QTest::newRow("whole number") << QStringLiteral("2") << QStringLiteral("2,00");
    QTest::newRow("zero") << QStringLiteral("0.00") << QStringLiteral("0,00");
    QTest::newRow("negative") << QStringLiteral("-123456.00") << QStringLiteral("-123.456,00");
}

void TestAmountText::groupAmountText()
{
    QFETCH(QString, text);
    QFETCH(QString, grouped);
    QCOMPARE(::groupAmountText(text), grouped);
}

void TestAmountText::groupAmountText_keepsNullApartFromZero()
{
    // a cell with no value stays empty; it must not turn into ",00"
    QVERIFY(::groupAmountText(QString()).isEmpty());
    QCOMPARE(::groupAmountText(QStringLiteral("0")), QStringLiteral("0,00"));
}

void TestAmountText::formatCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0 << QStringLiteral("0");
    QTest::newRow("first row") << 1 << QStringLiteral("1");
    QTest::newRow("no grouping") << 12345 << QStringLiteral("12345");
    QTest::newRow("negative") << -1 << QStringLiteral("-1");
}

void TestAmountText::formatCount()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(::formatCount(count), text);
}

void TestAmountText::blankIfZero_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("zero amount") << QStringLiteral("0,00") << QString();
    QTest::newRow("zero count") << QStringLiteral("0") << QString();
    QTest::newRow("half") << QStringLiteral("0,5") << QStringLiteral("0,5");
    QTest::newRow("one cent") << QStringLiteral("0,01") << QStringLiteral("0,01");
    QTest::newRow("ten") << QStringLiteral("10,00") << QStringLiteral("10,00");
    QTest::newRow("hundred") << QStringLiteral("100") << QStringLiteral("100");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("letters") << QStringLiteral("PZ") << QStringLiteral("PZ");
}

void TestAmountText::blankIfZero()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(::blankIfZero(text), shown);
}

void TestAmountText::blankIfZero_blanksEveryZeroAmountShown()
{
    // whatever way a zero reaches a printed cell, the cell stays empty
    QVERIFY(::blankIfZero(::formatAmount(0)).isEmpty());
    QVERIFY(::blankIfZero(::formatAmount(-0.001)).isEmpty());
    QVERIFY(::blankIfZero(::formatAmountGrouped(0)).isEmpty());
    QVERIFY(::blankIfZero(::formatCount(0)).isEmpty());
    QCOMPARE(::blankIfZero(::formatAmountGrouped(1000)), QStringLiteral("1.000,00"));
}

QTEST_GUILESS_MAIN(TestAmountText)
#include "tst_amounttext.moc"
