#pragma once

#include <QString>

// The program keeps everything under one hidden directory in the user's home:
// the log file in the root directory, the record files in its "data" directory.
QString rootDirPath();
QString dataDirPath();
QString logFilePath();
