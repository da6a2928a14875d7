// Backups with the real Info-ZIP programs: what an export holds, what an import restores,
// and the archives an import must refuse without touching the records.
#include "backup.h"
#include "paths.h"
#include "testhome.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <unistd.h>

namespace {

QByteArray record(const QString& type, const QString& code, const QString& name)
{
    return QStringLiteral("<!DOCTYPE %1>\n<%1>\n <entry id=\"%2\">\n  <field name=\"CODE\">%2</field>\n"
                          "  <field name=\"RAGIONE_S\">%3</field>\n </entry>\n</%1>\n")
        .arg(type, code, name)
        .toUtf8();
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

int run(const QString& program, const QStringList& arguments, const QString& workingDirectory = QString())
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void exportThenImport_restoresExactlyTheExportedRecords();
    void exportWithoutDataDir_isRefused();
    void missingArchiver_givesPositiveResult();
    void badArchive_changesNothing_data();
    void badArchive_changesNothing();
    void linkedDirectoryInArchive_isNeverFollowed();
    void secondImport_usesNextTemporaryDirectory();
    void unpackingDirectory_isPrivateAndNeverReused();
    void oversizedFile_isStoppedWhileUnpacking();
    void fullDisk_duringCopy_leavesRecordsAsTheyWere();

private:
    // A zip of the files given (path inside the archive -> bytes), made with Info-ZIP.
    QString makeArchive(const QMap<QString, QByteArray>& files, const QStringList& zipOptions = {});

    std::unique_ptr<TestHome> home;
    std::unique_ptr<QTemporaryDir> tmp;
    QByteArray previousTmp;
};

void TestBackup::init()
{
    home = std::make_unique<TestHome>();
    tmp = std::make_unique<QTemporaryDir>();
    previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp->path())); // where imports unpack
    home->writeDataFile(QStringLiteral("customer_C00001.xml"), record(QStringLiteral("customer"), QStringLiteral("C00001"), QStringLiteral("ROSSI")));
    home->writeDataFile(QStringLiteral("company_AZ0001.xml"), record(QStringLiteral("company"), QStringLiteral("AZ0001"), QStringLiteral("NOI")));
}

void TestBackup::cleanup()
{
    qputenv("TMPDIR", previousTmp);
    tmp.reset();
    home.reset();
}

QString TestBackup::makeArchive(const QMap<QString, QByteArray>& files, const QStringList& zipOptions)
{
    const QString source = tmp->path() + QStringLiteral("/archive-source");
    QDir(source).removeRecursively();
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = source + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(it.value());
    }
    const QString archive = tmp->path() + QStringLiteral("/made.zip");
    QFile::remove(archive);
    QStringList arguments = zipOptions;
    arguments << QStringLiteral("-r") << archive << QStringLiteral(".");
    run(QStringLiteral("zip"), arguments, source);
    return archive;
}

void TestBackup::exportThenImport_restoresExactlyTheExportedRecords()
{
    const QString archive = tmp->path() + QStringLiteral("/backup.zip");
    const QMap<QString, QByteArray> exported = snapshot(dataDirPath());
    QCOMPARE(Backup::exportArchive(archive), 0);
    QVERIFY(QFileInfo(archive).size() > 0);

    home->writeDataFile(QStringLiteral("customer_C00002.xml"), record(QStringLiteral("customer"), QStringLiteral("C00002"), QStringLiteral("NUOVO")));
    home->writeDataFile(QStringLiteral("customer_C00001.xml"), record(QStringLiteral("customer"), QStringLiteral("C00001"), QStringLiteral("CAMBIATO")));
    QCOMPARE(Backup::importArchive(archive), 0);
    QCOMPARE(snapshot(dataDirPath()), exported);
    // nothing left beside the data directory
    QCOMPARE(QDir(rootDirPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("data")});

    // an existing archive is replaced, not added to
    QCOMPARE(Backup::exportArchive(archive), 0);
    QCOMPARE(Backup::importArchive(archive), 0);
    QCOMPARE(snapshot(dataDirPath()), exported);
}

void TestBackup::exportWithoutDataDir_isRefused()
{
    QVERIFY(QDir(dataDirPath()).removeRecursively());
    const QString archive = tmp->path() + QStringLiteral("/backup.zip");
    QCOMPARE(Backup::exportArchive(archive), -1);
    QVERIFY(!QFile::exists(archive));
}

void TestBackup::missingArchiver_givesPositiveResult()
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tmp->path()));
    const QString archive = tmp->path() + QStringLiteral("/backup.zip");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Archiver not found")));
    const int exported = Backup::exportArchive(archive);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Archiver not found")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a readable zip")));
    const int imported = Backup::importArchive(archive);
    qputenv("PATH", path);
    QCOMPARE(exported, 2);
    QCOMPARE(imported, -1);
}

