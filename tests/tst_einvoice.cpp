#include "contentrules.h"
#include "einvoice.h"
#include "schemacheck.h"

#include <QFile>
#include <QTest>

class TestEInvoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void officialExample_passesSchemaAndRules();
};

namespace {

QByteArray officialExample()
{
    QFile file(QStringLiteral(FATTURAPA_DIR "/IT01234567890_FPR01.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList messages(const QList<EInvoice::Finding>& findings)
{
    QStringList list;
    for (const EInvoice::Finding& finding : findings)
        list.append(finding.code + QStringLiteral(" ") + finding.message);
    return list;
}

} // namespace

void TestEInvoice::officialExample_passesSchemaAndRules()
{
    const QByteArray xml = officialExample();
    QVERIFY(!xml.isEmpty());
    QCOMPARE(messages(EInvoice::checkSchema(xml)), QStringList());
    QCOMPARE(messages(EInvoice::checkContentRules(xml)), QStringList());
}

QTEST_GUILESS_MAIN(TestEInvoice)
#include "tst_einvoice.moc"
