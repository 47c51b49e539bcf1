#include "platform/Files.h"
#include "platform/VelmoraError.h"
#include "tests/support/WorkingFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(FilesTest, FileTestsTellFilesFromFolders)
{
    WorkingFolder folder;
    folder.Write(QStringLiteral("a.txt"), "x");
    EXPECT_TRUE(FileExists(QStringLiteral("a.txt")));
    EXPECT_FALSE(FileExists(QStringLiteral("b.txt")));
    EXPECT_TRUE(CreateDir(QStringLiteral("Dir")));
    EXPECT_FALSE(CreateDir(QStringLiteral("Dir")));
    EXPECT_TRUE(DirectoryExists(QStringLiteral("Dir")));
    EXPECT_FALSE(FileExists(QStringLiteral("Dir")));
    EXPECT_FALSE(DeleteFile(QStringLiteral("Dir")));
    EXPECT_TRUE(DirectoryExists(QStringLiteral("Dir")));
    EXPECT_TRUE(DeleteFile(QStringLiteral("a.txt")));
    EXPECT_FALSE(DeleteFile(QStringLiteral("a.txt")));
}

TEST(FilesTest, MoveNeverReplacesAnExistingFile)
{
    WorkingFolder folder;
    folder.Write(QStringLiteral("from"), "new");
    folder.Write(QStringLiteral("to"), "old");
    EXPECT_FALSE(MoveFile(QStringLiteral("from"), QStringLiteral("to")));
    EXPECT_EQ(folder.Read(QStringLiteral("to")), "old");
    ASSERT_TRUE(DeleteFile(QStringLiteral("to")));
    EXPECT_TRUE(MoveFile(QStringLiteral("from"), QStringLiteral("to")));
    EXPECT_EQ(folder.Read(QStringLiteral("to")), "new");
    EXPECT_FALSE(FileExists(QStringLiteral("from")));
}

TEST(FilesTest, TextFilesReadWhatWasWrittenAndFailWithTheClassLibrarysMessages)
{
    WorkingFolder folder;
    const QStringList lines{QStringLiteral("first"), QString(), QStringLiteral("dritte Zeile ä")};
    WriteTextLines(QStringLiteral("lines.txt"), lines);
    EXPECT_EQ(ReadTextLines(QStringLiteral("lines.txt")), lines);
    EXPECT_EQ(ReadFirstLine(QStringLiteral("lines.txt")), QStringLiteral("first"));
    folder.Write(QStringLiteral("crlf.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(ReadTextLines(QStringLiteral("crlf.txt")),
              QStringList({QStringLiteral("one"), QStringLiteral("two")}));
    folder.Write(QStringLiteral("empty.txt"), "");
    EXPECT_EQ(ReadFirstLine(QStringLiteral("empty.txt")), QString());

    EXPECT_THROW(ReadFirstLine(QStringLiteral("missing.txt")), EInOutError);
    try {
        ReadTextLines(QStringLiteral("missing.txt"));
        FAIL();
    } catch (const EVelmoraError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Cannot open file \"missing.txt\". ")));
    }
    try {
        WriteTextLines(QStringLiteral("NoSuchFolder/x.txt"), lines);
        FAIL();
    } catch (const EVelmoraError& error) {
        EXPECT_TRUE(
            error.Message().startsWith(QStringLiteral("Cannot create file \"NoSuchFolder/x.txt\". ")));
    }
}

} // namespace
