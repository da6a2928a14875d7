// The VAT rate of the preferences: a whole number, or the default for anything else.
#include "preferencekeys.h"
#include "preferencevalue.h"

#include <QtTest>

class TestPreferenceValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getIva_data()
    {
        QTest::addColumn<QString>("typed"); // null: never set
        QTest::addColumn<int>("iva");
        QTest::addColumn<QString>("stored");
        QTest::newRow("new record: default, stored") << QString() << 22 << "22";
        QTest::newRow("whole number") << "10" << 10 << "10";
        QTest::newRow("zero") << "0" << 0 << "0";
        QTest::newRow("decimal point: default, kept as typed") << "10.5" << 22 << "10.5";
        QTest::newRow("decimal comma") << "10,5" << 22 << "10,5";
        QTest::newRow("letters") << "ABC" << 22 << "ABC";
        QTest::newRow("emptied: default stored again") << QStringLiteral("") << 22 << "22";
    }

    void getIva()
    {
        QFETCH(QString, typed);
        QFETCH(int, iva);
        QFETCH(QString, stored);
        PreferenceValue preferences(nullptr, QStringLiteral("preference"));
        if (!typed.isNull())
            preferences.setIva(typed);
        QCOMPARE(preferences.getIva(), iva);
        QCOMPARE(preferences.fields()->value(IVA_FIELD), stored);
    }
};

QTEST_GUILESS_MAIN(TestPreferenceValue)
#include "tst_preferencevalue.moc"
