#include "tasks/TaskClasses.h"

#include "tests/support/FullDisk.h"
#include "tests/support/WorkingFolder.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

const QString Path = "Database/TaskDatabase.xml";
const QString Perform = ExecuteActionMarker;

TTask Task(const QString& name, int trust)
{
    TTask task;
    task.Name = name;
    task.Trust = trust;
    return task;
}

class TaskDatabase : public testing::Test {
protected:
    void SetUp() override { folder.Write("Database/.keep", ""); }

    void WriteFile(const QByteArray& content) { folder.Write(Path, content); }

    std::string ReadFile() const { return folder.Read(Path).toStdString(); }

    // Loads a file body into fresh records.
    bool Load(const QByteArray& content)
    {
        WriteFile(content);
        return LoadTaskDatabase(Path, tasks, every);
    }

    WorkingFolder folder;
    TTaskArray tasks;
    TTask every;
};

TEST_F(TaskDatabase, WritesTheFixedForm)
{
    TTask editor = Task("Editor", -4);
    editor.Status = "Running";
    editor.Parrent = "edit";
    editor.Class = "Edit<1>";
    editor.Executable = "Process ID: 12";
    editor.Handle = 4294967295u;
    editor.Suspended = true;
    TCode code;
    AppendCondition(code, "String", "Name", "==", "a & b");
    AppendCondition(code, "String", "Name", "==", ""); // not written
    AppendAction(code, Perform, "SetTrust", "=", "7");
    editor.Code = {code, TCode()};
    every = Task("Every Task", 0);

    ASSERT_TRUE(SaveTaskDatabase(Path, {editor, Task("Second", 7)}, every));

    EXPECT_EQ(
        ReadFile(),
        "<DataBase>"
        "<Task No=\"-1\"><Information Name=\"Every Task\" Trust=\"0\" Status=\"\"/>"
        "<Description Parrent=\"\" Class=\"\" Executable=\"\" Handle=\"0\" Suspended=\"false\"/></Task>"
        "<Task No=\"1\"><Information Name=\"Editor\" Trust=\"-4\" Status=\"Running\"/>"
        "<Description Parrent=\"edit\" Class=\"Edit&lt;1>\" Executable=\"Process ID: 12\" "
        "Handle=\"4294967295\" Suspended=\"true\"/>"
        "<Code><Condition Type=\"String\" Variable=\"Name\" Comparative=\"==\" Value=\"a &amp; b\"/>"
        "<Action Type=\"!!!Execute Action!!!\" Variable=\"SetTrust\" Comparative=\"=\" Value=\"7\"/></Code>"
        "<Code/></Task>"
        "<Task No=\"2\"><Information Name=\"Second\" Trust=\"7\" Status=\"\"/>"
        "<Description Parrent=\"\" Class=\"\" Executable=\"\" Handle=\"0\" Suspended=\"false\"/></Task>"
        "</DataBase>");
}

