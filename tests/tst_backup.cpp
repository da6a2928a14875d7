// Backups: what an export holds, what an import restores, and the archives an import must
// refuse without touching the records. The archives are made with Info-ZIP's zip and then,
// where a hostile one needs it, edited byte by byte.
#include "backup.h"
#include "paths.h"
#include "testhome.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

namespace {

const QStringList recordTypes = {QStringLiteral("customer"), QStringLiteral("company"), QStringLiteral("preference")};

QByteArray record(const QString& code, const QString& name = QStringLiteral("ROSSI"))
{
    return QStringLiteral("<!DOCTYPE customer>\n<customer>\n <entry id=\"%1\">\n  <field name=\"CODE\">%1</field>\n"
                          "  <field name=\"RAGIONE_S\">%2</field>\n </entry>\n</customer>\n")
        .arg(code, name)
        .toUtf8();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file below `dir` with its bytes, by path relative to `dir`.
QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), readFile(path));
    }
    return files;
}

QStringList entriesOf(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

QString run(const QString& program, const QStringList& arguments, const QString& workingDirectory = QString(),
            int* exitCode = nullptr)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QTemporaryDir& archives()
{
    static QTemporaryDir dir;
    return dir;
}

// An archive made by Info-ZIP from these files (path inside the archive -> bytes; bytes
// "symlink:<target>" make a symbolic link), then edited by `edit` when given.
QString zipOf(const QString& name, const QMap<QString, QByteArray>& files, const QStringList& options = {},
              const std::function<void(QByteArray&)>& edit = {})
{
    const QString source = archives().filePath(name);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = source + QLatin1Char('/') + it.key();
        if (it.value().startsWith("symlink:")) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile::link(QString::fromUtf8(it.value().mid(8)), path);
        } else {
            writeFile(path, it.value());
        }
    }
    const QString archive = source + QStringLiteral(".zip");
    run(QStringLiteral("zip"), options + QStringList{QStringLiteral("-q"), QStringLiteral("-r"), archive, QStringLiteral(".")}, source);
    if (edit) {
        QByteArray bytes = readFile(archive);
        edit(bytes);
        writeFile(archive, bytes);
    }
    return archive;
}

QString fileOf(const QString& name, const QByteArray& bytes)
{
    writeFile(archives().filePath(name), bytes);
    return archives().filePath(name);
}

// Applies `patch` to every central-directory header (offset 0 = its signature).
std::function<void(QByteArray&)> centralHeaders(const std::function<void(char*)>& patch)
{
    return [patch](QByteArray& bytes) {
        for (qsizetype at = bytes.indexOf("PK\x01\x02"); at >= 0; at = bytes.indexOf("PK\x01\x02", at + 4))
            patch(bytes.data() + at);
    };
}

std::function<void(QByteArray&)> replaceAll(const QByteArray& before, const QByteArray& after)
{
    return [before, after](QByteArray& bytes) { bytes.replace(before, after); };
}

// Declares `size` as the uncompressed size of every entry, in local and central headers.
std::function<void(QByteArray&)> declaredSize(quint32 size)
{
    return [size](QByteArray& bytes) {
        for (qsizetype at = bytes.indexOf("PK\x03\x04"); at >= 0; at = bytes.indexOf("PK\x03\x04", at + 4))
            qToLittleEndian(size, bytes.data() + at + 22);
        centralHeaders([size](char* header) { qToLittleEndian(size, header + 24); })(bytes);
    };
}

std::function<void(char*)> madeOn(quint8 host, quint32 attributes)
{
    return [host, attributes](char* header) {
        header[5] = char(host);
        qToLittleEndian(attributes, header + 38);
    };
}

const QString nested = QStringLiteral("h/.Quillbook/data/");

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void hostileArchive_isRefusedAndChangesNothing_data();
    void hostileArchive_isRefusedAndChangesNothing();
    void archive_importsItsRecordsOnly_data();
    void archive_importsItsRecordsOnly();
    void exportThenImport_restoresExactlyTheRecords();
    void export_withoutRecords_orUnwritable_data();
    void export_withoutRecords_orUnwritable();
    void linkedDataDir_staysALink();
    void fullDisk_changesNothing();

private:
    // Nothing staged anywhere: the temporary directory is empty, the root holds only "data".
    void verifyNothingLeft() const;

    std::unique_ptr<TestHome> home;
    std::unique_ptr<QTemporaryDir> tmp;
    QByteArray previousTmp;
};

