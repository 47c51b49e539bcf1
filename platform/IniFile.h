#pragma once

#include <QString>
#include <vector>

// How a settings file is opened: with what an existing file holds, or as a new file that takes the
// old one's place when it is written.
enum class TIniOpen { Existing, New };

// A settings file in the platform's profile syntax: "[Section]" lines, each followed by
// "Key=Value" lines. Section and key names match without regard to case; a new section or key
// goes at the end, so the file shows the order of writing. Integers are written in decimal and read
// in decimal or, after "0x", "0X" or "$", in hexadecimal; Booleans are written "1" and "0" and read
// as integers. Reading accepts what a person editing the file writes: blanks around names and "=",
// blank lines, ";" comments, a UTF-8 or UTF-16 byte-order mark, LF line ends.
class TIniFile {
public:
    // An existing file is read as far as it can be: a file that is not text, too big or unreadable
    // yields the settings found before the fault.
    explicit TIniFile(const QString& fileName, TIniOpen open = TIniOpen::Existing);

    // A section is present when it holds at least one key.
    bool SectionExists(const QString& section) const;
    // A missing key or a value that is no integer yields `fallback`.
    int ReadInteger(const QString& section, const QString& ident, int fallback) const;
    // Any integer other than 0 is true.
    bool ReadBool(const QString& section, const QString& ident, bool fallback) const;

    void WriteInteger(const QString& section, const QString& ident, int value);
    void WriteBool(const QString& section, const QString& ident, bool value);
    void WriteString(const QString& section, const QString& ident, const QString& value);

    // Puts the settings on disk in one step, lines ended by CR LF: a new file in the same folder
    // replaces the old one only when it is complete. Raises "Unable to write to %s".
    void UpdateFile() const;

private:
    struct Key {
        QString name;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Key> keys;
    };

    void Parse(const QString& text);
    const QString* Find(const QString& section, const QString& ident) const;

    QString fileName_;
    std::vector<Section> sections_;
};
