#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/VelmoraError.h"
#include "tests/settings/FileSizeLimit.h"
#include "tests/support/WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString Ini = QStringLiteral("Options.ini");

TEST(ProfileFileTest, WritesInTheOrderOfWritingWithNamesMatchedWithoutCase)
{
    WorkingFolder folder;
    TIniFile settings(Ini, TIniOpen::New);
    settings.WriteInteger(QStringLiteral("Memory"), QStringLiteral("Keep Log Error"), 1);
    settings.WriteBool(QStringLiteral("Task Save"), QStringLiteral("Save Expert Options"), true);
    settings.WriteInteger(QStringLiteral("MEMORY"), QStringLiteral("Safety MB"), -7);
    settings.WriteBool(QStringLiteral("task save"), QStringLiteral("SAVE EXPERT OPTIONS"), false);
    settings.WriteString(QStringLiteral("Task AUTO START"), QStringLiteral("States"),
                         QStringLiteral("0 always, 1 ask, 2 never"));
    EXPECT_FALSE(folder.Exists(Ini));
    settings.UpdateFile();
    EXPECT_EQ(folder.Read(Ini), "[Memory]\r\nKeep Log Error=1\r\nSafety MB=-7\r\n"
                                "[Task Save]\r\nSave Expert Options=0\r\n"
                                "[Task AUTO START]\r\nStates=0 always, 1 ask, 2 never\r\n");

    const TIniFile again(Ini);
    EXPECT_EQ(again.ReadInteger(QStringLiteral("memory"), QStringLiteral("safety mb"), 0), -7);
    EXPECT_FALSE(again.ReadBool(QStringLiteral("Task Save"), QStringLiteral("Save Expert Options"), true));
    EXPECT_TRUE(again.SectionExists(QStringLiteral("TASK AUTO START")));
    EXPECT_FALSE(again.SectionExists(QStringLiteral("Task AUTO STOP")));

    // A new file starts empty whatever the old one held.
    TIniFile fresh(Ini, TIniOpen::New);
    EXPECT_FALSE(fresh.SectionExists(QStringLiteral("Memory")));
}

TEST(ProfileFileTest, IntegersAreDecimalOrHexadecimalAndAnythingElseGivesTheDefault)
{
    WorkingFolder folder;
    folder.Write(Ini, "[N]\nplain=42\nnegative=-3\nplus=+8\nhex=0x1F\nHEX=0X10\ndollar=$ff\n"
                      "min=-2147483648\nmax=2147483647\nbeyond=2147483648\nbig hex=0x100000000\n"
                      "word=yes\ntail=12abc\nfraction=1.5\nempty=\nbare prefix=0x\nbare dollar=$\n"
                      "inner blank=1 2\nbool two=2\nbool zero=0\n");
    const TIniFile settings(Ini);
    auto read = [&](const char* key) {
        return settings.ReadInteger(QStringLiteral("N"), QLatin1String(key), 99);
    };
    EXPECT_EQ(read("plain"), 42);
    EXPECT_EQ(read("negative"), -3);
    EXPECT_EQ(read("plus"), 8);
    EXPECT_EQ(read("hex"), 31);
    EXPECT_EQ(read("HEX"), 31) << "keys match without case: the first of them counts";
    EXPECT_EQ(read("dollar"), 255);
    EXPECT_EQ(read("min"), -2147483647 - 1);
    EXPECT_EQ(read("max"), 2147483647);
    for (const char* garbage : {"beyond", "big hex", "word", "tail", "fraction", "empty", "bare prefix",
                                "bare dollar", "inner blank", "missing"})
        EXPECT_EQ(read(garbage), 99) << garbage;
    EXPECT_TRUE(settings.ReadBool(QStringLiteral("N"), QStringLiteral("bool two"), false));
    EXPECT_FALSE(settings.ReadBool(QStringLiteral("N"), QStringLiteral("bool zero"), true));
    EXPECT_TRUE(settings.ReadBool(QStringLiteral("N"), QStringLiteral("word"), true));
    EXPECT_FALSE(settings.ReadBool(QStringLiteral("N"), QStringLiteral("word"), false));
}

TEST(ProfileFileTest, ReadsWhatAPersonEditingTheFileWrites)
{
    WorkingFolder folder;
    folder.Write(Ini, "\xEF\xBB\xBF"
                      "orphan=1\n"
                      "; a comment=5\n"
                      "\n"
                      "  [  Memory  ]  \n"
                      "   Safety MB   =   4   \n"
                      "no equals sign\n"
                      "=7\n"
                      "\r\n"
                      "[Empty]\n"
                      "; only a comment\n"
                      "[memory]\r"
                      "Keep Log Error=2\r\n");
    const TIniFile settings(Ini);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 0), 4);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Memory"), QStringLiteral("Keep Log Error"), 0), 2);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Memory"), QStringLiteral("; a comment"), 0), 0);
    EXPECT_EQ(settings.ReadInteger(QString(), QStringLiteral("orphan"), 0), 0);
    EXPECT_FALSE(settings.SectionExists(QStringLiteral("Empty")));
}

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

TEST(ProfileFileTest, AFailedWriteRaisesItsErrorAndLeavesTheOldFileWhole)
{
    WorkingFolder folder;
    folder.Write(Ini, "[Memory]\r\nSafety MB=3\r\n");
    TIniFile settings(Ini, TIniOpen::New);
    settings.WriteString(QStringLiteral("Memory"), QStringLiteral("Note"), QString(4096, u'n'));
    {
        const FileSizeLimit full(1024);
        try {
            settings.UpdateFile();
            FAIL();
        } catch (const EVelmoraError& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Unable to write to Options.ini"));
        }
    }
    EXPECT_EQ(folder.Read(Ini), "[Memory]\r\nSafety MB=3\r\n");
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{Ini}) << "no new file left behind";

    TIniFile nowhere(QStringLiteral("Missing/Options.ini"), TIniOpen::New);
    nowhere.WriteInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 1);
    EXPECT_THROW(nowhere.UpdateFile(), EVelmoraError);
}

TEST(TextLinesTest, WrittenAsUtf8WithCrLfAndReadInEveryEncodingAndLineEnd)
{
    WorkingFolder folder;
    const QString file = QStringLiteral("Exclude.txt");
    WriteTextLines(file, {QStringLiteral("Näme"), QString(), QStringLiteral("last")});
    EXPECT_EQ(folder.Read(file), "N\xC3\xA4me\r\n\r\nlast\r\n");
    WriteTextLines(file, {QString()});
    EXPECT_EQ(folder.Read(file), "\r\n");

    auto lines = [&](const QByteArray& content) {
        folder.Write(file, content);
        return ReadTextLines(file);
    };
    const QStringList three{QStringLiteral("a"), QString(), QStringLiteral("ä")};
    EXPECT_EQ(lines("a\r\n\r\n\xC3\xA4\r\n"), three);
    EXPECT_EQ(lines("a\r\r\xC3\xA4"), three) << "CR ends a line; a last line without an end counts";
    EXPECT_EQ(lines("a\n\n\xC3\xA4\n"), three);
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

TEST(TextLinesTest, AFailedWriteLeavesTheOldFileWhole)
{
    WorkingFolder folder;
    const QString file = QStringLiteral("Exclude.txt");
    folder.Write(file, "old\r\n");
    {
        const FileSizeLimit full(1024);
        EXPECT_THROW(WriteTextLines(file, QStringList(100, QStringLiteral("0123456789abcdef"))), EInOutError);
    }
    EXPECT_EQ(folder.Read(file), "old\r\n");
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{file});
}

} // namespace