void TestBackup::init()
{
    home = std::make_unique<TestHome>();
    tmp = std::make_unique<QTemporaryDir>(archives().filePath(QStringLiteral("tmp-XXXXXX")));
    previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp->path()));
    home->writeDataFile(QStringLiteral("customer_C00001.xml"), record(QStringLiteral("C00001")));
    home->writeDataFile(QStringLiteral("company_AZ0001.xml"), record(QStringLiteral("AZ0001"), QStringLiteral("NOI")));
}

void TestBackup::cleanup()
{
    qputenv("TMPDIR", previousTmp);
    tmp.reset();
    home.reset();
}

void TestBackup::verifyNothingLeft() const
{
    QCOMPARE(entriesOf(tmp->path()), QStringList());
    QCOMPARE(entriesOf(rootDirPath()), QStringList{QStringLiteral("data")});
}

void TestBackup::hostileArchive_isRefusedAndChangesNothing_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("reason");
    const QByteArray good = record(QStringLiteral("C00009"));
    const QByteArray spaces(20 * 1024 * 1024, ' ');
    const QString notOurs = QStringLiteral("non e' una copia dei dati");
    const QString badPath = QStringLiteral("percorso non ammesso");

    QTest::newRow("not a zip") << fileOf(QStringLiteral("text.zip"), "RAGIONE_S=ROSSI\n")
                               << QStringLiteral("non e' un archivio zip");
    QTest::newRow("empty archive") << fileOf(QStringLiteral("empty.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'))
                                   << notOurs;
    QTest::newRow("only directories")
        << zipOf(QStringLiteral("dirs"), {{nested + QStringLiteral("x/.keep"), "x"}}) << notOurs;
    run(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-d"), archives().filePath(QStringLiteral("dirs.zip")), QStringLiteral("*.keep")});
    QTest::newRow("some other zip") << zipOf(QStringLiteral("letter"), {{QStringLiteral("fatture/lettera.txt"), "Gentile cliente,"}})
                                    << notOurs;
    QTest::newRow("only the leftovers of a killed save")
        << zipOf(QStringLiteral("leftover"), {{nested + QStringLiteral("customer_C02122.xml.IQyZeR"), good}}) << notOurs;
    QTest::newRow("records in two folders")
        << zipOf(QStringLiteral("twofolders"), {{QStringLiteral("a/customer_C00009.xml"), good},
                                                {QStringLiteral("b/customer_C00008.xml"), record(QStringLiteral("C00008"))}})
        << notOurs;
    QTest::newRow("a name climbing out with ..")
        << zipOf(QStringLiteral("dotdot"), {{nested + QStringLiteral("customer_C00009.xml"), good}}, {},
                 replaceAll("h/.Quillbook", "../Quillbook"))
        << badPath;
    QTest::newRow("an absolute name")
        << zipOf(QStringLiteral("absolute"), {{nested + QStringLiteral("customer_C00009.xml"), good}}, {},
                 replaceAll("h/.Quillbook", "/h.Quillbook"))
        << badPath;
    QTest::newRow("a backslash in a name")
        << zipOf(QStringLiteral("backslash"), {{nested + QStringLiteral("customer_C00009.xml"), good}}, {},
                 replaceAll("h/.Quillbook", "h\\.Quillbook"))
        << badPath;
    QTest::newRow("a symbolic link")
        << zipOf(QStringLiteral("link"), {{nested + QStringLiteral("customer_C00009.xml"), "symlink:/etc/passwd"}},
                 {QStringLiteral("--symlinks")})
        << QStringLiteral("non e' un file");
    QTest::newRow("a symbolic link made on VMS")
        << zipOf(QStringLiteral("vmslink"), {{QStringLiteral("customer_C00009.xml"), "symlink:/etc/passwd"}},
                 {QStringLiteral("--symlinks")}, centralHeaders([](char* header) { header[5] = 2; }))
        << QStringLiteral("non e' un file");
    QTest::newRow("an entry of another host that does not say what it is")
        << zipOf(QStringLiteral("vms"), {{QStringLiteral("customer_C00009.xml"), good}}, {}, centralHeaders(madeOn(2, 0)))
        << QStringLiteral("non e' un file");
    QTest::newRow("a record protected by a password")
        << zipOf(QStringLiteral("encrypted"), {{QStringLiteral("customer_C00009.xml"), good}}, {QStringLiteral("-P"), QStringLiteral("segreto")})
        << QStringLiteral("protetto da password");
    QTest::newRow("a record too large to be one")
        << zipOf(QStringLiteral("oversize"), {{QStringLiteral("customer_C00009.xml"), QByteArray(2 * 1024 * 1024, ' ')}})
        << QStringLiteral("customer_C00009.xml e' troppo grande");
    QTest::newRow("a bomb whose sizes lie")
        << zipOf(QStringLiteral("bomb"), {{QStringLiteral("customer_C00009.xml"), spaces}}, {}, declaredSize(300))
        << QStringLiteral("customer_C00009.xml e' troppo grande");
    QTest::newRow("a record that does not parse")
        << zipOf(QStringLiteral("malformed"), {{QStringLiteral("customer_C00009.xml"), good},
                                               {QStringLiteral("customer_C00010.xml"), "<customer><entry>"}})
        << QStringLiteral("Il record customer_C00010.xml e' danneggiato");
    QTest::newRow("a record whose checksum does not match")
        << zipOf(QStringLiteral("checksum"), {{QStringLiteral("customer_C00009.xml"), good}}, {},
                 centralHeaders([](char* header) { qToLittleEndian(quint32(0xdeadbeef), header + 16); }))
        << QStringLiteral("Il record customer_C00009.xml e' danneggiato");
    QTest::newRow("the same record twice")
        << zipOf(QStringLiteral("twice"), {{QStringLiteral("customer_C00009.xml"), good},
                                           {QStringLiteral("customer_C00008.xml"), record(QStringLiteral("C00008"))}},
                 {}, replaceAll("C00008.xml", "C00009.xml"))
        << QStringLiteral("due volte il record customer_C00009.xml");
}

void TestBackup::hostileArchive_isRefusedAndChangesNothing()
{
    QFETCH(QString, archive);
    QFETCH(QString, reason);
    const QMap<QString, QByteArray> before = snapshot(dataDirPath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Import refused: ") + QRegularExpression::escape(archive)));
    const Backup::Result result = Backup::importArchive(archive, dataDirPath(), recordTypes);
    QCOMPARE(result.code, -1);
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    QCOMPARE(snapshot(dataDirPath()), before);
    verifyNothingLeft();
}

void TestBackup::archive_importsItsRecordsOnly_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QStringList>("records");
    const QByteArray good = record(QStringLiteral("C00009"));
    const QByteArray company = record(QStringLiteral("AZ0001"), QStringLiteral("NOI"));
    const QStringList both = {QStringLiteral("company_AZ0001.xml"), QStringLiteral("customer_C00009.xml")};

    QTest::newRow("an old backup, records deep inside")
        << zipOf(QStringLiteral("old"), {{QStringLiteral("home/user/.Quillbook/data/customer_C00009.xml"), good},
                                         {QStringLiteral("home/user/.Quillbook/data/company_AZ0001.xml"), company}})
        << both;
    QTest::newRow("records at the top")
        << zipOf(QStringLiteral("flat"), {{QStringLiteral("customer_C00009.xml"), good}, {QStringLiteral("company_AZ0001.xml"), company}})
        << both;
    QTest::newRow("made on Windows, without Unix modes")
        << zipOf(QStringLiteral("windows"), {{QStringLiteral("customer_C00009.xml"), good}}, {}, centralHeaders(madeOn(0, 0x20)))
        << QStringList{QStringLiteral("customer_C00009.xml")};
    QTest::newRow("leftovers and strangers beside the records")
        << zipOf(QStringLiteral("strangers"), {{nested + QStringLiteral("customer_C00009.xml"), good},
                                               {nested + QStringLiteral("customer_C00009.xml.IQyZeR"), good},
                                               {nested + QStringLiteral("old_customer_copy.xml"), good},
                                               {nested + QStringLiteral("notes.txt"), "appunti"}})
        << QStringList{QStringLiteral("customer_C00009.xml")};
    // Never read, so never unpacked: a gigabyte of it would not matter either.
    QTest::newRow("a bomb named like a listing line, beside the records")
        << zipOf(QStringLiteral("listing"), {{QStringLiteral("customer_C00009.xml"), good},
                                             {QStringLiteral("0 files, 0 bytes uncompressed"), QByteArray(20 * 1024 * 1024, ' ')}})
        << QStringList{QStringLiteral("customer_C00009.xml")};
}

void TestBackup::archive_importsItsRecordsOnly()
{
    QFETCH(QString, archive);
    QFETCH(QStringList, records);
    QList<QPair<qint64, qint64>> progress;
    const Backup::Result result = Backup::importArchive(archive, dataDirPath(), recordTypes,
                                                        [&progress](qint64 done, qint64 total) { progress.append({done, total}); });
    QCOMPARE(result.code, 0);
    QCOMPARE(result.reason, QString());
    QCOMPARE(entriesOf(dataDirPath()), records);
    QCOMPARE(readFile(dataDirPath() + QStringLiteral("/customer_C00009.xml")), record(QStringLiteral("C00009")));
    QCOMPARE(progress.size(), records.size());
    QCOMPARE(progress.last(), qMakePair(qint64(records.size()), qint64(records.size())));
    verifyNothingLeft();
}

void TestBackup::exportThenImport_restoresExactlyTheRecords()
{
    const QMap<QString, QByteArray> records = snapshot(dataDirPath());
    home->writeDataFile(QStringLiteral("customer_C00001.xml.IQyZeR"), "<customer"); // a killed save
    home->writeDataFile(QStringLiteral("notes.txt"), "appunti");
    const QString archive = tmp->path() + QStringLiteral("/backup.zip");
    int calls = 0;
    QCOMPARE(Backup::exportArchive(archive, dataDirPath(), recordTypes, [&calls](qint64, qint64) { ++calls; }).code, 0);
    QCOMPARE(calls, 2);
    int tested = -1;
    run(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}, QString(), &tested);
    QCOMPARE(tested, 0);
    QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive}).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList{QStringLiteral("data/company_AZ0001.xml"), QStringLiteral("data/customer_C00001.xml")}));

    home->writeDataFile(QStringLiteral("customer_C00002.xml"), record(QStringLiteral("C00002")));
    home->writeDataFile(QStringLiteral("customer_C00001.xml"), record(QStringLiteral("C00001"), QStringLiteral("ROSSO")));
    QCOMPARE(Backup::importArchive(archive, dataDirPath(), recordTypes).code, 0);
    QCOMPARE(snapshot(dataDirPath()), records);

    // an existing archive is replaced, not added to
    home->writeDataFile(QStringLiteral("preference_0.xml"), record(QStringLiteral("0")));
    QCOMPARE(Backup::exportArchive(archive, dataDirPath(), recordTypes).code, 0);
    QCOMPARE(Backup::importArchive(archive, dataDirPath(), recordTypes).code, 0);
    QCOMPARE(entriesOf(dataDirPath()),
             (QStringList{QStringLiteral("company_AZ0001.xml"), QStringLiteral("customer_C00001.xml"), QStringLiteral("preference_0.xml")}));
    QVERIFY(QFile::remove(archive));
    verifyNothingLeft();
}

