#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/VelmoraError.h"
#include "tests/support/WorkingFolder.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

const QString Ini = QStringLiteral("Options.ini");

TEST(ProfileFileTest, AFileThatIsNotTextGivesWhatCanBeReadAndNeverFails)
{
    WorkingFolder folder;
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char(i * 7919 % 256);
    folder.Write(Ini, garbage + "\n[Memory]\nSafety MB=5\n" + garbage);
    EXPECT_EQ(TIniFile(Ini).ReadInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 1), 5);

    // A huge file: its start is read, the rest is not.
    folder.Write(Ini, "[Memory]\nSafety MB=6\n" + QByteArray(3 << 20, 'x') + "\nKeep Log Error=2\n");
    const TIniFile huge(Ini);
    EXPECT_EQ(huge.ReadInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 1), 6);
    EXPECT_EQ(huge.ReadInteger(QStringLiteral("Memory"), QStringLiteral("Keep Log Error"), 1), 1);

    // Opens, but every read fails.
    ASSERT_TRUE(QFile::remove(Ini));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), Ini));
    EXPECT_FALSE(TIniFile(Ini).SectionExists(QStringLiteral("Memory")));
}

TEST(ProfileFileTest, AUtf16FileIsReadByItsMark)
{
    WorkingFolder folder;
    const QString text = QStringLiteral("[Memory]\r\nSafety MB=5\r\n");
    folder.Write(Ini, QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)(text));
    EXPECT_EQ(TIniFile(Ini).ReadInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 1), 5);
    folder.Write(Ini, QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom)(text));
    EXPECT_EQ(TIniFile(Ini).ReadInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 1), 5);
}

TEST(TextLinesTest, LinesAreReadInEveryEncodingAndLineEnd)
{
    WorkingFolder folder;
    const QString file = QStringLiteral("Exclude.txt");
    auto lines = [&](const QByteArray& content) {
        folder.Write(file, content);
        return ReadTextLines(file);
    };
    const QStringList three{QStringLiteral("a"), QString(), QStringLiteral("ä")};
    EXPECT_EQ(lines("a\r\n\r\n\xC3\xA4\r\n"), three);
    EXPECT_EQ(lines("a\r\r\xC3\xA4"), three) << "CR ends a line; a last line without an end counts";
    EXPECT_EQ(lines("\xEF\xBB\xBF"
                    "a\n\n\xC3\xA4"),
              three);
    EXPECT_EQ(lines(QByteArray("\xFF\xFE"
                               "a\0\r\0\n\0\r\0\n\0\xE4\0",
                               14)),
              three);
    EXPECT_EQ(lines(QByteArray("\xFE\xFF\0a\0\n\0\n\0\xE4", 10)), three);
    EXPECT_EQ(lines("\xEF\xBB\xBF\xEF\xBB\xBFx"), QStringList{QStringLiteral("\uFEFFx")})
        << "only the first mark selects the encoding";
    EXPECT_EQ(lines(""), QStringList());
    EXPECT_EQ(lines("\r\n"), QStringList{QString()});
}

TEST(TextLinesTest, EveryRowComesBackAsItWasWritten)
{
    WorkingFolder folder;
    const QString file = QStringLiteral("Exclude.txt");
    const QString lone = QString(QChar(0xD800)) + u'x';
    for (const QStringList& rows : {QStringList{QStringLiteral("\uFEFFsecret"), QStringLiteral("ä")},
                                    QStringList{QStringLiteral("a"), lone, QString()}}) {
        WriteTextLines(file, rows);
        EXPECT_EQ(ReadTextLines(file), rows);
    }
    // Rows that UTF-8 carries stay UTF-8 without a mark.
    WriteTextLines(file, {QStringLiteral("a\uFEFF")});
    EXPECT_EQ(folder.Read(file), "a\xEF\xBB\xBF\r\n");
}

} // namespace
