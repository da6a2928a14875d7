// The rules of a customer or own-company record.
#include "company.h"
#include "companykeys.h"
#include "paymentmodes.h"
#include "testhome.h"

#include <QtTest>

namespace {

using FieldMap = Serializable::FieldMap;

// Every required field filled, with the VAT number as the tax identifier.
void fillComplete(Company& company)
{
    for (const QString& key : {CODE, RAGIONE_S, ADDRESS, LOCALITY, CITY, NAZIONE, PIVA})
        company.fields()->insert(key, key.left(2));
}

} // namespace

class TestCompany : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordIdentity();
    void setField_data();
    void setField();
    void taxIdentifiers_standInForEachOther_data();
    void taxIdentifiers_standInForEachOther();
    void checkRequiredFields_data();
    void checkRequiredFields();
    void getChoiceFields_givesTheAlternative();
    void editing_data();
    void editing();
    void editing_givesRecordAnotherMapObject();
    void startEditing_twice_keepsTheFirstSnapshot();
    void copyFieldsFrom_keepsKeysOnlyTheTargetHas();
    void summaryFields_hasTheSixSearchColumns();
    void bankInfoForPayment_data();
    void bankInfoForPayment();
    void storedAndLoaded_asRecordFile();
};

void TestCompany::recordIdentity()
{
    Company customer(nullptr, QStringLiteral("customer"));
    customer.setField(CODE, QStringLiteral("C00042"));
    QCOMPARE(customer.recordType(), QStringLiteral("customer"));
    QCOMPARE(customer.recordId(), QStringLiteral("C00042"));
    QCOMPARE(customer.getField(QStringLiteral("NEVER_SET")), QString());

    QObject owner;
    auto* own = new Company(&owner, QStringLiteral("company"));
    QCOMPARE(own->parent(), &owner);
    QCOMPARE(own->recordId(), QString());
}

void TestCompany::setField_data()
{
    QTest::addColumn<FieldMap>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<FieldMap>("after");

    const FieldMap rossi = {{RAGIONE_S, QStringLiteral("ROSSI")}};
    QTest::newRow("required, one character") << FieldMap{} << RAGIONE_S << QStringLiteral("R") << 2 << true
                                             << FieldMap{{RAGIONE_S, QString()}};
    QTest::newRow("required, one character clears the old value")
        << rossi << RAGIONE_S << QStringLiteral("R") << 2 << true << FieldMap{{RAGIONE_S, QString()}};
    QTest::newRow("required, two characters") << FieldMap{} << RAGIONE_S << QStringLiteral("RO") << 0 << true
                                              << FieldMap{{RAGIONE_S, QStringLiteral("RO")}};
    QTest::newRow("required, same value again") << rossi << RAGIONE_S << QStringLiteral("ROSSI") << 0 << false << rossi;
    QTest::newRow("required, refused twice still reports a change")
        << FieldMap{{RAGIONE_S, QString()}} << RAGIONE_S << QString() << 2 << true << FieldMap{{RAGIONE_S, QString()}};
    QTest::newRow("optional, empty on a record without it") << FieldMap{} << NOTE << QString() << 0 << false << FieldMap{};
    QTest::newRow("optional, one character") << FieldMap{} << CAP << QStringLiteral("1") << 0 << true
                                             << FieldMap{{CAP, QStringLiteral("1")}};
    QTest::newRow("optional, emptied") << FieldMap{{NOTE, QStringLiteral("X")}} << NOTE << QString() << 0 << true
                                       << FieldMap{{NOTE, QString()}};
    QTest::newRow("code is required too") << FieldMap{} << CODE << QStringLiteral("C") << 2 << true
                                          << FieldMap{{CODE, QString()}};
}

