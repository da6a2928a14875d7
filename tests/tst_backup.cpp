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

using namespace Qt::StringLiterals;
using Files = QMap<QString, QByteArray>;
using Edit = std::function<void(QByteArray&)>;

namespace {

const QStringList recordTypes = {u"customer"_s, u"company"_s, u"preference"_s};
const QString nested = u"h/.Quillbook/data/"_s;

QByteArray record(const QString& code, const QString& name = u"ROSSI"_s)
{
    return u"<!DOCTYPE customer>\n<customer>\n <entry id=\"%1\">\n  <field name=\"CODE\">%1</field>\n"
           "  <field name=\"RAGIONE_S\">%2</field>\n </entry>\n</customer>\n"_s.arg(code, name).toUtf8();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file below `dir` with its bytes, by path relative to `dir`.
Files snapshot(const QString& dir)
{
    Files files;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), readFile(path));
    }
    return files;
}

QStringList entriesOf(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// Runs `program` and gives its output; `exitCode` gets -1 for a crash.
QString run(const QString& program, const QStringList& arguments, const QString& workingDirectory = {}, int* exitCode = nullptr)
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

QString nextName()
{
    static int made = 0;
    return u"archive%1"_s.arg(++made);
}

// An archive made by Info-ZIP from these files (path inside the archive -> bytes; bytes
// "symlink:<target>" make a symbolic link), then edited by `edit` when given.
QString zipOf(const Files& files, const QStringList& options = {}, const Edit& edit = {})
{
    const QString source = archives().filePath(nextName());
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = source + u'/' + it.key();
        if (!it.value().startsWith("symlink:"))
            writeFile(path, it.value());
        else if (QDir().mkpath(QFileInfo(path).absolutePath()))
            QFile::link(QString::fromUtf8(it.value().mid(8)), path);
    }
    const QString archive = source + u".zip"_s;
    run(u"zip"_s, options + QStringList{u"-q"_s, u"-r"_s, archive, u"."_s}, source);
    if (edit) {
        QByteArray bytes = readFile(archive);
        edit(bytes);
        writeFile(archive, bytes);
    }
    return archive;
}

QString fileOf(const QByteArray& bytes)
{
    const QString path = archives().filePath(nextName() + u".zip"_s);
    writeFile(path, bytes);
    return path;
}

// Applies `patch` to every central-directory header (offset 0 = its signature).
Edit centralHeaders(const std::function<void(char*)>& patch)
{
    return [patch](QByteArray& bytes) {
        for (qsizetype at = bytes.indexOf("PK\x01\x02"); at >= 0; at = bytes.indexOf("PK\x01\x02", at + 4))
            patch(bytes.data() + at);
    };
}

Edit replaceAll(const QByteArray& before, const QByteArray& after)
{
    return [before, after](QByteArray& bytes) { bytes.replace(before, after); };
}

// Declares `size` as the uncompressed size of every entry, in local and central headers.
Edit declaredSize(quint32 size)
{
    return [size](QByteArray& bytes) {
        for (qsizetype at = bytes.indexOf("PK\x03\x04"); at >= 0; at = bytes.indexOf("PK\x03\x04", at + 4))
            qToLittleEndian(size, bytes.data() + at + 22);
        centralHeaders([size](char* header) { qToLittleEndian(size, header + 24); })(bytes);
    };
}