void TestBackup::export_withoutRecords_orUnwritable_data()
{
    QTest::addColumn<QString>("dataDir");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<int>("code");
    const QString somewhere = archives().filePath(QStringLiteral("exported.zip"));
    const QString strangers = archives().filePath(QStringLiteral("norecords"));
    writeFile(strangers + QStringLiteral("/customer_C00001.xml.IQyZeR"), record(QStringLiteral("C00001")));
    QTest::newRow("no data directory") << archives().filePath(QStringLiteral("nothing")) << somewhere << -1;
    QTest::newRow("no records in it") << strangers << somewhere << -1;
    QTest::newRow("a folder that does not exist") << QString() << archives().filePath(QStringLiteral("nowhere/backup.zip")) << 1;
    QTest::newRow("a name that is a folder") << QString() << strangers << 1;
}

void TestBackup::export_withoutRecords_orUnwritable()
{
    QFETCH(QString, dataDir);
    QFETCH(QString, archive);
    QFETCH(int, code);
    if (code > 0)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Export failed")));
    const Backup::Result result =
        Backup::exportArchive(archive, dataDir.isEmpty() ? dataDirPath() : dataDir, recordTypes);
    QCOMPARE(result.code, code);
    QVERIFY(!QFileInfo(archive).isFile());
    QVERIFY(!QFileInfo::exists(archives().filePath(QStringLiteral("nowhere"))));
}

