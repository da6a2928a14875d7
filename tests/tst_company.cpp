// The rules of a customer or own-company record.
#include "company.h"
#include "companykeys.h"
#include "paymentmodes.h"

#include <QtTest>

using FieldMap = Serializable::FieldMap;

class TestCompany : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setField_data()
    {
        QTest::addColumn<FieldMap>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<FieldMap>("after");
        const FieldMap rossi = {{RAGIONE_S, "ROSSI"}}, cleared = {{RAGIONE_S, ""}}, piva = {{PIVA, "01"}};
        QTest::newRow("required, one character clears") << rossi << RAGIONE_S << "R" << 2 << true << cleared;
        QTest::newRow("required, two characters") << FieldMap{} << RAGIONE_S << "RO" << 0 << true
                                                  << FieldMap{{RAGIONE_S, "RO"}};
        QTest::newRow("required, same value") << rossi << RAGIONE_S << "ROSSI" << 0 << false << rossi;
        QTest::newRow("required, refused again is a change") << cleared << RAGIONE_S << "" << 2 << true << cleared;
        QTest::newRow("optional, empty where absent") << FieldMap{} << NOTE << "" << 0 << false << FieldMap{};
        QTest::newRow("optional, one character") << FieldMap{} << CAP << "1" << 0 << true << FieldMap{{CAP, "1"}};
        QTest::newRow("PIVA emptied, tax code held") << FieldMap{{FISCAL_CODE, "RS"}} << PIVA << "" << 0 << false
                                                     << FieldMap{{FISCAL_CODE, "RS"}};
        QTest::newRow("tax code emptied, PIVA held") << piva << FISCAL_CODE << "" << 0 << false << piva;
        QTest::newRow("PIVA emptied, tax code of one character")
            << FieldMap{{FISCAL_CODE, "R"}} << PIVA << "" << 2 << true << FieldMap{{FISCAL_CODE, "R"}, {PIVA, ""}};
        QTest::newRow("no stand-in for another key") << piva << RAGIONE_S << "" << 2 << true
                                                     << FieldMap{{PIVA, "01"}, {RAGIONE_S, ""}};
        // the electronic invoice's keys take only their own form; empty always
        const auto only = [](const QString& key, const QString& value) { return FieldMap{{key, value}}; };
        QTest::newRow("recipient code, 7 characters, capitals") << FieldMap{} << CODICE_DESTINATARIO << "abc1234" << 0
                                                                << true << only(CODICE_DESTINATARIO, "ABC1234");
        QTest::newRow("recipient code of 6") << FieldMap{} << CODICE_DESTINATARIO << "ABC123" << 2 << true
                                             << only(CODICE_DESTINATARIO, "");
        QTest::newRow("recipient code with a blank") << FieldMap{} << CODICE_DESTINATARIO << "ABC 123" << 2 << true
                                                     << only(CODICE_DESTINATARIO, "");
        QTest::newRow("recipient code emptied") << only(CODICE_DESTINATARIO, "0000000") << CODICE_DESTINATARIO << ""
                                                << 0 << true << only(CODICE_DESTINATARIO, "");
        QTest::newRow("PEC an address") << FieldMap{} << PEC << "ROSSI@PEC.IT" << 0 << true << only(PEC, "ROSSI@PEC.IT");
        QTest::newRow("PEC without a domain") << FieldMap{} << PEC << "ROSSI@PEC" << 2 << true << only(PEC, "");
        QTest::newRow("regime listed") << FieldMap{} << REGIME_FISCALE << "rf19" << 0 << true << only(REGIME_FISCALE, "RF19");
        QTest::newRow("regime not listed") << FieldMap{} << REGIME_FISCALE << "RF03" << 2 << true << only(REGIME_FISCALE, "");
        QTest::newRow("REA office of 2 letters") << FieldMap{} << REA_UFFICIO << "mi" << 0 << true << only(REA_UFFICIO, "MI");
        QTest::newRow("REA office of 3") << FieldMap{} << REA_UFFICIO << "MIL" << 2 << true << only(REA_UFFICIO, "");
        QTest::newRow("person flag other than 1") << FieldMap{} << PERSONA_FISICA << "SI" << 2 << true
                                                  << only(PERSONA_FISICA, "");
        QTest::newRow("generic nature for the costs") << FieldMap{} << NATURA_SPESE << "N2" << 2 << true
                                                      << only(NATURA_SPESE, "");
        QTest::newRow("a person's first name required") << FieldMap{{PERSONA_FISICA, "1"}} << NOME << "" << 2 << true
                                                        << FieldMap{{PERSONA_FISICA, "1"}, {NOME, ""}};
        QTest::newRow("a company's first name optional") << FieldMap{} << NOME << "" << 0 << false << FieldMap{};
    }

    void setField()
    {
        QFETCH(FieldMap, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, result);
        QFETCH(bool, changed);
        QFETCH(FieldMap, after);
        Company company(nullptr, "customer");
        *company.fields() = before;
        QCOMPARE(company.checkField(key, value), result);
        bool reported = false;
        QCOMPARE(company.setField(key, value, &reported), result);
        QCOMPARE(reported, changed);
        QCOMPARE(*company.fields(), after);
    }

    void checkRequiredFields_data()
    {
        QTest::addColumn<FieldMap>("changes");
        QTest::addColumn<bool>("complete");
        QTest::newRow("complete with PIVA") << FieldMap{} << true;
        QTest::newRow("complete with the tax code only") << FieldMap{{PIVA, ""}, {FISCAL_CODE, "RSSMRA"}} << true;
        QTest::newRow("tax identifiers of one character") << FieldMap{{PIVA, "1"}, {FISCAL_CODE, "R"}} << false;
        QTest::newRow("province of one character") << FieldMap{{CITY, "R"}} << false;
        QTest::newRow("code missing") << FieldMap{{CODE, ""}} << false;
        QTest::newRow("address missing") << FieldMap{{ADDRESS, ""}} << false;
        QTest::newRow("locality missing") << FieldMap{{LOCALITY, ""}} << false;
        QTest::newRow("optional fields do not matter") << FieldMap{{CAP, ""}, {NOTE, "x"}} << true;
        QTest::newRow("a person with both names") << FieldMap{{PERSONA_FISICA, "1"}, {NOME, "MARIO"}, {COGNOME, "ROSSI"}} << true;
        QTest::newRow("a person without a last name") << FieldMap{{PERSONA_FISICA, "1"}, {NOME, "MARIO"}} << false;
    }

    void checkRequiredFields()
    {
        QFETCH(FieldMap, changes);
        QFETCH(bool, complete);
        Company company(nullptr, "customer");
        for (const QString& key : {CODE, RAGIONE_S, ADDRESS, LOCALITY, CITY, NAZIONE, PIVA})
            company.fields()->insert(key, key.left(2));
        company.fields()->insert(changes);
        QCOMPARE(company.checkRequiredFields(), complete);
    }

    void editing_rollsBackToTheFirstSnapshotOnly()
    {
        Company company(nullptr, "customer");
        company.setField(LOCALITY, "ROMA");
        company.startEditing();
        company.setField(LOCALITY, "MILANO");
        company.startEditing(); // already editing: the snapshot stays
        company.setField(NOTE, "ADDED");
        company.abortEditing();
        QCOMPARE(*company.fields(), (FieldMap{{LOCALITY, "ROMA"}}));
        company.startEditing();
        company.setField(LOCALITY, "MILANO");
        company.confirmEditing();
        company.abortEditing(); // outside an edit: nothing to roll back
        QCOMPARE(company.getField(LOCALITY), "MILANO");
    }

    void copyFieldsFrom_andSummary()
    {
        Company source(nullptr, "company");
        *source.fields() = {{RAGIONE_S, "NEW"}, {EMAIL, "A@B.IT"}};
        Company target(nullptr, "company");
        *target.fields() = {{RAGIONE_S, "OLD"}, {FAX, "06 1234"}};
        target.copyFieldsFrom(&source);
        target.copyFieldsFrom(nullptr);
        QCOMPARE(*target.fields(), (FieldMap{{RAGIONE_S, "NEW"}, {EMAIL, "A@B.IT"}, {FAX, "06 1234"}}));
        const CustomerSummary summary = target.summary();
        QCOMPARE((QStringList{summary.code, summary.name, summary.mobilePhone, summary.telephone, summary.address,
                              summary.email}),
                 (QStringList{"", "NEW", "", "", "", "A@B.IT"}));
    }

    // Typed bank data count from three characters in one field; only a RiBa falls back to the record's.
    void infoForPayment()
    {
        const FieldMap registered = {{ABI, "03069"}, {CAB, "05034"}, {IBAN, "IT60X054281110"}, {FILIALE, "ROMA 3"}};
        Company customer(nullptr, "customer");
        *customer.fields() = registered;
        QCOMPARE(customer.getInfoForPayment(RIBA_PAYMENT_MODE), registered);
        QCOMPARE(customer.getInfoForPayment(RIBA_PAYMENT_MODE.toUpper()), FieldMap{}); // modes compared exactly
        QCOMPARE(customer.getInfoForPayment("BONIFICO"), FieldMap{});
        customer.setTmpBankInfo("03", "05", "", "");
        QCOMPARE(customer.getInfoForPayment(RIBA_PAYMENT_MODE), registered);
        const FieldMap shortTyped = {{ABI, "03"}, {CAB, "05"}, {IBAN, ""}, {FILIALE, ""}};
        QCOMPARE(customer.getInfoForPayment("BONIFICO"), shortTyped);
        customer.setTmpBankInfo("", "", "", "BPM");
        const FieldMap typed = {{ABI, ""}, {CAB, ""}, {IBAN, ""}, {FILIALE, "BPM"}};
        QCOMPARE(customer.getInfoForPayment(RIBA_PAYMENT_MODE), typed);
        QCOMPARE(customer.getBankInfo(), registered); // typed data are not the record's
    }
};

QTEST_GUILESS_MAIN(TestCompany)
#include "tst_company.moc"