void TestCompany::setField()
{
    QFETCH(FieldMap, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, result);
    QFETCH(bool, changed);
    QFETCH(FieldMap, after);

    Company company(nullptr, QStringLiteral("customer"));
    *company.fields() = before;
    QCOMPARE(company.checkField(key, value), result);
    QCOMPARE(*company.fields(), before); // checking changes nothing
    bool reported = false;
    QCOMPARE(company.setField(key, value, &reported), result);
    QCOMPARE(reported, changed);
    QCOMPARE(*company.fields(), after);
    QCOMPARE(company.setField(key, value), result); // the flag is optional
}

void TestCompany::taxIdentifiers_standInForEachOther_data()
{
    QTest::addColumn<QString>("filledKey");
    QTest::addColumn<QString>("filledValue");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("result");

    QTest::newRow("PIVA emptied, tax code held") << FISCAL_CODE << QStringLiteral("RS") << PIVA << 0;
    QTest::newRow("tax code emptied, PIVA held") << PIVA << QStringLiteral("01") << FISCAL_CODE << 0;
    QTest::newRow("PIVA emptied, tax code empty") << FISCAL_CODE << QString() << PIVA << 2;
    QTest::newRow("PIVA emptied, tax code of one character") << FISCAL_CODE << QStringLiteral("R") << PIVA << 2;
    QTest::newRow("another key gets no stand-in") << PIVA << QStringLiteral("01") << RAGIONE_S << 2;
}

void TestCompany::taxIdentifiers_standInForEachOther()
{
    QFETCH(QString, filledKey);
    QFETCH(QString, filledValue);
    QFETCH(QString, key);
    QFETCH(int, result);

    Company company(nullptr, QStringLiteral("customer"));
    company.fields()->insert(filledKey, filledValue);
    QCOMPARE(company.hasChoiceValue(key), result == 0);
    QCOMPARE(company.setField(key, QString()), result);
    QCOMPARE(company.getField(key), QString());
    QCOMPARE(company.getField(filledKey), filledValue);
}

void TestCompany::checkRequiredFields_data()
{
    QTest::addColumn<FieldMap>("changes");
    QTest::addColumn<bool>("complete");

    QTest::newRow("complete with PIVA") << FieldMap{} << true;
    QTest::newRow("complete with the tax code only")
        << FieldMap{{PIVA, QString()}, {FISCAL_CODE, QStringLiteral("RSSMRA")}} << true;
    QTest::newRow("no tax identifier") << FieldMap{{PIVA, QString()}} << false;
    QTest::newRow("tax identifiers of one character")
        << FieldMap{{PIVA, QStringLiteral("1")}, {FISCAL_CODE, QStringLiteral("R")}} << false;
    QTest::newRow("province of one character") << FieldMap{{CITY, QStringLiteral("R")}} << false;
    QTest::newRow("country missing") << FieldMap{{NAZIONE, QString()}} << false;
    QTest::newRow("code missing") << FieldMap{{CODE, QString()}} << false;
    QTest::newRow("optional fields do not matter") << FieldMap{{CAP, QString()}, {NOTE, QStringLiteral("x")}} << true;
}

void TestCompany::checkRequiredFields()
{
    QFETCH(FieldMap, changes);
    QFETCH(bool, complete);

    Company company(nullptr, QStringLiteral("customer"));
    fillComplete(company);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        company.fields()->insert(it.key(), it.value());
    QCOMPARE(company.checkRequiredFields(), complete);

    Company onlyCode(nullptr, QStringLiteral("customer"));
    onlyCode.setField(CODE, QStringLiteral("C00001"));
    QVERIFY(!onlyCode.checkRequiredFields());
}

void TestCompany::getChoiceFields_givesTheAlternative()
{
    Company company(nullptr, QStringLiteral("customer"));
    QCOMPARE(company.getChoiceFields(PIVA), QStringList{FISCAL_CODE});
    QCOMPARE(company.getChoiceFields(FISCAL_CODE), QStringList{PIVA});
    QVERIFY(company.getChoiceFields(RAGIONE_S).isEmpty());
    // a copy: changing it changes nothing in the record
    QStringList copy = company.getChoiceFields(PIVA);
    copy << RAGIONE_S;
    QCOMPARE(company.getChoiceFields(PIVA), QStringList{FISCAL_CODE});
}

