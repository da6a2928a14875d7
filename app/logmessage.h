#pragma once

#include <QtGlobal>

#include <fstream>

class QMessageLogContext;
class QString;

// The log file, open for the whole run of the program; logMessage is its only writer.
extern std::ofstream logStream;

// Opens the log file for appending, each line written through at once.
bool openLog(const QString& path);

// Message handler: one line per message, "hh:mm:ss", the type prefix, the text.
// Every line reaches the file before the handler returns; a fatal message then ends the process.
void logMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