void TestBackup::linkedDataDir_staysALink()
{
    // The records live in a synchronised folder; the data directory leads there.
    const QString synced = tmp->path() + QStringLiteral("/synced");
    const QString target = synced + QStringLiteral("/quillbook-data");
    QDir().mkpath(synced);
    QVERIFY(QDir().rename(dataDirPath(), target));
    QVERIFY(QFile::link(target, dataDirPath()));
    const QString archive = zipOf(QStringLiteral("forlink"), {{QStringLiteral("customer_C00009.xml"), record(QStringLiteral("C00009"))}});

    QCOMPARE(Backup::importArchive(archive, dataDirPath(), recordTypes).code, 0);
    QCOMPARE(QFileInfo(dataDirPath()).symLinkTarget(), target);
    QCOMPARE(entriesOf(target), QStringList{QStringLiteral("customer_C00009.xml")});
    QCOMPARE(entriesOf(synced), QStringList{QStringLiteral("quillbook-data")});

    // refused: the target keeps its records, the link stays
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Import refused")));
    QCOMPARE(Backup::importArchive(fileOf(QStringLiteral("notazip.zip"), "RAGIONE_S=ROSSI"), dataDirPath(), recordTypes).code, -1);
    QVERIFY(QFileInfo(dataDirPath()).isSymLink());
    QCOMPARE(entriesOf(target), QStringList{QStringLiteral("customer_C00009.xml")});

    // an import killed half-way left its staging directory beside the target: removed, and nothing else
    for (const char* name : {"quillbook-data-import-AbC123", "quillbook-data-import-notes"})
        QVERIFY(QDir(synced).mkpath(QString::fromLatin1(name) + QStringLiteral("/customer_C00001.xml")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("AbC123")));
    QCOMPARE(Backup::removeInterruptedImports(dataDirPath()), 1);
    QCOMPARE(entriesOf(synced), (QStringList{QStringLiteral("quillbook-data"), QStringLiteral("quillbook-data-import-notes")}));
    QVERIFY(QDir(synced).removeRecursively());
}

