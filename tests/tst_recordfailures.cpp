// Records that cannot be read or written: nothing already saved may be lost, and the
// log says which file and why.
#include "testhome.h"
#include "testrecord.h"
#include "tmpfs.h"

#include "recordxml.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>


namespace {

using FieldMap = Serializable::FieldMap;

const QString customerType = QStringLiteral("customer");

QRegularExpression mentioning(const QString& text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}


QByteArray nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

QByteArray recordOfSize(qsizetype size)
{
    const QByteArray head = "<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  <field name=\"NOTE\">";
    const QByteArray tail = "</field>\n </entry>\n</customer>\n";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

} // namespace

class TestRecordFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(TestHome::DataDir::Missing); }
    void cleanup() { home.reset(); }

    void unreadableFile_isRefusedAndMapKept_data();
    void unreadableFile_isRefusedAndMapKept();
    void fileOfExactlyTheLimit_isRead();
    void homeThatCannotHoldData_returnsFailureAndCreatesNothing();
    void readOnlyDataDir_keepsPreviousFile();
    void fullDisk_keepsPreviousFile();
    void killedSave_leavesOldOrNewRecord();
    void recordIdWithPathSeparator_isNotWritten();
    void recordTooLargeToReadBack_isNotWritten();
    void syncDataDir_needsTheDirectory();

private:
    std::unique_ptr<TestHome> home;
};

void TestRecordFailures::unreadableFile_isRefusedAndMapKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << QByteArray() << "Premature end of document";
    QTest::newRow("truncated") << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  <field name=\"A\">1")
                               << "Premature end of document";
    QTest::newRow("not xml") << QByteArray("RAGIONE_S=ROSSI\n") << "line 1";
    QTest::newRow("two roots") << QByteArray("<customer/><customer/>") << "line 1";
    QTest::newRow("undeclared entity") << QByteArray("<customer><entry><field name=\"A\">&nbsp;</field></entry></customer>")
                                       << "nbsp";
    QTest::newRow("entity expansion") << QByteArray(
        "<!DOCTYPE customer [\n"
        " <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
        " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        " <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        " <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
        " <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        "]>\n<customer><entry id=\"C1\"><field name=\"A\">&e;&e;&e;&e;</field></entry></customer>\n")
        << "document type with declarations";
    QTest::newRow("internal subset without entities")
        << QByteArray("<!DOCTYPE customer [ <!ELEMENT customer ANY> ]>\n<customer/>\n")
        << "document type with declarations";
    QTest::newRow("external document type")
        << QByteArray("<!DOCTYPE customer SYSTEM \"customer.dtd\">\n<customer><entry id=\"C1\"><field name=\"A\">CAFF&Egrave; SRL</field></entry></customer>\n")
        << "document type with declarations";
    QTest::newRow("deep nesting") << nested(100000) << "nested deeper than 3";
    QTest::newRow("one level too deep")
        << QByteArray("<customer><entry><field name=\"A\"><b>1</b></field></entry></customer>") << "nested deeper than 3";
    QTest::newRow("larger than a mebibyte") << recordOfSize(RecordXml::maxFileSize + 1) << "larger than";
}

void TestRecordFailures::unreadableFile_isRefusedAndMapKept()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = home->writeDataFile(QStringLiteral("customer_C00001.xml"), content);

    TestRecord record(customerType, QStringLiteral("C00001"));
    const FieldMap before = {{QStringLiteral("CODE"), QStringLiteral("C00001")}};
    *record.fields() = before;
    QTest::ignoreMessage(QtWarningMsg, mentioning(path));
    QCOMPARE(Serializable::unserialize(&record, path, customerType), -1);
    QCOMPARE(*record.fields(), before);
    QCOMPARE(readFile(path), content);

    // the reason is in the same warning
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path) + QStringLiteral(".*")
                                                          + QRegularExpression::escape(reason)));
    Serializable::unserialize(&record, path, customerType);
}

void TestRecordFailures::fileOfExactlyTheLimit_isRead()
{
    const QString path = home->writeDataFile(QStringLiteral("customer_C1.xml"), recordOfSize(RecordXml::maxFileSize));
    TestRecord record(customerType, QString());
    QCOMPARE(Serializable::unserialize(&record, path, customerType), 0);
    QVERIFY(record.fields()->value(QStringLiteral("NOTE")).size() > 1000000);
}

void TestRecordFailures::homeThatCannotHoldData_returnsFailureAndCreatesNothing()
{
    // The home is a plain file: no directory can be made under it, root or not.
    const QString homeFile = home->path() + QStringLiteral("/not-a-directory");
    QFile(homeFile).open(QIODevice::WriteOnly);
    qputenv("HOME", QFile::encodeName(homeFile));

    TestRecord record(customerType, QStringLiteral("C00001"));
    QTest::ignoreMessage(QtWarningMsg, "Cannot find the root directory");
    QTest::ignoreMessage(QtWarningMsg, "Cannot create the root directory");
    QCOMPARE(Serializable::serialize(&record), -1);
    QCOMPARE(QFileInfo(homeFile).size(), 0);
    QCOMPARE(QDir(home->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("not-a-directory")});
}