TEST_F(TaskDatabase, RoundTripKeepsWhatIsStoredAndNothingElse)
{
    TTask editor = Task("Editor", 7);
    editor.Parrent = "edit";
    editor.Class = "Edit";
    editor.Suspended = true;
    editor.Handle = 12;
    editor.Status = "Running";
    editor.Memory = 40;
    editor.Responding = false;
    editor.KillRequested = true;
    editor.Notification = "n";
    TCode code;
    AppendCondition(code, "Integer", "Trust", ">", "1");
    AppendAction(code, Perform, "Running", "=", "False");
    editor.Code = {TCode(), code};
    TTask global = Task("last checked", 3);
    global.Code = {code};

    ASSERT_TRUE(SaveTaskDatabase(Path, {editor, Task("", 0), Task("Third", -1)}, global));
    every = Task("old", 1);
    tasks = {Task("stale", 0)};
    ASSERT_TRUE(LoadTaskDatabase(Path, tasks, every));

    ASSERT_EQ(tasks.size(), 3);
    const TTask& loaded = tasks[0];
    EXPECT_EQ(loaded.Name, "Editor");
    EXPECT_EQ(loaded.Trust, 7);
    EXPECT_EQ(loaded.Parrent, "edit");
    EXPECT_EQ(loaded.Class, "Edit");
    EXPECT_TRUE(loaded.Suspended);
    EXPECT_EQ(loaded.Handle, 0u);
    EXPECT_TRUE(loaded.Status.isEmpty() && loaded.Notification.isEmpty());
    EXPECT_EQ(loaded.Memory, 0);
    EXPECT_TRUE(loaded.Responding);
    EXPECT_FALSE(loaded.KillRequested);
    ASSERT_EQ(loaded.Code.size(), 2);
    EXPECT_EQ(ConditionCount(loaded.Code[0]) + ActionCount(loaded.Code[0]), 0);
    EXPECT_EQ(loaded.Code[1].Actions[0].Variable, "Running");
    EXPECT_EQ(tasks[2].Name, "Third");
    EXPECT_EQ(every.Name, "Every Task");
    EXPECT_EQ(every.Trust, 3);
    EXPECT_EQ(every.Code.size(), 1);
}

TEST_F(TaskDatabase, NothingToSaveOrNoFileChangesNothing)
{
    WriteFile("<DataBase/>");
    every.Code = {TCode()};
    EXPECT_FALSE(SaveTaskDatabase(Path, {}, every));
    EXPECT_EQ(ReadFile(), "<DataBase/>");

    tasks = {Task("kept", 1)};
    EXPECT_FALSE(LoadTaskDatabase("Database/Missing.xml", tasks, every));
    EXPECT_FALSE(LoadTaskDatabase("Database", tasks, every));
    EXPECT_EQ(tasks.size(), 1);
    EXPECT_EQ(every.Code.size(), 1);
}

TEST_F(TaskDatabase, ElementsLoadInFileOrderWhateverTheirNumbers)
{
    every = Task("Every Task", 0);
    every.Code = {TCode()};
    ASSERT_TRUE(Load("<DataBase><Task No=\"5\"><Information Name=\"five\" Trust=\"1\"/></Task>"
                     "<Task No=\"2\"><Information Name=\"two\" Trust=\"2\"/></Task>"
                     "<Item><information Name=\"skipped\" Trust=\"9\"/></Item>"
                     "<Task><Information Name=\"none\" Trust=\"3\"/></Task>"
                     "<Task No=\"99999999999999999999\"/></DataBase>"));
    ASSERT_EQ(tasks.size(), 5);
    EXPECT_EQ(tasks[0].Name, "five");
    EXPECT_EQ(tasks[1].Name, "two");
    EXPECT_TRUE(tasks[2].Name.isEmpty());
    EXPECT_EQ(tasks[2].Trust, 0);
    EXPECT_EQ(tasks[3].Name, "none");
    EXPECT_EQ(every.Code.size(), 1); // no element numbered -1: the global script stays

    ASSERT_TRUE(Load("<DataBase><Task No=\"-1\"><Information Name=\"first\" Trust=\"1\"/><Code/></Task>"
                     "<Task No=\"-01\"><Information Name=\"second\" Trust=\"2\"/>"
                     "<Information Name=\"third\" Trust=\"+3\"/></Task></DataBase>"));
    EXPECT_TRUE(tasks.isEmpty());
    EXPECT_EQ(every.Name, "Every Task");
    EXPECT_EQ(every.Trust, 3);
    EXPECT_TRUE(every.Code.isEmpty());
}