void TestBackup::fullDisk_changesNothing()
{
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small file system");
    QMap<QString, QByteArray> files;
    for (int i = 0; i < 40; ++i) {
        const QString code = QStringLiteral("C%1").arg(i + 100, 5, 10, QLatin1Char('0'));
        files.insert(QStringLiteral("customer_") + code + QStringLiteral(".xml"), record(code, QString(20000, QLatin1Char('N'))));
    }
    const QString big = zipOf(QStringLiteral("big"), files);

    // The records and an earlier archive live on a small disk, too full for either the
    // imported records or a new archive (random letters, so that it does not shrink).
    const QByteArray rootDir = QFile::encodeName(rootDirPath());
    QMap<QString, QByteArray> before = snapshot(dataDirPath());
    QString letters;
    for (int i = 0; i < 120000; ++i)
        letters += QLatin1Char(char('A' + QRandomGenerator::global()->bounded(26)));
    before.insert(QStringLiteral("customer_C00002.xml"), record(QStringLiteral("C00002"), letters));
    QVERIFY(QDir(rootDirPath()).removeRecursively());
    QDir().mkpath(rootDirPath());
    if (::mount("tmpfs", rootDir.constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("this machine does not let us mount a small file system");
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        home->writeDataFile(it.key(), it.value());
    const QString earlier = rootDirPath() + QStringLiteral("/earlier.zip");
    writeFile(earlier, QByteArray(60 * 1024, 'e'));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Import failed")));
    const Backup::Result imported = Backup::importArchive(big, dataDirPath(), recordTypes);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Export failed")));
    const int exported = Backup::exportArchive(earlier, dataDirPath(), recordTypes).code;
    const QByteArray earlierAfter = readFile(earlier);
    const QMap<QString, QByteArray> after = snapshot(dataDirPath());
    const QStringList left = entriesOf(rootDirPath());
    ::umount2(rootDir.constData(), MNT_DETACH);
    QCOMPARE(imported.code, -1);
    QCOMPARE(imported.reason, QStringLiteral("Spazio su disco insufficiente."));
    QCOMPARE(after, before);
    QCOMPARE(exported, 1);
    QCOMPARE(earlierAfter, QByteArray(60 * 1024, 'e'));
    QCOMPARE(left, (QStringList{QStringLiteral("data"), QStringLiteral("earlier.zip")}));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