void TestRecordFailures::readOnlyDataDir_keepsPreviousFile()
{
    Tmpfs disk(home->path(), "size=1m");
    if (!disk.isMounted())
        QSKIP("needs root to mount a read-only file system");
    QVERIFY(QDir().mkpath(home->dataDir()));
    TestRecord record(customerType, QStringLiteral("C00001"));
    *record.fields() = {{QStringLiteral("CITY"), QStringLiteral("ROMA")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    const QString path = Serializable::fileNameOf(&record);
    const QByteArray saved = readFile(path);
    QVERIFY(disk.makeReadOnly());

    record.fields()->insert(QStringLiteral("CITY"), QStringLiteral("MILANO"));
    QTest::ignoreMessage(QtWarningMsg, mentioning(path));
    QCOMPARE(Serializable::serialize(&record), -1);
    QCOMPARE(readFile(path), saved);
}

void TestRecordFailures::fullDisk_keepsPreviousFile()
{
    Tmpfs disk(home->path(), "size=256k");
    if (!disk.isMounted())
        QSKIP("needs root to mount a small file system");
    QVERIFY(QDir().mkpath(home->dataDir()));
    TestRecord record(customerType, QStringLiteral("C00001"));
    *record.fields() = {{QStringLiteral("NOTE"), QStringLiteral("SHORT")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    const QString path = Serializable::fileNameOf(&record);
    const QByteArray saved = readFile(path);
    fillDisk(home->path() + QStringLiteral("/filler"));

    // Larger than what is left, and larger than the old file: a write that stops half-way
    // must not take the place of the record.
    record.fields()->insert(QStringLiteral("NOTE"), QString(20000, QLatin1Char('N')));
    QTest::ignoreMessage(QtWarningMsg, mentioning(path));
    QCOMPARE(Serializable::serialize(&record), -1);
    QCOMPARE(readFile(path), saved);
    QCOMPARE(QDir(home->dataDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("customer_C00001.xml")});
}

void TestRecordFailures::killedSave_leavesOldOrNewRecord()
{
    QVERIFY(QDir().mkpath(home->dataDir()));
    const QString path = home->dataDir() + QStringLiteral("/customer_C00001.xml");
    for (int round = 0; round < 6; ++round) {
        QProcess child;
        child.start(QStringLiteral(RECORDWRITER_CHILD), {});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QTest::qWait(QRandomGenerator::global()->bounded(5, 60));
        child.kill();
        QVERIFY(child.waitForFinished());

        TestRecord record(customerType, QString());
        QCOMPARE(Serializable::unserialize(&record, path, customerType), 0);
        const QString version = record.fields()->value(QStringLiteral("VERSION"));
        QVERIFY2(version == QLatin1String("A") || version == QLatin1String("B"), qPrintable(version));
        QCOMPARE(record.fields()->value(QStringLiteral("NOTE")), QString(200000, version.at(0)));
        // whatever temporary file the kill left behind is not a record
        QCOMPARE(Serializable::filesOfType(customerType), QStringList{path});
    }
}

void TestRecordFailures::recordIdWithPathSeparator_isNotWritten()
{
    QVERIFY(QDir().mkpath(home->dataDir()));
    TestRecord record(customerType, QStringLiteral("/../../escaped"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("escaped")));
    QCOMPARE(Serializable::serialize(&record), -1);
    TestRecord withLineFeed(customerType, QStringLiteral("C1\nC2"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("C1")));
    QCOMPARE(Serializable::serialize(&withLineFeed), -1);
    QVERIFY(QDir(home->dataDir()).isEmpty());
    QVERIFY(!QFile::exists(home->path() + QStringLiteral("/escaped.xml")));
    QVERIFY(!QFile::exists(home->path() + QStringLiteral("/.Quillbook/escaped.xml")));
}

void TestRecordFailures::recordTooLargeToReadBack_isNotWritten()
{
    // each accented letter takes twelve bytes in the file
    TestRecord record(customerType, QStringLiteral("C00001"));
    *record.fields() = {{QStringLiteral("NOTE"), QStringLiteral("OK")}};
    QCOMPARE(Serializable::serialize(&record), 0);
    const QString path = Serializable::fileNameOf(&record);
    const QByteArray saved = readFile(path);

    record.fields()->insert(QStringLiteral("NOTE"), QString(90000, QChar(0x00E8)));
    QTest::ignoreMessage(QtWarningMsg, mentioning(path));
    QCOMPARE(Serializable::serialize(&record), -1);
    QCOMPARE(readFile(path), saved);
}

void TestRecordFailures::syncDataDir_needsTheDirectory()
{
    QVERIFY(!Serializable::syncDataDir());
    QVERIFY(QDir().mkpath(home->dataDir()));
    QVERIFY(Serializable::syncDataDir());
}

QTEST_GUILESS_MAIN(TestRecordFailures)
#include "tst_recordfailures.moc"
