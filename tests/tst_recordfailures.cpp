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

using namespace Qt::StringLiterals;
using FieldMap = Serializable::FieldMap;

namespace {

const QString customerType = u"customer"_s;

QRegularExpression mentioning(const QString& text, const QString& reason = {})
{
    return QRegularExpression(QRegularExpression::escape(text) + u".*"_s + QRegularExpression::escape(reason));
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

    std::unique_ptr<TestHome> home;

private Q_SLOTS:
    void init() { home = std::make_unique<TestHome>(TestHome::DataDir::Missing); }
    void cleanup() { home.reset(); }

    void unreadableFile_isRefusedAndMapKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QString declarations = u"document type with declarations"_s, tooDeep = u"nested deeper than 3"_s;
        QTest::newRow("empty") << QByteArray() << "Premature end of document";
        QTest::newRow("truncated") << QByteArray("<!DOCTYPE customer>\n<customer>\n <entry id=\"C1\">\n  <field name=\"A\">1")
                                   << "Premature end of document";
        QTest::newRow("not xml") << QByteArray("RAGIONE_S=ROSSI\n") << "line 1";
        QTest::newRow("two roots") << QByteArray("<customer/><customer/>") << "line 1";
        QTest::newRow("undeclared entity") << QByteArray("<customer><entry><field name=\"A\">&nbsp;</field></entry></customer>")
                                           << "nbsp";
        QByteArray expansion = "<!DOCTYPE customer [\n <!ENTITY a \"" + QByteArray(73, 'a') + "\">\n";
        for (char name = 'b'; name <= 'e'; ++name) // each entity twenty times the one before
            expansion += QByteArray(" <!ENTITY ") + name + " \"" + (QByteArray("&") + char(name - 1) + ';').repeated(20) + "\">\n";
        expansion += "]>\n<customer><entry id=\"C1\"><field name=\"A\">&e;&e;&e;&e;</field></entry></customer>\n";
        QTest::newRow("entity expansion") << expansion << declarations;
        QTest::newRow("internal subset without entities")
            << QByteArray("<!DOCTYPE customer [ <!ELEMENT customer ANY> ]>\n<customer/>\n") << declarations;
        QTest::newRow("external document type")
            << QByteArray("<!DOCTYPE customer SYSTEM \"customer.dtd\">\n<customer><entry id=\"C1\"><field name=\"A\">"
                          "CAFF&Egrave; SRL</field></entry></customer>\n")
            << declarations;
        QTest::newRow("deep nesting") << QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000) << tooDeep;
        QTest::newRow("one level too deep")
            << QByteArray("<customer><entry><field name=\"A\"><b>1</b></field></entry></customer>") << tooDeep;
        QTest::newRow("larger than a mebibyte") << recordOfSize(RecordXml::maxFileSize + 1) << "larger than";
    }
    void unreadableFile_isRefusedAndMapKept()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = home->writeDataFile(u"customer_C00001.xml"_s, content);
        TestRecord record(customerType, u"C00001"_s);
        const FieldMap before = {{u"CODE"_s, u"C00001"_s}};
        *record.fields() = before;
        // the reason is in the same warning as the file
        QTest::ignoreMessage(QtWarningMsg, mentioning(path, reason));
        QCOMPARE(Serializable::unserialize(&record, path, customerType), -1);
        QCOMPARE(*record.fields(), before);
        QCOMPARE(readFile(path), content);
    }

    void fileOfExactlyTheLimit_isRead()
    {
        const QString path = home->writeDataFile(u"customer_C1.xml"_s, recordOfSize(RecordXml::maxFileSize));
        TestRecord record(customerType, QString());
        QCOMPARE(Serializable::unserialize(&record, path, customerType), 0);
        QVERIFY(record.fields()->value(u"NOTE"_s).size() > 1000000);
    }

    void homeThatCannotHoldData_returnsFailureAndCreatesNothing()
    {
        // The home is a plain file: no directory can be made under it, root or not.
        const QString homeFile = home->path() + u"/not-a-directory"_s;
        QFile(homeFile).open(QIODevice::WriteOnly);
        qputenv("HOME", QFile::encodeName(homeFile));
        TestRecord record(customerType, u"C00001"_s);
        QTest::ignoreMessage(QtWarningMsg, "Cannot find the root directory");
        QTest::ignoreMessage(QtWarningMsg, "Cannot create the root directory");
        QCOMPARE(Serializable::serialize(&record), -1);
        QCOMPARE(QFileInfo(homeFile).size(), 0);
        QCOMPARE(QDir(home->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{u"not-a-directory"_s});
    }

    // A save that cannot be completed leaves the record as it was, and nothing beside it.
    void failedSave_keepsPreviousFile_data()
    {
        QTest::addColumn<QByteArray>("disk"); // empty: the home's own file system
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only disk") << QByteArray("size=1m") << u"MILANO"_s << u"read-only"_s;
        // larger than what is left, and larger than the old file: a write that stops half-way
        QTest::newRow("full disk") << QByteArray("size=256k") << QString(20000, u'N') << u"full"_s;
        // each accented letter takes twelve bytes in the file
        QTest::newRow("too large to read back") << QByteArray() << QString(90000, QChar(0x00E8)) << QString();
    }
    void failedSave_keepsPreviousFile()
    {
        QFETCH(QByteArray, disk);
        QFETCH(QString, note);
        QFETCH(QString, fault);
        std::unique_ptr<Tmpfs> mounted;
        if (!disk.isEmpty()) {
            mounted = std::make_unique<Tmpfs>(home->path(), disk.constData());
            if (!mounted->isMounted())
                QSKIP("needs root to mount a small file system");
        }
        QVERIFY(QDir().mkpath(home->dataDir()));
        TestRecord record(customerType, u"C00001"_s);
        *record.fields() = {{u"NOTE"_s, u"SHORT"_s}};
        QCOMPARE(Serializable::serialize(&record), 0);
        const QString path = Serializable::fileNameOf(&record);
        const QByteArray saved = readFile(path);
        if (fault == u"read-only")
            QVERIFY(mounted->makeReadOnly());
        else if (fault == u"full")
            fillDisk(home->path() + u"/filler"_s);

        record.fields()->insert(u"NOTE"_s, note);
        QTest::ignoreMessage(QtWarningMsg, mentioning(path));
        QCOMPARE(Serializable::serialize(&record), -1);
        QCOMPARE(readFile(path), saved);
        QCOMPARE(QDir(home->dataDir()).entryList(QDir::Files | QDir::Hidden), QStringList{u"customer_C00001.xml"_s});
    }

    void killedSave_leavesOldOrNewRecord()
    {
        QVERIFY(QDir().mkpath(home->dataDir()));
        const QString path = home->dataDir() + u"/customer_C00001.xml"_s;
        for (int round = 0; round < 6; ++round) {
            QProcess child;
            child.start(QStringLiteral(RECORDWRITER_CHILD), {});
            QVERIFY(child.waitForReadyRead(20000));
            QTest::qWait(QRandomGenerator::global()->bounded(5, 60));
            child.kill();
            QVERIFY(child.waitForFinished());

            TestRecord record(customerType, QString());
            QCOMPARE(Serializable::unserialize(&record, path, customerType), 0);
            const QString version = record.fields()->value(u"VERSION"_s);
            QVERIFY2(version == u"A" || version == u"B", qPrintable(version));
            QCOMPARE(record.fields()->value(u"NOTE"_s), QString(200000, version.at(0)));
            // whatever temporary file the kill left behind is not a record
            QCOMPARE(Serializable::filesOfType(customerType), QStringList{path});
        }
    }

    void recordIdWithPathSeparator_isNotWritten()
    {
        QVERIFY(QDir().mkpath(home->dataDir()));
        for (const auto& [id, mentioned] : {std::pair{u"/../../escaped"_s, u"escaped"_s}, {u"C1\nC2"_s, u"C1"_s}}) {
            TestRecord record(customerType, id);
            QTest::ignoreMessage(QtWarningMsg, mentioning(mentioned));
            QCOMPARE(Serializable::serialize(&record), -1);
        }
        QVERIFY(QDir(home->dataDir()).isEmpty());
        QVERIFY(!QFile::exists(home->path() + u"/escaped.xml"_s));
        QVERIFY(!QFile::exists(home->path() + u"/.Quillbook/escaped.xml"_s));
    }

    void syncDataDir_needsTheDirectory()
    {
        QVERIFY(!Serializable::syncDataDir());
        QVERIFY(QDir().mkpath(home->dataDir()));
        QVERIFY(Serializable::syncDataDir());
    }
};

QTEST_GUILESS_MAIN(TestRecordFailures)
#include "tst_recordfailures.moc"
