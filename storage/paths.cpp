#include "paths.h"

#include <QDir>

QString rootDirPath()
{
    return QDir::homePath() + QLatin1Char('/') + QStringLiteral(".Quillbook");
}

QString dataDirPath()
{
    return rootDirPath() + QLatin1Char('/') + QStringLiteral("data");
}

QString logFilePath()
{
    return rootDirPath() + QStringLiteral("/logfile.txt");
}
