#pragma once

#include <QString>
#include <QStringList>

// File tests and file operations. Paths are relative to the working directory unless absolute.
bool FileExists(const QString& path);
bool DirectoryExists(const QString& path);
bool CreateDir(const QString& path);
// True when the file is gone afterwards because this call removed it.
bool DeleteFile(const QString& path);
// Renames `from` to `to`; fails when `to` exists.
bool MoveFile(const QString& from, const QString& to);

// Text files, UTF-8, lines ended by LF or CR LF.
// The first line of a text file, empty for an empty file. Raises EInOutError when the file cannot
// be opened or read.
QString ReadFirstLine(const QString& path);
// Every line. Raises EVelmoraError "Cannot open file "%s". %s" when the file cannot be opened.
QStringList ReadTextLines(const QString& path);
// Creates or replaces the file with these lines. Raises EVelmoraError "Cannot create file "%s". %s"
// when the file cannot be created, EInOutError when writing fails.
void WriteTextLines(const QString& path, const QStringList& lines);

// Lets whoever may read the file run it too; false when its permissions could not be changed.
bool MakeExecutable(const QString& path);
