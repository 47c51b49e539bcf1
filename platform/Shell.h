#pragma once

#include <QString>

// Opens `file` as the desktop would: an executable file (looked up in the working directory, then
// on the search path) is started detached, a web address or a document goes to the desktop's
// opener. Returns false when nothing could be started.
bool ShellExecute(const QString& file);
