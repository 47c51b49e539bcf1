#pragma once

#include <QString>
#include <functional>

// Opens `file` as the desktop would: an executable file (looked up in the working directory, then
// on the search path) is started detached, a web address or a document goes to the desktop's
// opener. Returns false when nothing could be started.
bool ShellExecute(const QString& file);

// Starts the program file `path` detached, exactly that file: no search path, no opener. Returns
// false when it could not be started. Tests replace the start, so that no second program runs.
bool StartProgram(const QString& path);
void SetStartProgramHandler(std::function<bool(const QString& path)> handler);