void TestBackup::badArchive_changesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a zip") << QStringLiteral("text");
    QTest::newRow("empty archive") << QStringLiteral("empty");
    QTest::newRow("entries climbing out with ..") << QStringLiteral("dotdot");
    QTest::newRow("absolute entry") << QStringLiteral("absolute");
    QTest::newRow("symbolic link to a file") << QStringLiteral("filelink");
    QTest::newRow("a record that does not parse") << QStringLiteral("malformed");
    QTest::newRow("a record too large to be one") << QStringLiteral("oversize");
    QTest::newRow("no files, only directories") << QStringLiteral("dirsonly");
    QTest::newRow("some other zip, without records") << QStringLiteral("letter");
}

void TestBackup::badArchive_changesNothing()
{
    QFETCH(QString, kind);
    const QMap<QString, QByteArray> before = snapshot(dataDirPath());
    const QByteArray good = record(QStringLiteral("customer"), QStringLiteral("C00009"), QStringLiteral("ALTRO"));
    const QString data = QStringLiteral("h/.Quillbook/data/");
    QString archive;
    if (kind == QLatin1String("text")) {
        archive = tmp->path() + QStringLiteral("/text.zip");
        QFile file(archive);
        file.open(QIODevice::WriteOnly);
        file.write("RAGIONE_S=ROSSI\n");
    } else if (kind == QLatin1String("empty")) {
        archive = tmp->path() + QStringLiteral("/empty.zip");
        // the smallest valid zip: an end-of-central-directory record and nothing else
        QFile file(archive);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    } else if (kind == QLatin1String("dotdot") || kind == QLatin1String("absolute")) {
        archive = makeArchive({{data + QStringLiteral("customer_C00009.xml"), good}});
        // rewrite an entry name in place, keeping its length: "h/" becomes ".." or "/x"
        QFile file(archive);
        file.open(QIODevice::ReadWrite);
        QByteArray bytes = file.readAll();
        bytes.replace("h/.Quillbook", kind == QLatin1String("dotdot") ? "../Quillbook" : "/h.Quillbook");
        file.seek(0);
        file.write(bytes);
    } else if (kind == QLatin1String("filelink")) {
        const QString source = tmp->path() + QStringLiteral("/link-source/h/.Quillbook/data");
        QDir().mkpath(source);
        QFile::link(QStringLiteral("/etc/passwd"), source + QStringLiteral("/customer_C00009.xml"));
        archive = tmp->path() + QStringLiteral("/link.zip");
        run(QStringLiteral("zip"), {QStringLiteral("-r"), QStringLiteral("--symlinks"), archive, QStringLiteral("h")},
            tmp->path() + QStringLiteral("/link-source"));
    } else if (kind == QLatin1String("malformed")) {
        archive = makeArchive({{data + QStringLiteral("customer_C00009.xml"), good},
                               {data + QStringLiteral("customer_C00010.xml"), "<customer><entry>"}});
    } else if (kind == QLatin1String("oversize")) {
        archive = makeArchive({{data + QStringLiteral("customer_C00009.xml"), good},
                               {data + QStringLiteral("notes.bin"), QByteArray(2 * 1024 * 1024, 'x')}});
    } else if (kind == QLatin1String("letter")) {
        archive = makeArchive({{QStringLiteral("fatture2023/lettera.txt"), "Gentile cliente,"}});
    } else {
        archive = makeArchive({{data + QStringLiteral("sub/x/.placeholder"), "x"}});
        run(QStringLiteral("zip"), {QStringLiteral("-d"), archive, QStringLiteral("*.placeholder")});
    }
    QVERIFY(QFile::exists(archive));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Import refused")));
    QCOMPARE(Backup::importArchive(archive), -1);
    QCOMPARE(snapshot(dataDirPath()), before);
    QVERIFY(!QFile::exists(tmp->path() + QStringLiteral("/Quillbook")));
    QVERIFY(!QFile::exists(QStringLiteral("/h.Quillbook")));
}

