#pragma once

#include <QtGlobal>

#include <fstream>

class QMessageLogContext;
class QString;

// The log file, open for the whole run of the program; logMessage is its only writer.
extern std::ofstream logStream;

// Message handler: one line per message, "hh:mm:ss", the type prefix, the text.
// A fatal message ends the process right after its line has reached the file.
void logMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
