#pragma once

#include <functional>

class MyClass;

// Runs the program: each cycle builds a fresh application object, window and model, loads
// the records, runs the event loop and, on an ordinary close, saves the records. A cycle
// ended by a restored backup skips the save, and the next cycle reads the restored files.
// `shown`, when given, is called with each cycle's window right after it is shown.
// Returns the exit code of the last cycle's event loop.
int runApplicationCycles(int& argc, char** argv, const std::function<void(MyClass*)>& shown = {});
