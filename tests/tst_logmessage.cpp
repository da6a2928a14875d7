// The log file: one line per message, and the fatal line that explains a crash.
#include "logmessage.h"
#include "serializable.h"
#include "testhome.h"
#include "tmpfs.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTime>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;
using Logging = std::function<void()>;
Q_DECLARE_METATYPE(Logging)

class TestLogMessage : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    QString logPath;
    QtMessageHandler previousHandler = nullptr;

    // Everything logged since init(), with the handler uninstalled and the file closed.
    QString logged()
    {
        qInstallMessageHandler(previousHandler);
        logStream.close();
        return QString::fromUtf8(readFile(logPath));
    }

private Q_SLOTS:
    void init()
    {
        home = std::make_unique<TestHome>(TestHome::DataDir::Missing);
        logPath = home->path() + u"/logfile.txt"_s;
        QVERIFY(openLog(logPath));
        previousHandler = qInstallMessageHandler(logMessage);
    }
    void cleanup()
    {
        qInstallMessageHandler(previousHandler);
        if (logStream.is_open())
            logStream.close();
        home.reset();
    }

    void message_isWrittenAsLogged_data()
    {
        QTest::addColumn<Logging>("logging");
        QTest::addColumn<QString>("log"); // a pattern; "T " stands for the time of day
        QTest::newRow("debug") << Logging([] { qDebug("load persistent data \u00E8 \u20AC"); })
                               << u"T Debug: load persistent data \u00E8 \u20AC\n"_s;
        QTest::newRow("warning") << Logging([] { qWarning("caricato"); }) << u"T Warning: caricato\n"_s;
        QTest::newRow("critical") << Logging([] { qCritical("errore"); }) << u"T Critical: errore\n"_s;
        QTest::newRow("several lines, unchanged") << Logging([] { qDebug("first\nsecond"); }) << u"T Debug: first\nsecond\n"_s;
        QTest::newRow("info is no type of the log") << Logging([] { qInfo("not a type of the log"); qDebug("kept"); })
                                                    << u"T Debug: kept\n"_s;
        QTest::newRow("the record writer's warning")
            << Logging([] { QVERIFY(Serializable::ensureDataDir()); }) << u"T Warning: Cannot find the root directory\n"_s;
    }
    void message_isWrittenAsLogged()
    {
        QFETCH(Logging, logging);
        QFETCH(QString, log);
        logging();
        const QString written = logged();
        const QString pattern = QRegularExpression::escape(log).replace(u"T\\ "_s, u"\\d\\d:\\d\\d:\\d\\d "_s);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(written).hasMatch(), qPrintable(written));
    }

    void timeOfDay_isTheCurrentOne()
    {
        const QTime before = QTime::currentTime().addMSecs(-1000);
        qWarning("now");
        const QTime after = QTime::currentTime();
        const QString log = logged();
        const QTime stamped = QTime::fromString(log.left(8), u"HH:mm:ss"_s);
        QVERIFY2(stamped.isValid(), qPrintable(log));
        if (before < after) // not across midnight
            QVERIFY(stamped >= before.addMSecs(-before.msec()) && stamped <= after);
    }

    void reopenedLog_isAppended()
    {
        qDebug("first run");
        logStream.close();
        logStream.open(logPath.toStdString(), std::ios::out | std::ios::app);
        qDebug("second run");
        const QString log = logged();
        QCOMPARE(log.count(u'\n'), 2);
        QVERIFY(log.indexOf(u"first run") < log.indexOf(u"second run"));
    }

    void fatalMessage_reachesTheFileBeforeTheProcessDies()
    {
        logged(); // this process lets go of the file
        QProcess child;
        child.start(QStringLiteral(LOGFATAL_CHILD), {logPath});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QString log = QString::fromUtf8(readFile(logPath));
        QVERIFY2(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d Debug: before the end\n"
                                    "\\d\\d:\\d\\d:\\d\\d Fatal: the reason of the crash\n$"_s).match(log).hasMatch(),
                 qPrintable(log));
    }

    // Each line reaches the file at once; lines lost to a full disk do not stop the later ones.
    void fullDisk_linesAfterItAreWritten()
    {
        logged();
        Tmpfs disk(home->path(), "size=64k");
        if (!disk.isMounted())
            QSKIP("needs root to mount a small file system");
        QVERIFY(openLog(logPath));
        qInstallMessageHandler(logMessage);
        qWarning("before");
        QVERIFY(readFile(logPath).endsWith(" Warning: before\n")); // no buffer holds it back
        const QString filler = home->path() + u"/filler"_s;
        fillDisk(filler);
        for (int i = 0; i < 100; ++i)
            qWarning("lost to the full disk");
        QFile::remove(filler);
        qWarning("after");
        QVERIFY(logged().endsWith(" Warning: after\n"));
    }
};

QTEST_GUILESS_MAIN(TestLogMessage)
#include "tst_logmessage.moc"
