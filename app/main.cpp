#include "applicationcycle.h"
#include "logmessage.h"
#include "paths.h"

#include <QDebug>
#include <QDir>

int main(int argc, char* argv[])
{
    const QString logPath = logFilePath();
    qDebug() << "path per il file di log: " << logPath;
    // On the very first run the root directory does not exist yet; without it the log could
    // not be opened and that run's diagnostics would be lost.
    QDir().mkpath(rootDirPath());
    openLog(logPath);
    qInstallMessageHandler(logMessage);

    const int exitCode = runApplicationCycles(argc, argv);

    logStream.close();
    return exitCode;
}
