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
// Copies `from` over `to`. Raises EVelmoraError "Cannot create file "%s". %s" when that fails.
void CopyFile(const QString& from, const QString& to);

// The first line of a text file (UTF-8, lines ended by LF or CR LF), empty for an empty file.
// Raises EInOutError when the file cannot be opened or read.
QString ReadFirstLine(const QString& path);
// A text file's content: a UTF-8 or UTF-16 (LE or BE) byte-order mark selects that encoding, UTF-8
// otherwise. Only the first mark goes; a second one is text.
QString DecodeText(QByteArray content);
// Every line of a text file, decoded as DecodeText decodes; lines end at CR LF, CR or LF, a last
// line without an end counts, an empty file has no lines. Raises EVelmoraError "Cannot open file
// "%s". %s" when the file cannot be opened, EInOutError when reading fails.
QStringList ReadTextLines(const QString& path);
// Replaces the file with these lines, every line ended by CR LF, written as ReplaceFile writes: UTF-8
// without a byte-order mark, or UTF-16 LE with its mark when UTF-8 would not read back the same (a
// first line that starts with U+FEFF, an unpaired surrogate).
void WriteTextLines(const QString& path, const QStringList& lines);
// Replaces the file with `content` in one step: a new file in the same folder takes the old one's
// place only once it is complete, so a full disk or a crash leaves the old file whole. Raises
// EVelmoraError "Cannot create file "%s". %s" with the system's reason when any of that fails. A
// symbolic link stays: the file at the end of its chain is replaced, from a new file beside that one.
void ReplaceFile(const QString& path, const QByteArray& content);
// Removes the new files that a ReplaceFile of `path` cut short by a kill left beside it.
void RemoveStaleTemporaries(const QString& path);

// Lets whoever may read the file run it too; false when its permissions could not be changed.
bool MakeExecutable(const QString& path);