TEST_F(TaskDatabase, OnlyElementsUnderTheDocumentElementAreTasks)
{
    ASSERT_TRUE(
        Load("<?xml version=\"1.0\"?><!-- saved by hand --><DataBase>"
             "<!-- a note --><?pi x?><Task No=\"1\"><Information Name=\"a\" Trust=\"0\"/>"
             "<Code><!-- c --><Condition Type=\"String\" Variable=\"Name\" Comparative=\"==\" Value=\"\"/>"
             "<Condition Type=\"\"/><Action Type=\"x\" Variable=\"\" Comparative=\"\" Value=\"v\"/>"
             "<Other/></Code></Task>\n  text\n</DataBase>"));
    ASSERT_EQ(tasks.size(), 1);
    ASSERT_EQ(tasks[0].Code.size(), 1);
    EXPECT_EQ(ConditionCount(tasks[0].Code[0]), 1); // an empty Value is loaded as it is
    EXPECT_EQ(ActionCount(tasks[0].Code[0]), 1);
}

TEST_F(TaskDatabase, AttributeGrammar)
{
    const auto suspended = [this](const char* text) {
        Load(QByteArray("<DataBase><Task><Description Parrent=\"\" Class=\"\" Suspended=\"") + text +
             "\"/></Task></DataBase>");
        return tasks.at(0).Suspended;
    };
    for (const char* yes : {"true", "TRUE", "tRuE", "1", "-3", "+0010"})
        EXPECT_TRUE(suspended(yes)) << yes;
    for (const char* no : {"false", "False", "0", "-000"})
        EXPECT_FALSE(suspended(no)) << no;
    for (const char* bad : {"", "yes", " true", "1.0", "+"})
        EXPECT_THROW(suspended(bad), EConvertError) << bad;

    const auto trust = [this](const char* text) {
        Load(QByteArray("<DataBase><Task><Information Name=\"\" Trust=\"") + text + "\"/></Task></DataBase>");
        return tasks.at(0).Trust;
    };
    EXPECT_EQ(trust("-2147483648"), INT_MIN);
    EXPECT_EQ(trust("007"), 7);
    for (const char* bad : {"", " 3", "3 ", "$10", "0x1", "2147483648", "three"})
        EXPECT_THROW(trust(bad), EConvertError) << bad;

    for (const char* bad : {"", "minus one", "-1.0"}) {
        EXPECT_THROW(Load(QByteArray("<DataBase><Task No=\"") + bad + "\"/></DataBase>"), EConvertError)
            << bad;
    }
}

TEST_F(TaskDatabase, AFailedLoadChangesNothing)
{
    const QByteArray failing[] = {
        "<DataBase><Task No=\"1\"><Information Name=\"a\" Trust=\"1\"/></Task>"
        "<Task No=\"2\"><Information Name=\"b\"/></Task></DataBase>",
        "<DataBase><Task No=\"-1\"><Code><Condition Type=\"String\" Variable=\"Name\" Value=\"x\"/>"
        "</Code></Task></DataBase>",
        "<DataBase><Task><Description Class=\"c\" Suspended=\"true\"/></Task></DataBase>",
        "<DataBase><Task No=\"1\"><Information Name=\"a\" Trust=\"1\"></Task></DataBase>",
        "",
    };
    for (const QByteArray& content : failing) {
        tasks = {Task("kept", 2)};
        every = Task("Every Task", 0);
        every.Code = {TCode()};
        EXPECT_THROW(Load(content), EVelmoraError) << content.constData();
        ASSERT_EQ(tasks.size(), 1);
        EXPECT_EQ(tasks[0].Name, "kept");
        EXPECT_EQ(every.Code.size(), 1);
    }
    EXPECT_THROW(Load("<DataBase><Task"), ETaskDatabaseError);

    // The file's name stands in the report as it is.
    const QString named = "50%1 done/TaskDatabase.xml";
    folder.Write(named, "<DataBase><Task");
    try {
        LoadTaskDatabase(named, tasks, every);
        ADD_FAILURE();
    } catch (const ETaskDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith("Cannot read \"" + named + "\": ")) << error.what();
        EXPECT_TRUE(error.Message().endsWith("(offset 14)")) << error.what();
    }
}