void TestBackup::linkedDirectoryInArchive_isNeverFollowed()
{
    // A directory link in the archive would make the walk copy files from elsewhere.
    const QString secrets = tmp->path() + QStringLiteral("/secrets");
    QDir().mkpath(secrets);
    QFile key(secrets + QStringLiteral("/customer_id_rsa.xml"));
    key.open(QIODevice::WriteOnly);
    key.write(record(QStringLiteral("customer"), QStringLiteral("C66666"), QStringLiteral("SEGRETO")));
    key.close();
    const QString source = tmp->path() + QStringLiteral("/dirlink-source");
    QDir().mkpath(source);
    QFile::link(secrets, source + QStringLiteral("/a"));
    const QString archive = tmp->path() + QStringLiteral("/dirlink.zip");
    run(QStringLiteral("zip"), {QStringLiteral("-r"), QStringLiteral("--symlinks"), archive, QStringLiteral("a")}, source);

    const QMap<QString, QByteArray> before = snapshot(dataDirPath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("symbolic link")));
    QCOMPARE(Backup::importArchive(archive), -1);
    QCOMPARE(snapshot(dataDirPath()), before);
}

void TestBackup::secondImport_usesNextTemporaryDirectory()
{
    const QString archive = tmp->path() + QStringLiteral("/backup.zip");
    QCOMPARE(Backup::exportArchive(archive), 0);
    QCOMPARE(Backup::importArchive(archive), 0);
    QVERIFY(QDir(tmp->path() + QStringLiteral("/QUILLX9291")).exists());
    QCOMPARE(Backup::importArchive(archive), 0);
    QVERIFY(QDir(tmp->path() + QStringLiteral("/QUILLX9292")).exists());
}

void TestBackup::unpackingDirectory_isPrivateAndNeverReused()
{
    // A link planted under the next name, an empty directory and a file: all skipped.
    QFile::link(QStringLiteral("/tmp"), tmp->path() + QStringLiteral("/QUILLX9291"));
    QDir(tmp->path()).mkdir(QStringLiteral("QUILLX9292"));
    QFile(tmp->path() + QStringLiteral("/QUILLX9293")).open(QIODevice::WriteOnly);
    const QString name = findNewDirToCreate(QDir(tmp->path()), QStringLiteral("QUILLX929"), 0);
    QCOMPARE(name, QStringLiteral("QUILLX9294"));
    const QFileInfo created(tmp->path() + QLatin1Char('/') + name);
    QVERIFY(created.isDir() && !created.isSymLink());
    QCOMPARE(created.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther
                                      | QFile::ExeGroup | QFile::ExeOther),
             QFile::Permissions());
    QVERIFY(QFileInfo(tmp->path() + QStringLiteral("/QUILLX9291")).isSymLink());
}

void TestBackup::oversizedFile_isStoppedWhileUnpacking()
{
    // 20 MB of zeros pack into a few kilobytes; unpacking stops at the file-size limit.
    const QString data = QStringLiteral("h/.Quillbook/data/");
    const QString archive = makeArchive({{data + QStringLiteral("customer_C00009.xml"), QByteArray(20 * 1024 * 1024, ' ')}});
    QVERIFY(QFileInfo(archive).size() < 1024 * 1024);
    const QMap<QString, QByteArray> before = snapshot(dataDirPath());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Import refused")));
    QCOMPARE(Backup::importArchive(archive), -1);
    QCOMPARE(snapshot(dataDirPath()), before);
    const QFileInfo unpacked(tmp->path() + QStringLiteral("/QUILLX9291/") + data + QStringLiteral("customer_C00009.xml"));
    QVERIFY(unpacked.size() <= 16 * 1024 * 1024);
}

void TestBackup::fullDisk_duringCopy_leavesRecordsAsTheyWere()
{
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small file system");
    // The records live on a small disk; the archive's records do not fit beside them.
    const QString archive = tmp->path() + QStringLiteral("/big.zip");
    QMap<QString, QByteArray> files;
    for (int i = 0; i < 40; ++i) {
        const QString code = QStringLiteral("C%1").arg(i + 100, 5, 10, QLatin1Char('0'));
        files.insert(QStringLiteral("h/.Quillbook/data/customer_") + code + QStringLiteral(".xml"),
                     record(QStringLiteral("customer"), code, QString(20000, QLatin1Char('N'))));
    }
    QFile::copy(makeArchive(files), archive);

    const QByteArray rootDir = QFile::encodeName(rootDirPath());
    const QMap<QString, QByteArray> before = snapshot(dataDirPath());
    QVERIFY(QDir(rootDirPath()).removeRecursively());
    QDir().mkpath(rootDirPath());
    if (::mount("tmpfs", rootDir.constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("this machine does not let us mount a small file system");
    QDir().mkpath(dataDirPath());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        home->writeDataFile(it.key(), it.value());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Import failed")));
    const int result = Backup::importArchive(archive);
    const QMap<QString, QByteArray> after = snapshot(dataDirPath());
    const QStringList left = QDir(rootDirPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ::umount2(rootDir.constData(), MNT_DETACH);
    QCOMPARE(result, -1);
    QCOMPARE(after, before);
    QCOMPARE(left, QStringList{QStringLiteral("data")});
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
