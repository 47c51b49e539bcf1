#include "platform/Files.h"
#include "platform/VelmoraError.h"
#include "tests/support/WorkingFolder.h"

#include <QFile>
#include <QFileInfo>
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

TEST(FilesTest, AReplacedLinkStaysAndTheFileAtTheEndOfItsChainGetsTheContent)
{
    WorkingFolder folder;
    folder.Write(QStringLiteral("Elsewhere/real.txt"), "old");
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Database")));
    // A chain of relative links, each read from its own folder.
    ASSERT_TRUE(QFile::link(QStringLiteral("real.txt"), QStringLiteral("Elsewhere/link.txt")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../Elsewhere/link.txt"), QStringLiteral("Database/a.txt")));
    ReplaceFile(QStringLiteral("Database/a.txt"), "new");
    EXPECT_TRUE(QFileInfo(QStringLiteral("Database/a.txt")).isSymLink());
    EXPECT_EQ(folder.Read(QStringLiteral("Elsewhere/real.txt")), "new");

    // A link to a file not there yet makes it; one into a missing folder or a loop fails.
    ASSERT_TRUE(QFile::link(QStringLiteral("../Elsewhere/made.txt"), QStringLiteral("Database/b.txt")));
    ReplaceFile(QStringLiteral("Database/b.txt"), "made");
    EXPECT_EQ(folder.Read(QStringLiteral("Elsewhere/made.txt")), "made");
    ASSERT_TRUE(QFile::link(QStringLiteral("../Nowhere/c.txt"), QStringLiteral("Database/c.txt")));
    ASSERT_TRUE(QFile::link(QStringLiteral("d.txt"), QStringLiteral("Database/d.txt")));
    for (const QString& path : {QStringLiteral("Database/c.txt"), QStringLiteral("Database/d.txt")}) {
        EXPECT_THROW(ReplaceFile(path, "lost"), EVelmoraError);
        EXPECT_TRUE(QFileInfo(path).isSymLink());
    }
}

} // namespace
