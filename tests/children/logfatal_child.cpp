// Opens the log given as its argument, installs the handler and dies of a fatal message.
#include "logmessage.h"

#include <QtGlobal>

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    logStream.open(argv[1], std::ios::out | std::ios::app);
    qInstallMessageHandler(logMessage);
    qDebug("before the end");
    qFatal("the reason of the crash");
    return 0;
}