Edit madeOn(quint8 host, quint32 attributes)
{
    return centralHeaders([host, attributes](char* header) {
        header[5] = char(host);
        qToLittleEndian(attributes, header + 38);
    });
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<QTemporaryDir> tmp;
    QByteArray previousTmp;

    // Nothing staged anywhere: the temporary directory is empty, the root holds only "data".
    void verifyNothingLeft() const
    {
        QCOMPARE(entriesOf(tmp->path()), QStringList());
        QCOMPARE(entriesOf(rootDirPath()), QStringList{u"data"_s});
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>();
        tmp = std::make_unique<QTemporaryDir>(archives().filePath(u"tmp-XXXXXX"_s));
        previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp->path()));
        home->writeDataFile(u"customer_C00001.xml"_s, record(u"C00001"_s));
        home->writeDataFile(u"company_AZ0001.xml"_s, record(u"AZ0001"_s, u"NOI"_s));
    }
    void cleanup()
    {
        qputenv("TMPDIR", previousTmp);
        tmp.reset();
        home.reset();
    }

    void hostileArchive_isRefusedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("reason");
        const QByteArray good = record(u"C00009"_s);
        const Files one = {{u"customer_C00009.xml"_s, good}}, deep = {{nested + u"customer_C00009.xml"_s, good}};
        const QString notOurs = u"non e' una copia dei dati"_s, badPath = u"percorso non ammesso"_s;
        const QString notAFile = u"non e' un file"_s, tooLarge = u"customer_C00009.xml e' troppo grande"_s;
        const Files link = {{u"customer_C00009.xml"_s, "symlink:/etc/passwd"}};
        const QString dirs = zipOf({{nested + u"x/.keep"_s, "x"}});
        run(u"zip"_s, {u"-q"_s, u"-d"_s, dirs, u"*.keep"_s});

        QTest::newRow("not a zip") << fileOf("RAGIONE_S=ROSSI\n") << u"non e' un archivio zip"_s;
        QTest::newRow("empty archive") << fileOf(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')) << notOurs;
        QTest::newRow("only directories") << dirs << notOurs;
        QTest::newRow("some other zip") << zipOf({{u"fatture/lettera.txt"_s, "Gentile cliente,"}}) << notOurs;
        QTest::newRow("only the leftovers of a killed save")
            << zipOf({{nested + u"customer_C02122.xml.IQyZeR"_s, good}}) << notOurs;
        QTest::newRow("records in two folders")
            << zipOf({{u"a/customer_C00009.xml"_s, good}, {u"b/customer_C00008.xml"_s, record(u"C00008"_s)}}) << notOurs;
        QTest::newRow("a name climbing out with ..") << zipOf(deep, {}, replaceAll("h/.Quillbook", "../Quillbook")) << badPath;
        QTest::newRow("an absolute name") << zipOf(deep, {}, replaceAll("h/.Quillbook", "/h.Quillbook")) << badPath;
        QTest::newRow("a backslash in a name") << zipOf(deep, {}, replaceAll("h/.Quillbook", "h\\.Quillbook")) << badPath;
        QTest::newRow("a symbolic link") << zipOf({{nested + u"customer_C00009.xml"_s, "symlink:/etc/passwd"}}, {u"--symlinks"_s})
                                         << notAFile;
        QTest::newRow("a symbolic link made on VMS")
            << zipOf(link, {u"--symlinks"_s}, centralHeaders([](char* header) { header[5] = 2; })) << notAFile;
        QTest::newRow("an entry of another host that does not say what it is") << zipOf(one, {}, madeOn(2, 0)) << notAFile;
        QTest::newRow("a record protected by a password")
            << zipOf(one, {u"-P"_s, u"segreto"_s}) << u"protetto da password"_s;
        QTest::newRow("a record too large to be one")
            << zipOf({{u"customer_C00009.xml"_s, QByteArray(2 * 1024 * 1024, ' ')}}) << tooLarge;
        QTest::newRow("a bomb whose sizes lie")
            << zipOf({{u"customer_C00009.xml"_s, QByteArray(20 * 1024 * 1024, ' ')}}, {}, declaredSize(300)) << tooLarge;
        QTest::newRow("a record that does not parse")
            << zipOf({{u"customer_C00009.xml"_s, good}, {u"customer_C00010.xml"_s, "<customer><entry>"}})
            << u"Il record customer_C00010.xml e' danneggiato"_s;
        QTest::newRow("a record whose checksum does not match")
            << zipOf(one, {}, centralHeaders([](char* header) { qToLittleEndian(quint32(0xdeadbeef), header + 16); }))
            << u"Il record customer_C00009.xml e' danneggiato"_s;
        QTest::newRow("the same record twice")
            << zipOf({{u"customer_C00009.xml"_s, good}, {u"customer_C00008.xml"_s, record(u"C00008"_s)}}, {},
                     replaceAll("C00008.xml", "C00009.xml"))
            << u"due volte il record customer_C00009.xml"_s;
    }
    void hostileArchive_isRefusedAndChangesNothing()
    {
        QFETCH(QString, archive);
        QFETCH(QString, reason);
        const Files before = snapshot(dataDirPath());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Import refused: "_s + QRegularExpression::escape(archive)));
        const Backup::Result result = Backup::importArchive(archive, dataDirPath(), recordTypes);
        QCOMPARE(result.code, -1);
        QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
        QCOMPARE(snapshot(dataDirPath()), before);
        verifyNothingLeft();
    }

    void archive_importsItsRecordsOnly_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("records");
        const QByteArray good = record(u"C00009"_s), company = record(u"AZ0001"_s, u"NOI"_s);
        const QStringList both = {u"company_AZ0001.xml"_s, u"customer_C00009.xml"_s}, customer = {u"customer_C00009.xml"_s};
        QTest::newRow("an old backup, records deep inside")
            << zipOf({{u"home/user/.Quillbook/data/customer_C00009.xml"_s, good},
                      {u"home/user/.Quillbook/data/company_AZ0001.xml"_s, company}})
            << both;
        QTest::newRow("records at the top") << zipOf({{customer[0], good}, {both[0], company}}) << both;
        QTest::newRow("made on Windows, without Unix modes") << zipOf({{customer[0], good}}, {}, madeOn(0, 0x20)) << customer;
        QTest::newRow("leftovers and strangers beside the records")
            << zipOf({{nested + customer[0], good}, {nested + u"customer_C00009.xml.IQyZeR"_s, good},
                      {nested + u"old_customer_copy.xml"_s, good}, {nested + u"notes.txt"_s, "appunti"}})
            << customer;
        // Never read, so never unpacked: a gigabyte of it would not matter either.
        QTest::newRow("a bomb named like a listing line, beside the records")
            << zipOf({{customer[0], good}, {u"0 files, 0 bytes uncompressed"_s, QByteArray(20 * 1024 * 1024, ' ')}})
            << customer;
    }
    void archive_importsItsRecordsOnly()
    {
        QFETCH(QString, archive);
        QFETCH(QStringList, records);
        QList<QPair<qint64, qint64>> progress;
        const Backup::Result result = Backup::importArchive(archive, dataDirPath(), recordTypes,
                                                            [&progress](qint64 done, qint64 total) { progress.append({done, total}); });
        QCOMPARE(result.code, 0);
        QCOMPARE(result.reason, QString());
        QCOMPARE(entriesOf(dataDirPath()), records);
        QCOMPARE(readFile(dataDirPath() + u"/customer_C00009.xml"_s), record(u"C00009"_s));
        QCOMPARE(progress.size(), records.size());
        QCOMPARE(progress.last(), qMakePair(qint64(records.size()), qint64(records.size())));
        verifyNothingLeft();
    }

    void exportThenImport_restoresExactlyTheRecords()
    {
        const Files records = snapshot(dataDirPath());
        home->writeDataFile(u"customer_C00001.xml.IQyZeR"_s, "<customer"); // a killed save
        home->writeDataFile(u"notes.txt"_s, "appunti");
        const QString archive = tmp->path() + u"/backup.zip"_s;
        int calls = 0, tested = -1;
        QCOMPARE(Backup::exportArchive(archive, dataDirPath(), recordTypes, [&calls](qint64, qint64) { ++calls; }).code, 0);
        QCOMPARE(calls, 2);
        run(u"unzip"_s, {u"-tq"_s, archive}, {}, &tested);
        QCOMPARE(tested, 0);
        QCOMPARE(run(u"unzip"_s, {u"-Z1"_s, archive}).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{u"data/company_AZ0001.xml"_s, u"data/customer_C00001.xml"_s}));

        home->writeDataFile(u"customer_C00002.xml"_s, record(u"C00002"_s));
        home->writeDataFile(u"customer_C00001.xml"_s, record(u"C00001"_s, u"ROSSO"_s));
        QCOMPARE(Backup::importArchive(archive, dataDirPath(), recordTypes).code, 0);
        QCOMPARE(snapshot(dataDirPath()), records);

        // an existing archive is replaced, not added to
        home->writeDataFile(u"preference_0.xml"_s, record(u"0"_s));
        QCOMPARE(Backup::exportArchive(archive, dataDirPath(), recordTypes).code, 0);
        QCOMPARE(Backup::importArchive(archive, dataDirPath(), recordTypes).code, 0);
        QCOMPARE(entriesOf(dataDirPath()), (QStringList{u"company_AZ0001.xml"_s, u"customer_C00001.xml"_s, u"preference_0.xml"_s}));
        QVERIFY(QFile::remove(archive));
        verifyNothingLeft();
    }

    void export_withoutRecords_orUnwritable_data()
    {
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("code");
        const QString somewhere = archives().filePath(u"exported.zip"_s), strangers = archives().filePath(u"norecords"_s);
        writeFile(strangers + u"/customer_C00001.xml.IQyZeR"_s, record(u"C00001"_s));
        QTest::newRow("no data directory") << archives().filePath(u"nothing"_s) << somewhere << -1;
        QTest::newRow("no records in it") << strangers << somewhere << -1;
        QTest::newRow("a folder that does not exist") << QString() << archives().filePath(u"nowhere/backup.zip"_s) << 1;
        QTest::newRow("a name that is a folder") << QString() << strangers << 1;
    }
    void export_withoutRecords_orUnwritable()
    {
        QFETCH(QString, dataDir);
        QFETCH(QString, archive);
        QFETCH(int, code);
        if (code > 0)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Export failed"_s));
        QCOMPARE(Backup::exportArchive(archive, dataDir.isEmpty() ? dataDirPath() : dataDir, recordTypes).code, code);
        QVERIFY(!QFileInfo(archive).isFile());
        QVERIFY(!QFileInfo::exists(archives().filePath(u"nowhere"_s)));
    }

    void linkedDataDir_staysALink()
    {
        // The records live in a synchronised folder; the data directory leads there.
        const QString synced = tmp->path() + u"/synced"_s, target = synced + u"/quillbook-data"_s;
        const QStringList imported = {u"customer_C00009.xml"_s};
        QDir().mkpath(synced);
        QVERIFY(QDir().rename(dataDirPath(), target));
        QVERIFY(QFile::link(target, dataDirPath()));
        QCOMPARE(Backup::importArchive(zipOf({{imported[0], record(u"C00009"_s)}}), dataDirPath(), recordTypes).code, 0);
        QCOMPARE(QFileInfo(dataDirPath()).symLinkTarget(), target);
        QCOMPARE(entriesOf(target), imported);
        QCOMPARE(entriesOf(synced), QStringList{u"quillbook-data"_s});

        // refused: the target keeps its records, the link stays
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Import refused"_s));
        QCOMPARE(Backup::importArchive(fileOf("RAGIONE_S=ROSSI"), dataDirPath(), recordTypes).code, -1);
        QVERIFY(QFileInfo(dataDirPath()).isSymLink());
        QCOMPARE(entriesOf(target), imported);

        // an import killed half-way left its staging directory beside the target: removed, and nothing else
        for (const char* name : {"quillbook-data-import-AbC123", "quillbook-data-import-notes"})
            QVERIFY(QDir(synced).mkpath(QString::fromLatin1(name) + u"/customer_C00001.xml"_s));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"AbC123"_s));
        QCOMPARE(Backup::removeInterruptedImports(dataDirPath()), 1);
        QCOMPARE(entriesOf(synced), (QStringList{u"quillbook-data"_s, u"quillbook-data-import-notes"_s}));
        QVERIFY(QDir(synced).removeRecursively());
    }

    void fullDisk_changesNothing()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to mount a small file system");
        Files files;
        for (int i = 100; i < 140; ++i)
            files.insert(u"customer_C00%1.xml"_s.arg(i), record(u"C00%1"_s.arg(i), QString(20000, u'N')));
        const QString big = zipOf(files);

        // The records and an earlier archive live on a small disk, too full for either the
        // imported records or a new archive (random letters, so that it does not shrink).
        const QByteArray rootDir = QFile::encodeName(rootDirPath());
        Files before = snapshot(dataDirPath());
        QString letters;
        for (int i = 0; i < 120000; ++i)
            letters += QLatin1Char(char('A' + QRandomGenerator::global()->bounded(26)));
        before.insert(u"customer_C00002.xml"_s, record(u"C00002"_s, letters));
        QVERIFY(QDir(rootDirPath()).removeRecursively());
        QDir().mkpath(rootDirPath());
        if (::mount("tmpfs", rootDir.constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("this machine does not let us mount a small file system");
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            home->writeDataFile(it.key(), it.value());
        const QString earlier = rootDirPath() + u"/earlier.zip"_s;
        writeFile(earlier, QByteArray(60 * 1024, 'e'));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Import failed"_s));
        const Backup::Result imported = Backup::importArchive(big, dataDirPath(), recordTypes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Export failed"_s));
        const int exported = Backup::exportArchive(earlier, dataDirPath(), recordTypes).code;
        const QByteArray earlierAfter = readFile(earlier);
        const Files after = snapshot(dataDirPath());
        const QStringList left = entriesOf(rootDirPath());
        ::umount2(rootDir.constData(), MNT_DETACH);
        QCOMPARE(imported.code, -1);
        QCOMPARE(imported.reason, u"Spazio su disco insufficiente."_s);
        QCOMPARE(after, before);
        QCOMPARE(exported, 1);
        QCOMPARE(earlierAfter, QByteArray(60 * 1024, 'e'));
        QCOMPARE(left, (QStringList{u"data"_s, u"earlier.zip"_s}));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