TEST_F(TaskDatabase, EveryTextSurvivesInAFileOtherXmlToolsRead)
{
    QString all;
    for (char16_t unit = 0; unit < 0x20; ++unit)
        all += QChar(unit);
    all += QString::fromUtf16(u"\"'<>&]]> é 😀 \uFFFE\uFFFF \uFDD0 \uFDD0001B \uFDD0FDD0 \uFDD0");
    QString broken = "a";
    broken += QChar(char16_t(0xD800)); // lone high surrogate
    broken += "b";
    broken += QChar(char16_t(0xDC00)); // lone low surrogate
    broken += QChar(char16_t(0xDC00));
    broken += QChar(char16_t(0xD800)); // a pair the wrong way round

    TTask task = Task(all, 1);
    task.Parrent = broken;
    task.Class = broken + all;
    task.Status = all;
    task.Executable = broken;
    TCode code;
    AppendCondition(code, all, broken, all, all);
    task.Code = {code};
    ASSERT_TRUE(SaveTaskDatabase(Path, {task}, every));
    QProcess lint;
    lint.start("xmllint", {"--noout", folder.Path() + "/" + Path});
    ASSERT_TRUE(lint.waitForFinished());
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
    ASSERT_TRUE(LoadTaskDatabase(Path, tasks, every));

    EXPECT_EQ(tasks[0].Name, all);
    EXPECT_EQ(tasks[0].Parrent, broken);
    EXPECT_EQ(tasks[0].Class, broken + all);
    EXPECT_EQ(tasks[0].Code, task.Code);
    EXPECT_EQ(ReadFile().find('\t'), std::string::npos); // written as references, so no reader folds them
    // Files written before keep loading as they did: references to control characters, and a
    // marker that starts no escape.
    ASSERT_TRUE(Load("<DataBase><Task><Information Name=\"&#27;[1m&#01;x\xEF\xB7\x90"
                     "001b\xEF\xB7\x90"
                     "0041\" Trust=\"0\"/></Task></DataBase>"));
    EXPECT_EQ(tasks[0].Name, QString::fromUtf16(u"\x1B[1m\x01x\uFDD0001b\uFDD00041"));
    // A text that starts with U+FEFF keeps it, and so does a relation whose Type is nothing else.
    const QString mark(QChar(0xFEFF));
    task = Task(mark + "Editor", 1);
    task.Class = mark;
    code = TCode();
    AppendAction(code, mark, mark + "v", mark, mark + "1");
    task.Code = {code};
    ASSERT_TRUE(SaveTaskDatabase(Path, {task}, every));
    ASSERT_TRUE(LoadTaskDatabase(Path, tasks, every));
    EXPECT_EQ(tasks[0].Name, mark + "Editor");
    EXPECT_EQ(tasks[0].Class, mark);
    EXPECT_EQ(tasks[0].Code, task.Code);
}

TEST_F(TaskDatabase, AFailedSaveLeavesThePreviousFile)
{
    WriteFile("<DataBase/>");
    TTask big = Task(QString(100000, u'x'), 0);

    {
        // The new file fails part-way.
        const FullDisk full(4096);
        EXPECT_THROW(SaveTaskDatabase(Path, {big}, every), ETaskDatabaseError);
    }

    EXPECT_EQ(ReadFile(), "<DataBase/>");
    EXPECT_EQ(QDir(folder.Path() + "/Database").entryList(QDir::Files), QStringList{"TaskDatabase.xml"});

    EXPECT_THROW(SaveTaskDatabase("Missing/TaskDatabase.xml", {big}, every), ETaskDatabaseError);
}

TEST(TaskXml, TaskElementsAloneWithoutAFile)
{
    pugi::xml_document document;
    pugi::xml_node element = document.append_child("Task");
    TTask task = Task("solo", 4);
    task.Code = {TCode(), TCode()};
    SaveTaskToXml(task, element);

    TTask loaded = Task("other", 1);
    loaded.Notification = "pending";
    LoadTaskFromXml(loaded, element);
    EXPECT_EQ(loaded.Name, "solo");
    EXPECT_EQ(loaded.Trust, 4);
    EXPECT_EQ(loaded.Code.size(), 2);
    EXPECT_TRUE(loaded.Notification.isEmpty());
}

} // namespace
