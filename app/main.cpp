#include "logmessage.h"
#include "myclass.h"
#include "paths.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    // The first run has no root directory yet; without it the log could not be opened.
    QDir().mkpath(rootDirPath());
    const QString logPath = logFilePath();
    qDebug() << "path per il file di log: " << logPath;
    logStream.open(logPath.toStdString(), std::ios::out | std::ios::app);
    qInstallMessageHandler(logMessage);

    QApplication application(argc, argv);
    MyClass window;
    window.show();
    const int exitCode = QApplication::exec();

    logStream.close();
    return exitCode;
}
