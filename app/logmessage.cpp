#include "logmessage.h"

#include <QDateTime>
#include <QString>
#include <QTime>

#include <cstdlib>
#include <mutex>
#include <string>

std::ofstream logStream;

namespace {

const char* prefixOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return " Debug: ";
    case QtWarningMsg:
        return " Warning: ";
    case QtCriticalMsg:
        return " Critical: ";
    case QtFatalMsg:
        return " Fatal: ";
    default:
        return nullptr;
    }
}

// The local time of day, formatted once a second: asking for the local time looks up the
// time zone file each time, which at start-up cost a tenth of loading the records.
const std::string& timeOfDay()
{
    static qint64 second = -1;
    static std::string text;
    const qint64 now = QDateTime::currentMSecsSinceEpoch() / 1000;
    if (now != second) {
        second = now;
        text = QTime::currentTime().toString(Qt::TextDate).toStdString();
    }
    return text;
}

} // namespace

bool openLog(const QString& path)
{
    // Unbuffered: each line reaches the file when it is written, so a crash or a kill loses
    // none, and a line that could not be written (a full disk) is not written later either.
    logStream.rdbuf()->pubsetbuf(nullptr, 0);
    logStream.open(path.toStdString(), std::ios::out | std::ios::app);
    return logStream.is_open();
}

void logMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    const char* prefix = prefixOf(type);
    if (!prefix)
        return;
    // Qt may warn from its own threads: one line at a time
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    std::string line = timeOfDay();
    line += prefix;
    line += message.toStdString();
    line += '\n';
    logStream.write(line.data(), std::streamsize(line.size()));
    logStream.flush();
    // A line lost to a full disk must not silence the lines that come after it.
    if (!logStream)
        logStream.clear();
    if (type == QtFatalMsg)
        std::abort();
}