void TestCompany::editing_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("expected");

    QTest::newRow("confirmed edit keeps the change") << QStringLiteral("confirm") << QStringLiteral("MILANO");
    QTest::newRow("aborted edit restores the value") << QStringLiteral("abort") << QStringLiteral("ROMA");
    QTest::newRow("abort outside an edit changes nothing") << QStringLiteral("none-then-abort") << QStringLiteral("MILANO");
    QTest::newRow("confirm outside an edit changes nothing") << QStringLiteral("none-then-confirm") << QStringLiteral("MILANO");
}

void TestCompany::editing()
{
    QFETCH(QString, ending);
    QFETCH(QString, expected);

    Company company(nullptr, QStringLiteral("customer"));
    company.setField(LOCALITY, QStringLiteral("ROMA"));
    const bool inEdit = !ending.startsWith(QLatin1String("none"));
    if (inEdit)
        company.startEditing();
    company.setField(LOCALITY, QStringLiteral("MILANO"));
    company.setField(NOTE, QStringLiteral("ADDED"));
    if (ending.endsWith(QLatin1String("abort")))
        company.abortEditing();
    else
        company.confirmEditing();
    QCOMPARE(company.getField(LOCALITY), expected);
    QCOMPARE(company.fields()->contains(NOTE), expected == QLatin1String("MILANO"));
}

void TestCompany::editing_givesRecordAnotherMapObject()
{
    Company company(nullptr, QStringLiteral("customer"));
    const FieldMap* original = company.fields();
    company.startEditing();
    QVERIFY(company.fields() != original);
    company.abortEditing();
    QCOMPARE(company.fields(), original);
}

void TestCompany::startEditing_twice_keepsTheFirstSnapshot()
{
    Company company(nullptr, QStringLiteral("customer"));
    company.setField(LOCALITY, QStringLiteral("ROMA"));
    company.startEditing();
    company.setField(LOCALITY, QStringLiteral("MILANO"));
    company.startEditing();
    company.setField(LOCALITY, QStringLiteral("TORINO"));
    company.abortEditing();
    QCOMPARE(company.getField(LOCALITY), QStringLiteral("ROMA"));
}

void TestCompany::copyFieldsFrom_keepsKeysOnlyTheTargetHas()
{
    Company source(nullptr, QStringLiteral("company"));
    *source.fields() = {{RAGIONE_S, QStringLiteral("NEW")}, {EMAIL, QStringLiteral("A@B.IT")}};
    Company target(nullptr, QStringLiteral("company"));
    *target.fields() = {{RAGIONE_S, QStringLiteral("OLD")}, {FAX, QStringLiteral("06 1234")}};
    target.copyFieldsFrom(&source);
    QCOMPARE(*target.fields(), (FieldMap{{RAGIONE_S, QStringLiteral("NEW")}, {EMAIL, QStringLiteral("A@B.IT")},
                                         {FAX, QStringLiteral("06 1234")}}));
    target.copyFieldsFrom(nullptr);
    QCOMPARE(target.fields()->size(), 3);
}

void TestCompany::summaryFields_hasTheSixSearchColumns()
{
    Company company(nullptr, QStringLiteral("customer"));
    fillComplete(company);
    company.setField(TELEPHONE, QStringLiteral("06 555"));
    const std::unique_ptr<FieldMap> owned(company.summaryFields());
    const FieldMap& summary = *owned;
    QCOMPARE(summary.keys(), (QStringList{ADDRESS, CODE, EMAIL, MOBILE_PHONE, RAGIONE_S, TELEPHONE}));
    QCOMPARE(summary.value(TELEPHONE), QStringLiteral("06 555"));
    QCOMPARE(summary.value(EMAIL), QString());
}

