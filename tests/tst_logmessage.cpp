// The log file: one line per message, and the fatal line that explains a crash.
#include "logmessage.h"
#include "serializable.h"
#include "testhome.h"
#include "tmpfs.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTime>
#include <QtTest>

class TestLogMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void message_becomesOneLine_data();
    void message_becomesOneLine();
    void multiLineMessage_isWrittenUnchanged();
    void infoMessage_isNotWritten();
    void timeOfDay_isTheCurrentOne();
    void reopenedLog_isAppended();
    void recordWriterWarning_reachesTheLog();
    void fatalMessage_reachesTheFileBeforeTheProcessDies();
    void fullDisk_linesAfterItAreWritten();

private:
    // Everything logged since init(), with the handler uninstalled and the file closed.
    QString logged();

    std::unique_ptr<TestHome> home;
    QString logPath;
    QtMessageHandler previousHandler = nullptr;
};

void TestLogMessage::init()
{
    home = std::make_unique<TestHome>(TestHome::DataDir::Missing);
    logPath = home->path() + QStringLiteral("/logfile.txt");
    QVERIFY(openLog(logPath));
    previousHandler = qInstallMessageHandler(logMessage);
}

void TestLogMessage::cleanup()
{
    qInstallMessageHandler(previousHandler);
    if (logStream.is_open())
        logStream.close();
    home.reset();
}

QString TestLogMessage::logged()
{
    qInstallMessageHandler(previousHandler);
    logStream.close();
    return QString::fromUtf8(readFile(logPath));
}

void TestLogMessage::message_becomesOneLine_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("debug") << int(QtDebugMsg) << QStringLiteral(" Debug: ");
    QTest::newRow("warning") << int(QtWarningMsg) << QStringLiteral(" Warning: ");
    QTest::newRow("critical") << int(QtCriticalMsg) << QStringLiteral(" Critical: ");
}

void TestLogMessage::message_becomesOneLine()
{
    QFETCH(int, type);
    QFETCH(QString, prefix);
    const QString text = QStringLiteral("load persistent data \u00E8 \u20AC");
    switch (type) {
    case QtDebugMsg: qDebug("%s", qUtf8Printable(text)); break;
    case QtWarningMsg: qWarning("%s", qUtf8Printable(text)); break;
    default: qCritical("%s", qUtf8Printable(text)); break;
    }
    const QString log = logged();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d") + QRegularExpression::escape(prefix + text)
                                + QStringLiteral("\n$"))
                 .match(log)
                 .hasMatch(),
             qPrintable(log));
}

void TestLogMessage::multiLineMessage_isWrittenUnchanged()
{
    qDebug("first\nsecond");
    const QStringList lines = logged().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(QLatin1String(" Debug: first")));
    QCOMPARE(lines.at(1), QStringLiteral("second"));
    QCOMPARE(lines.at(2), QString());
}

void TestLogMessage::infoMessage_isNotWritten()
{
    qInfo("not a type of the log");
    qDebug("kept");
    const QString log = logged();
    QCOMPARE(log.count(QLatin1Char('\n')), 1);
    QVERIFY(log.contains(QLatin1String(" Debug: kept")));
}

void TestLogMessage::timeOfDay_isTheCurrentOne()
{
    const QTime before = QTime::currentTime().addMSecs(-1000);
    qWarning("now");
    const QTime after = QTime::currentTime();
    const QString log = logged();
    const QTime stamped = QTime::fromString(log.left(8), QStringLiteral("HH:mm:ss"));
    QVERIFY2(stamped.isValid(), qPrintable(log));
    if (before < after) // not across midnight
        QVERIFY(stamped >= before.addMSecs(-before.msec()) && stamped <= after);
}

void TestLogMessage::reopenedLog_isAppended()
{
    qDebug("first run");
    logStream.close();
    logStream.open(logPath.toStdString(), std::ios::out | std::ios::app);
    qDebug("second run");
    const QString log = logged();
    QCOMPARE(log.count(QLatin1Char('\n')), 2);
    QVERIFY(log.indexOf(QLatin1String("first run")) < log.indexOf(QLatin1String("second run")));
}

void TestLogMessage::recordWriterWarning_reachesTheLog()
{
    QVERIFY(Serializable::ensureDataDir());
    QVERIFY(logged().contains(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d Warning: Cannot find the root directory\n$"))));
}

void TestLogMessage::fatalMessage_reachesTheFileBeforeTheProcessDies()
{
    logged(); // this process lets go of the file
    QProcess child;
    child.start(QStringLiteral(LOGFATAL_CHILD), {logPath});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    const QStringList lines = QString::fromUtf8(readFile(logPath)).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith(QLatin1String(" Debug: before the end")));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d Fatal: the reason of the crash$"))
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
}

// Each line reaches the file at once; lines lost to a full disk do not stop the later ones.
void TestLogMessage::fullDisk_linesAfterItAreWritten()
{
    logged();
    Tmpfs disk(home->path(), "size=64k");
    if (!disk.isMounted())
        QSKIP("needs root to mount a small file system");
    QVERIFY(openLog(logPath));
    qInstallMessageHandler(logMessage);
    qWarning("before");
    QVERIFY(readFile(logPath).endsWith(" Warning: before\n")); // no buffer holds it back
    const QString filler = home->path() + QStringLiteral("/filler");
    fillDisk(filler);
    for (int i = 0; i < 100; ++i)
        qWarning("lost to the full disk");
    QFile::remove(filler);
    qWarning("after");
    QVERIFY(logged().endsWith(" Warning: after\n"));
}

QTEST_GUILESS_MAIN(TestLogMessage)
#include "tst_logmessage.moc"
