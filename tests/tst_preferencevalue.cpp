// The transport preferences and the VAT rate.
#include "preferencekeys.h"
#include "preferencevalue.h"
#include "testhome.h"

#include <QtTest>

class TestPreferenceValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordIdentity();
    void getIva_data();
    void getIva();
    void transportGetters_readTheirKeys();
    void storedAndLoaded_withTheDefaultRate();
};

void TestPreferenceValue::recordIdentity()
{
    PreferenceValue preferences(nullptr, QStringLiteral("preference"));
    QCOMPARE(preferences.recordType(), QStringLiteral("preference"));
    QCOMPARE(preferences.recordId(), QStringLiteral("0"));
    QCOMPARE(preferences.getDataInizio(), QString());
}

void TestPreferenceValue::getIva_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("iva");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("new record: default, stored") << false << QString() << 22 << QStringLiteral("22");
    QTest::newRow("whole number") << true << QStringLiteral("10") << 10 << QStringLiteral("10");
    QTest::newRow("zero") << true << QStringLiteral("0") << 0 << QStringLiteral("0");
    QTest::newRow("decimal: default, kept as typed") << true << QStringLiteral("10.5") << 22 << QStringLiteral("10.5");
    QTest::newRow("decimal comma") << true << QStringLiteral("10,5") << 22 << QStringLiteral("10,5");
    QTest::newRow("letters") << true << QStringLiteral("ABC") << 22 << QStringLiteral("ABC");
    QTest::newRow("emptied: default stored again") << true << QString() << 22 << QStringLiteral("22");
}

void TestPreferenceValue::getIva()
{
    QFETCH(bool, set);
    QFETCH(QString, stored);
    QFETCH(int, iva);
    QFETCH(QString, storedAfter);

    PreferenceValue preferences(nullptr, QStringLiteral("preference"));
    if (set)
        preferences.setIva(stored);
    QCOMPARE(preferences.getIva(), iva);
    QCOMPARE(preferences.getField(IVA_FIELD), storedAfter);
    QCOMPARE(preferences.fields()->value(IVA_FIELD), storedAfter);
}

void TestPreferenceValue::transportGetters_readTheirKeys()
{
    PreferenceValue preferences(nullptr, QStringLiteral("preference"));
    const QList<QPair<QString, QString (PreferenceValue::*)() const>> getters = {
        {TCURA_FIELD, &PreferenceValue::getTCura},       {SMEZZO_FIELD, &PreferenceValue::getSMezzo},
        {PORTO_FIELD, &PreferenceValue::getPorto},       {CAUSALE_FIELD, &PreferenceValue::getCausale},
        {ASPETTO_FIELD, &PreferenceValue::getAspetto},   {DATA_INIZIO_FIELD, &PreferenceValue::getDataInizio},
        {ORA_INIZIO_FIELD, &PreferenceValue::getOraInizio},
    };
    for (const auto& [key, getter] : getters)
        preferences.setField(key, key + QStringLiteral(" VALUE"));
    for (const auto& [key, getter] : getters)
        QCOMPARE((preferences.*getter)(), key + QStringLiteral(" VALUE"));
    preferences.setField(QStringLiteral("ANY_KEY"), QStringLiteral("any"));
    QCOMPARE(preferences.getField(QStringLiteral("ANY_KEY")), QStringLiteral("any"));
}

void TestPreferenceValue::storedAndLoaded_withTheDefaultRate()
{
    TestHome home;
    PreferenceValue preferences(nullptr, QStringLiteral("preference"));
    preferences.setField(PORTO_FIELD, QStringLiteral("FRANCO"));
    preferences.getIva();
    QCOMPARE(Serializable::serialize(&preferences), 0);
    QCOMPARE(readFile(Serializable::fileNameOf(&preferences)),
             QByteArray("<!DOCTYPE preference>\n<preference>\n <entry id=\"0\">\n"
                        "  <field name=\"IVA_FIELD\">22</field>\n"
                        "  <field name=\"PORTO_FIELD\">FRANCO</field>\n"
                        " </entry>\n</preference>\n"));
    PreferenceValue loaded(nullptr, QStringLiteral("preference"));
    QCOMPARE(Serializable::unserialize(&loaded, Serializable::filesOfType(QStringLiteral("preference")).value(0),
                                       QStringLiteral("preference")),
             0);
    QCOMPARE(loaded.getPorto(), QStringLiteral("FRANCO"));
    QCOMPARE(loaded.getIva(), 22);
}

QTEST_GUILESS_MAIN(TestPreferenceValue)
#include "tst_preferencevalue.moc"
