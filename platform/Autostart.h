#pragma once

#include <QString>

// The desktop's programs to run at log-in: one entry "<name>.desktop" each in
// $XDG_CONFIG_HOME/autostart (by default ~/.config/autostart).

// Writes the entry `name` that starts the program file `program` in its own folder, creating the
// autostart folder. Raises EVelmoraError when the entry cannot be written.
void WriteAutostartEntry(const QString& name, const QString& program);
// Removes the entry if there is one. Raises EVelmoraError when it stays.
void DeleteAutostartEntry(const QString& name);
bool AutostartEntryExists(const QString& name);
// True when the entry `name` exists and starts the program file `program`.
bool AutostartEntryStarts(const QString& name, const QString& program);

// `program` as one argument of an entry's Exec line, quoted so that blanks and the characters the
// entry format reserves are taken literally.
QString AutostartExecArgument(const QString& program);
