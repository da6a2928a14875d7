#include "logmessage.h"

#include <QString>
#include <QTime>

#include <cstdlib>
#include <mutex>

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

} // namespace

void logMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    const char* prefix = prefixOf(type);
    if (!prefix)
        return;
    // Qt may warn from its own threads: one line at a time
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    logStream << QTime::currentTime().toString(Qt::TextDate).toStdString() << prefix
              << message.toStdString() << '\n';
    if (type == QtFatalMsg) {
        // The line that explains the crash must not die in the stream's buffer.
        logStream.flush();
        std::abort();
    }
}
