// Reading amounts and counts typed by the user or written back by the window. CTest runs
// this under the C, English and Italian system locales: the results must not change.
#include "amounttext.h"
#include "numbertext.h"

#include <QtTest>

#include <optional>

class TestNumberText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseAmount_data();
    void parseAmount();
    void parseAmount_ignoresTheSystemLocale();
    void parseAmount_readsBackItsOwnDisplayForms_data();
    void parseAmount_readsBackItsOwnDisplayForms();
    void parseCount_data();
    void parseCount();
};

void TestNumberText::parseAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    // Italian first: decimal comma, "." only where it groups thousands correctly
    QTest::newRow("decimal comma") << QStringLiteral("2,50") << true << 2.5;
    QTest::newRow("decimal comma, one decimal") << QStringLiteral("2,5") << true << 2.5;
    QTest::newRow("grouped with decimal comma") << QStringLiteral("1.234,50") << true << 1234.5;
    QTest::newRow("two groups") << QStringLiteral("1.234.567,89") << true << 1234567.89;
    QTest::newRow("point before three digits is a thousands separator") << QStringLiteral("1.234") << true << 1234.0;
    QTest::newRow("comma with exponent") << QStringLiteral("1,23457e+06") << true << 1234570.0;
    QTest::newRow("surrounding blanks") << QStringLiteral(" 2,5 ") << true << 2.5;
    // then C: a point that cannot be a thousands separator is the decimal point
    QTest::newRow("decimal point") << QStringLiteral("2.5") << true << 2.5;
    QTest::newRow("decimal point, two decimals") << QStringLiteral("12.50") << true << 12.5;
    QTest::newRow("point before two digits is decimal") << QStringLiteral("1.23") << true << 1.23;
    QTest::newRow("point before four digits is decimal") << QStringLiteral("1.2345") << true << 1.2345;
    QTest::newRow("exponent") << QStringLiteral("1e+06") << true << 1e6;
    QTest::newRow("whole number") << QStringLiteral("100") << true << 100.0;
    QTest::newRow("zero") << QStringLiteral("0") << true << 0.0;
    // the sign is the caller's business: a negative amount is still a number
    QTest::newRow("negative") << QStringLiteral("-4") << true << -4.0;
    QTest::newRow("negative with comma") << QStringLiteral("-4,25") << true << -4.25;
    // no number at all
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0.0;
    QTest::newRow("empty") << QStringLiteral("") << false << 0.0;
    QTest::newRow("null") << QString() << false << 0.0;
    QTest::newRow("trailing letters") << QStringLiteral("12a") << false << 0.0;
    QTest::newRow("two decimal points") << QStringLiteral("1.2.3") << false << 0.0;
    QTest::newRow("two commas") << QStringLiteral("1,2,3") << false << 0.0;
    QTest::newRow("doubled point") << QStringLiteral("1..234") << false << 0.0;
    // infinities and NaN are no amounts
    QTest::newRow("infinity") << QStringLiteral("inf") << false << 0.0;
    QTest::newRow("negative infinity") << QStringLiteral("-inf") << false << 0.0;
    QTest::newRow("not a number") << QStringLiteral("nan") << false << 0.0;
    QTest::newRow("overflow") << QStringLiteral("1e999") << false << 0.0;
}

void TestNumberText::parseAmount()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);

    const std::optional<double> parsed = ::parseAmount(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestNumberText::parseAmount_ignoresTheSystemLocale()
{
    // Whatever QLocale() is in this run, a comma is decimal and "1.234" is a thousand.
    const QLocale saved;
    for (const QLocale& system : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Italian, QLocale::Italy)}) {
        QLocale::setDefault(system);
        QCOMPARE(::parseAmount(QStringLiteral("2,50")), std::optional<double>(2.5));
        QCOMPARE(::parseAmount(QStringLiteral("12.50")), std::optional<double>(12.5));
        QCOMPARE(::parseAmount(QStringLiteral("1.234")), std::optional<double>(1234.0));
        QCOMPARE(::parseCount(QStringLiteral("1.234")), std::optional<int>(1234));
    }
    QLocale::setDefault(saved);
}

void TestNumberText::parseAmount_readsBackItsOwnDisplayForms_data()
{
    QTest::addColumn<double>("amount");

    QTest::newRow("zero") << 0.0;
    QTest::newRow("cents") << 0.05;
    QTest::newRow("under a thousand") << 164.7;
    QTest::newRow("exactly a thousand") << 1000.0;
    QTest::newRow("thousands") << 1234.5;
    QTest::newRow("millions") << 1234567.89;
    QTest::newRow("negative thousands") << -98765.43;
}

void TestNumberText::parseAmount_readsBackItsOwnDisplayForms()
{
    QFETCH(double, amount);

    // What the window shows, plain or grouped, reads back as the amount it shows.
    const std::optional<double> plain = ::parseAmount(formatAmount(amount));
    const std::optional<double> grouped = ::parseAmount(formatAmountGrouped(amount));
    QVERIFY(plain.has_value());
    QVERIFY(grouped.has_value());
    QCOMPARE(*plain, amount);
    QCOMPARE(*grouped, amount);
    // the model's point form made Italian by the window, "12.50" -> "12,50"
    const QString pointForm = QString::number(amount, 'f', 2);
    QCOMPARE(::parseAmount(QString(pointForm).replace(QLatin1Char('.'), QLatin1Char(','))), plain);
    QCOMPARE(::parseAmount(pointForm), plain);
}

void TestNumberText::parseCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("whole number") << QStringLiteral("12") << true << 12;
    QTest::newRow("leading zeros") << QStringLiteral("007") << true << 7;
    QTest::newRow("thousands separator") << QStringLiteral("1.234") << true << 1234;
    QTest::newRow("negative") << QStringLiteral("-3") << true << -3;
    QTest::newRow("plus sign") << QStringLiteral("+7") << true << 7;
    QTest::newRow("trailing letter") << QStringLiteral("12a") << false << 0;
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0;
    QTest::newRow("empty") << QStringLiteral("") << false << 0;
    QTest::newRow("decimal comma") << QStringLiteral("2,5") << false << 0;
    QTest::newRow("decimal point") << QStringLiteral("2.5") << false << 0;
    QTest::newRow("exponent") << QStringLiteral("1e+06") << false << 0;
    QTest::newRow("beyond int") << QStringLiteral("99999999999") << false << 0;
}

void TestNumberText::parseCount()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const std::optional<int> parsed = ::parseCount(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
