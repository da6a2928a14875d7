// Reading amounts and counts typed by the user or written back by the window. CTest runs
// this under the C, English and Italian system locales: the results must not change.
#include "amounttext.h"
#include "numbertext.h"

#include <QtTest>

#include <optional>

using Amount = std::optional<double>;
using Count = std::optional<int>;

class TestNumberText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Amount>("amount"); // nullopt: rejected
        QTest::addColumn<Count>("count");

        // Italian first: decimal comma, "." only where it groups thousands correctly
        QTest::newRow("decimal comma") << "2,50" << Amount(2.5) << Count();
        QTest::newRow("grouped, decimal comma") << "1.234.567,89" << Amount(1234567.89) << Count();
        QTest::newRow("point before three digits groups") << "1.234" << Amount(1234) << Count(1234);
        QTest::newRow("comma with exponent") << "1,23457e+06" << Amount(1234570) << Count();
        // then C: a point that cannot group thousands is the decimal point
        QTest::newRow("decimal point") << "12.50" << Amount(12.5) << Count();
        QTest::newRow("point before two digits") << "1.23" << Amount(1.23) << Count();
        QTest::newRow("point before four digits") << "1.2345" << Amount(1.2345) << Count();
        // no thousands group follows a lone zero: a price of 0.125 stays an eighth
        QTest::newRow("zero, point, three digits") << "0.125" << Amount(0.125) << Count();
        QTest::newRow("negative zero, point, three digits") << "-0.125" << Amount(-0.125) << Count();
        QTest::newRow("exponent") << "1e+06" << Amount(1e6) << Count();
        QTest::newRow("leading zeros") << "007" << Amount(7) << Count(7);
        QTest::newRow("negative") << "-3" << Amount(-3) << Count(-3);
        QTest::newRow("beyond int") << "99999999999" << Amount(99999999999.0) << Count();
        QTest::newRow("beyond a trillion") << "1e200" << Amount() << Count();
        // no number at all
        for (const char* text : {"abc", "", "12a", "1.2.3", "1,2,3", "1..234", "inf", "-inf", "nan", "1e999"})
            QTest::newRow(*text ? text : "empty") << text << Amount() << Count();
        QTest::newRow("null") << QString() << Amount() << Count();
        // what the window shows, plain or grouped, and the model's point form made Italian
        // by the window ("12.50" -> "12,50") read back as the amount shown
        for (double amount : {0.05, 164.7, 1000.0, 1234567.89, -98765.43}) {
            const QString point = QString::number(amount, 'f', 2);
            QStringList forms = {formatAmount(amount), formatAmountGrouped(amount), point,
                                 QString(point).replace(QLatin1Char('.'), QLatin1Char(','))};
            forms.removeDuplicates();
            for (const QString& form : std::as_const(forms))
                QTest::addRow("display form %s", qPrintable(form)) << form << Amount(amount) << Count();
        }
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(Amount, amount);
        QFETCH(Count, count);

        // whatever the default locale is: the system one of this run, or one set by the program
        const QLocale saved;
        for (const QLocale& locale : {saved, QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(locale);
            QCOMPARE(parseAmount(text), amount);
            QCOMPARE(parseCount(text), count);
        }
        QLocale::setDefault(saved);
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