void TestCompany::bankInfoForPayment_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("typed"); // ABI, CAB, IBAN, FILIALE; empty list: never typed
    QTest::addColumn<FieldMap>("expected");

    const FieldMap registered = {{ABI, QStringLiteral("03069")}, {CAB, QStringLiteral("05034")},
                                 {IBAN, QStringLiteral("IT60X0542811101000000123456")}, {FILIALE, QStringLiteral("ROMA 3")}};
    const FieldMap typedFiliale = {{ABI, QString()}, {CAB, QString()}, {IBAN, QString()}, {FILIALE, QStringLiteral("BPM")}};

    QTest::newRow("RiBa before typing: registered data") << RIBA_PAYMENT_MODE << QStringList{} << registered;
    QTest::newRow("RiBa with a typed three-character value")
        << RIBA_PAYMENT_MODE << QStringList{{}, {}, {}, QStringLiteral("BPM")} << typedFiliale;
    QTest::newRow("RiBa with typed values of two characters: registered data")
        << RIBA_PAYMENT_MODE << QStringList{QStringLiteral("03"), QStringLiteral("05"), {}, {}} << registered;
    QTest::newRow("transfer before typing: nothing") << QStringLiteral("BONIFICO") << QStringList{} << FieldMap{};
    QTest::newRow("transfer with typed values, even short ones")
        << QStringLiteral("BONIFICO") << QStringList{QStringLiteral("03"), {}, {}, {}}
        << FieldMap{{ABI, QStringLiteral("03")}, {CAB, QString()}, {IBAN, QString()}, {FILIALE, QString()}};
    QTest::newRow("mode compared exactly") << QStringLiteral("RIBA. (RICEVUTA BANCARIA)") << QStringList{} << FieldMap{};
}

void TestCompany::bankInfoForPayment()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, typed);
    QFETCH(FieldMap, expected);

    Company customer(nullptr, QStringLiteral("customer"));
    *customer.fields() = {{ABI, QStringLiteral("03069")}, {CAB, QStringLiteral("05034")},
                          {IBAN, QStringLiteral("IT60X0542811101000000123456")}, {FILIALE, QStringLiteral("ROMA 3")},
                          {RAGIONE_S, QStringLiteral("ROSSI")}};
    QCOMPARE(customer.hasTmpBankInfo(), false);
    if (!typed.isEmpty())
        customer.setTmpBankInfo(typed.at(0), typed.at(1), typed.at(2), typed.at(3));
    QCOMPARE(customer.getInfoForPayment(mode), expected);
    QCOMPARE(customer.getBankInfo().value(FILIALE), QStringLiteral("ROMA 3"));
}

void TestCompany::storedAndLoaded_asRecordFile()
{
    TestHome home;
    Company customer(nullptr, QStringLiteral("customer"));
    fillComplete(customer);
    customer.setField(CODE, QStringLiteral("C00007"));
    customer.setField(RAGIONE_S, QStringLiteral("CAFF\u00C8 \u00E9"));
    customer.setTmpBankInfo(QStringLiteral("12345"), {}, {}, {});
    QCOMPARE(Serializable::serialize(&customer), 0);

    const QStringList files = Serializable::filesOfType(QStringLiteral("customer"));
    QCOMPARE(files.size(), 1);
    QVERIFY(files.first().endsWith(QLatin1String("/customer_C00007.xml")));
    Company loaded(nullptr, QStringLiteral("customer"));
    QCOMPARE(Serializable::unserialize(&loaded, files.first(), QStringLiteral("customer")), 0);
    QCOMPARE(*loaded.fields(), *customer.fields()); // bank data typed for a document are not stored
    QVERIFY(loaded.checkRequiredFields());
}

QTEST_GUILESS_MAIN(TestCompany)
#include "tst_company.moc"
