#include "companykeys.h"
#include "einvoiceexport.h"
#include "einvoiceparties.h"
#include "testhome.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

// A document the exchange system accepts: ten screws at 10.00 and 22 % VAT.
InvoiceData acceptedInvoice(int number, const QString& docType = QStringLiteral("FATTURA"))
{
    InvoiceData document;
    document.rows = {{{"code", "A1"}, {"description", "VITI"}, {"um", "PZ"}, {"amount", "10"}, {"prize", "10.00"},
                      {"sconto", "0.00"}, {"total_amount", "100.00"}, {"c.iva", "22.00"}}};
    document.ivaPercent = 22;
    document.totaleMerci = document.totalImp = 100;
    document.totaleIva = 22;
    document.totale = 122;
    return addressed(document, number, docType);
}

} // namespace

class TestEInvoiceExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each case exports `documents` one after the other into a folder that may already hold
    // a file of someone else's, then looks at what the folder holds.
    void exportDocument_data()
    {
        QTest::addColumn<QList<InvoiceData>>("documents");
        QTest::addColumn<QString>("foreignName");
        QTest::addColumn<QStringList>("expectedFiles");
        QTest::addColumn<int>("failures");

        const QString first = QStringLiteral("IT01234567897_00001.xml");
        const QString second = QStringLiteral("IT01234567897_00002.xml");
        const QString third = QStringLiteral("IT01234567897_00003.xml");
        InvoiceData withoutRecipient = acceptedInvoice(2);
        withoutRecipient.customer.remove(CODICE_DESTINATARIO);

        QTest::newRow("progressives follow each other") << QList{acceptedInvoice(1), acceptedInvoice(2)} << QString()
                                                        << QStringList{first, second} << 0;
        QTest::newRow("a file there is never overwritten")
            << QList{acceptedInvoice(1)} << second << QStringList{second, third} << 0;
        QTest::newRow("a refused document spends no progressive")
            << QList{withoutRecipient, acceptedInvoice(3)} << QString() << QStringList{first} << 1;
        QTest::newRow("transport documents have none")
            << QList{acceptedInvoice(4, QStringLiteral("DOCUMENTO DI TRASPORTO"))} << QString() << QStringList{} << 1;
        QTest::newRow("every kind of invoice")
            << QList{acceptedInvoice(5, QStringLiteral("NOTA DI CREDITO")), acceptedInvoice(6, QStringLiteral("NOTA DI DEBITO")),
                     acceptedInvoice(7, QStringLiteral("FATTURA ACCOMPAGNATORIA"))}
            << QString() << QStringList{first, second, third} << 0;
    }

    void exportDocument()
    {
        QFETCH(QList<InvoiceData>, documents);
        QFETCH(QString, foreignName);
        QFETCH(QStringList, expectedFiles);
        QFETCH(int, failures);
        TestHome home;
        const QString folder = home.path() + QStringLiteral("/fatture");
        QVERIFY(QDir().mkpath(folder));
        const QByteArray foreign("not ours");
        if (!foreignName.isEmpty()) {
            QFile file(QDir(folder).filePath(foreignName));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(foreign) == foreign.size());
        }
        QVERIFY(EInvoiceExport().setFolder(folder));

        int failed = 0;
        for (const InvoiceData& document : documents) {
            // a new exporter each time: the counter lives in the data directory, not in memory
            const EInvoiceExport::Outcome outcome = EInvoiceExport().exportDocument(document);
            QCOMPARE(outcome.written(), outcome.failures.isEmpty() && outcome.reason.isEmpty());
            failed += int(!outcome.written());
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expectedFiles);
        QCOMPARE(failed, failures);
        if (!foreignName.isEmpty())
            QCOMPARE(readFile(QDir(folder).filePath(foreignName)), foreign);
    }

    void exportWithoutFolderWritesNothing()
    {
        TestHome home;
        const EInvoiceExport::Outcome outcome = EInvoiceExport().exportDocument(acceptedInvoice(1));
        QVERIFY(!outcome.written());
        QCOMPARE(outcome.reason, QStringLiteral("cartella inesistente"));
    }

    // The year's file for the accountant: one entry per valid invoice, the others listed;
    // the progressives it spends are not handed out again.
    void exportYear()
    {
        TestHome home;
        const QString folder = home.path() + QStringLiteral("/fatture");
        QVERIFY(QDir().mkpath(folder));
        EInvoiceExport exporter;
        QVERIFY(exporter.setFolder(folder));
        InvoiceData refused = acceptedInvoice(3);
        refused.customer.insert(PIVA, QStringLiteral("09876543210"));
        const QList<InvoiceData> year = {acceptedInvoice(1), acceptedInvoice(2, QStringLiteral("DOCUMENTO DI TRASPORTO")),
                                         refused, acceptedInvoice(4, QStringLiteral("NOTA DI CREDITO"))};
        QList<int> steps;
        const QString zipPath = home.path() + QStringLiteral("/fatture-2026.zip");
        const EInvoiceExport::Outcome outcome = exporter.exportYear(year, zipPath, [&](int done, int total) {
            steps << done * 10 + total;
            return true;
        });
        QCOMPARE(outcome.filePath, zipPath);
        QCOMPARE(outcome.documents, 2);
        QCOMPARE(outcome.failures.size(), 1);
        QVERIFY2(outcome.failures.first().startsWith(QStringLiteral("FATTURA N. 3 del 06/12/2026: ")),
                 qPrintable(outcome.failures.first()));
        QCOMPARE(steps, (QList<int>{13, 23, 33}));

        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zipPath});
        QVERIFY(unzip.waitForFinished());
        QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("IT01234567897_00001.xml"), QStringLiteral("IT01234567897_00003.xml")}));
        QCOMPARE(QFileInfo(exporter.exportDocument(acceptedInvoice(5)).filePath).fileName(),
                 QStringLiteral("IT01234567897_00004.xml"));

        const EInvoiceExport::Outcome stopped =
            exporter.exportYear(year, home.path() + QStringLiteral("/stopped.zip"), [](int, int) { return false; });
        QVERIFY(!stopped.written());
        QVERIFY(!QFile::exists(home.path() + QStringLiteral("/stopped.zip")));
    }
};

QTEST_GUILESS_MAIN(TestEInvoiceExport)
#include "tst_einvoiceexport.moc"
