#include "tasks/TaskClasses.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

const QString LCR = LastCalculationResultMarker;
const QString PVV = PreviousVariableValueMarker;
const QString Perform = ExecuteActionMarker;

// The register lives for the whole run; each test starts from an empty one.
void ResetLastCalculationResult()
{
    LastCalculationResult.clear();
}

TRelation Rel(const QString& type, const QString& variable, const QString& comparative, const QString& value)
{
    return TRelation{type, variable, comparative, value};
}

template <typename Run> QString ErrorOf(Run run)
{
    try {
        run();
    } catch (const EVelmoraError& error) {
        return error.Message();
    }
    return QString();
}

class Rules : public testing::Test {
protected:
    void SetUp() override
    {
        ResetLastCalculationResult();
        ClearTask(task);
        task.Name = "notepad";
        task.Trust = 2;
        task.PrevTrust = 3;
        task.Memory = 120;
        task.PrevMemory = 100;
    }

    // A task script of one code.
    void Run(const TCodeRelation& conditions, const TCodeRelation& actions)
    {
        task.Code = {TCode{conditions, actions}};
        RunTaskScript(task);
    }

    TTask task;
};

TEST(TextToInt, AcceptsExactlyTheIntegerForms)
{
    const std::pair<const char*, int> valid[] = {
        {"", 0},
        {"0", 0},
        {"  42", 42},
        {"+7", 7},
        {"-0012", -12},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},
        {"$7fffffff", INT_MAX},
        {"x10", 16},
        {"X1f", 31},
        {"0x80000000", INT_MIN},
        {"0X0000000001", 1},
        {"-$1", -1},
        {" -0x10", -16},
    };
    for (const auto& [text, value] : valid)
        EXPECT_EQ(TextToInt(text), value) << text;

    const char* invalid[] = {" ",
                             "+",
                             "-",
                             "12 ",
                             "1 2",
                             "- 1",
                             "2147483648",
                             "-2147483649",
                             "$",
                             "0x",
                             "$100000000",
                             "0x1g",
                             "1.0",
                             "abc",
                             "\t1",
                             "$-1",
                             "٣",
                             "1e3",
                             "99999999999999999999"};
    for (const char* text : invalid)
        EXPECT_THROW(TextToInt(QString::fromUtf8(text)), EConvertError) << text;

    EXPECT_EQ(ErrorOf([] { TextToInt("abc"); }), "'abc' is not a valid integer value");
}

TEST(TextIsTrue, FoldsOnlyAToZAndAllowsNothingAround)
{
    EXPECT_TRUE(TextIsTrue("True"));
    EXPECT_TRUE(TextIsTrue("tRUE"));
    EXPECT_FALSE(TextIsTrue(" True"));
    EXPECT_FALSE(TextIsTrue("1"));
    EXPECT_FALSE(TextIsTrue(QString::fromUtf16(u"truÉ")));
}

TEST_F(Rules, ComparisonsByType)
{
    EXPECT_TRUE(CompareRelation(Rel("string", "Name", "==", "NOTEPAD"), "notepad", ""));
    EXPECT_EQ(LastCalculationResult, "True");
    EXPECT_FALSE(
        CompareRelation(Rel("String", "Name", "=", QString::fromUtf16(u"É")), QString::fromUtf16(u"é"), ""));
    EXPECT_EQ(LastCalculationResult, "False");
    EXPECT_TRUE(CompareRelation(Rel("String", "Name", "<", "ab"), "a", ""));
    EXPECT_TRUE(CompareRelation(Rel("String", "Name", "<", "b"), "A", ""));
    // Where one text has ended it counts as unit 0: trailing NULs do not make a text greater.
    const QString nul(1, QChar(u'\0'));
    EXPECT_TRUE(CompareRelation(Rel("String", "Name", "==", "a" + nul), "A", ""));
    EXPECT_TRUE(CompareRelation(Rel("String", "Name", ">", "a"), "A" + nul + "b", ""));
    EXPECT_TRUE(CompareRelation(Rel("String", "Name", "<", "A" + nul + nul + "b"), "a", ""));
    // Integers compare their true values; a difference that wraps would say the opposite.
    EXPECT_TRUE(CompareRelation(Rel("Integer", "Trust", ">", "-2147483648"), "2147483647", ""));
    EXPECT_TRUE(CompareRelation(Rel("INT", "Trust", "<=", "$10"), "16", ""));
    EXPECT_TRUE(CompareRelation(Rel("bool", "Responding", "!=", "yes"), "TRUE", ""));
    EXPECT_TRUE(CompareRelation(Rel("Colour", "Name", "==", "x"), "y", "")); // unknown type: d = 0
    EXPECT_FALSE(CompareRelation(Rel("Integer", "Trust", "=>", "1"), "1", ""));
    EXPECT_THROW(CompareRelation(Rel("Integer", "Name", "==", "1"), "notepad", ""), EConvertError);
}

TEST_F(Rules, IntegerCalculationsWrapTruncateAndFail)
{
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "+", "1"), "2147483647", ""), INT_MIN);
    EXPECT_EQ(LastCalculationResult, "-2147483648");
    EXPECT_EQ(CalculateRelation(Rel("Int", "Memory", "*", "65536"), "65536", ""), 0);
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "-", "1"), "-2147483648", ""), INT_MAX);
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "~", "3"), "10", ""), -7);
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "/", "2"), "-7", ""), -3);
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "\\", "-7"), "2", ""), -3);
    EXPECT_EQ(CalculateRelation(Rel("Integer", "Memory", "%", "x"), "y", ""), 0); // nothing converted

    LastCalculationResult = "kept";
    EXPECT_EQ(ErrorOf([] { CalculateRelation(Rel("Integer", "Memory", "/", "0"), "5", ""); }),
              "Division by zero");
    EXPECT_THROW(CalculateRelation(Rel("Integer", "Memory", "\\", "1"), "0", ""), EDivByZero);
    EXPECT_THROW(CalculateRelation(Rel("Integer", "Memory", "/", "-1"), "-2147483648", ""), EIntOverflow);
    EXPECT_EQ(LastCalculationResult, "kept");
    // The operand converted first is the one the message names.
    EXPECT_EQ(ErrorOf([] { CalculateRelation(Rel("Integer", "Memory", "-", "b"), "a", ""); }),
              "'a' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { CalculateRelation(Rel("Integer", "Memory", "~", "b"), "a", ""); }),
              "'b' is not a valid integer value");
}

TEST_F(Rules, StringAndBooleanCalculations)
{
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "-", "ab"), QString::fromUtf16(u"x😀"), ""), 1);
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "+", "ab"), "xyz", ""), 5);
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "/", "pad"), "notepad", ""), 5);
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "\\", "notepad"), "note", ""), 1);
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "/", "Pad"), "notepad", ""), 0);
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "\\", "notepad"), "", ""), 0); // empty needle
    EXPECT_EQ(CalculateRelation(Rel("String", "Name", "*", "a"), "b", ""), 0);
    EXPECT_EQ(CalculateRelation(Rel("Boolean", "Responding", "+", "True"), "true", ""), 1);
    EXPECT_EQ(CalculateRelation(Rel("Boolean", "Responding", "+", "False"), "True", ""), 0);
    EXPECT_EQ(CalculateRelation(Rel("Bool", "Responding", "-", "False"), "True", ""), 1);
    EXPECT_EQ(LastCalculationResult, "1");
    EXPECT_EQ(CalculateRelation(Rel("Other", "Memory", "+", "x"), "y", ""), 0);
}

TEST_F(Rules, MergesAndTheBoundOfTheRegister)
{
    EXPECT_EQ(MergeRelation(Rel("", "Name", "/", "B"), "A", ""), "AB");
    EXPECT_EQ(MergeRelation(Rel("", "Name", "\\", "B"), "A", ""), "BA");
    EXPECT_EQ(MergeRelation(Rel("", "Name", "+", "B"), "A", ""), "");
    EXPECT_EQ(LastCalculationResult, "");

    // A merge that feeds the register back into itself cannot grow it without bound.
    const QString chunk(40000, u'x');
    LastCalculationResult = chunk;
    for (int i = 0; i < 3; ++i)
        MergeRelation(Rel("String", "Name", "\\", LCR), QString(40000, u'y'), "");
    EXPECT_EQ(LastCalculationResult.size(), MaxCalculationResultLength);
    EXPECT_TRUE(LastCalculationResult.startsWith(chunk));
    EXPECT_TRUE(LastCalculationResult.endsWith(u'y'));
}

TEST_F(Rules, MarkersAreSubstitutedAndCannotLoop)
{
    // At start the register is empty, which an integer reads as 0.
    EXPECT_TRUE(CompareRelation(Rel("Integer", "Trust", "==", LCR), "0", ""));
    EXPECT_TRUE(CompareRelation(Rel("Integer", "Trust", "<", PVV), "2", "3"));

    // A register holding the previous-value marker makes the register's marker read the previous
    // value, and a previous value that is a marker is replaced once more.
    LastCalculationResult = PVV;
    EXPECT_EQ(MergeRelation(Rel("", "Name", "/", LCR), "a", "b"), "ab");
    LastCalculationResult = "r";
    EXPECT_EQ(MergeRelation(Rel("", "Name", "/", PVV), "a", LCR), "ar");

    // A register holding its own marker is taken as it stands instead of being substituted forever.
    LastCalculationResult = LCR;
    EXPECT_EQ(MergeRelation(Rel("", "Name", "/", LCR), "a", ""), "a" + LCR);
    LastCalculationResult = LCR;
    EXPECT_EQ(MergeRelation(Rel("", "Name", "\\", PVV), "a", LCR), LCR + "a");
}

TEST_F(Rules, ConditionsGateTheActions)
{
    const TRelation rename = Rel(Perform, "setname", "=", "renamed");
    Run({Rel("String", "Name", "==", "NotePad")}, {rename});
    EXPECT_EQ(task.Name, "renamed");

    task.Name = "notepad";
    Run({Rel("Integer", "Trust", ">", "5"), Rel("Integer", "Trust", "+", "x")}, {rename});
    EXPECT_EQ(task.Name, "notepad");
    EXPECT_EQ(LastCalculationResult, "False"); // the second condition was skipped

    // Conditions without a known variable, and performed actions among the conditions, do nothing.
    Run({Rel("String", "name", "==", "other"), Rel(Perform, "SetName", "=", "x")}, {rename});
    EXPECT_EQ(task.Name, "renamed");

    // A code without conditions always acts; a failed comparison among the actions stops nothing.
    task.Name = "notepad";
    Run({}, {Rel("String", "Name", "==", "x"), rename});
    EXPECT_EQ(task.Name, "renamed");
    EXPECT_EQ(LastCalculationResult, "False");
}

TEST_F(Rules, CalculationsFeedLaterRelations)
{
    Run({Rel("Integer", "Memory", "-", PVV)}, {Rel(Perform, "Notification", "=", LCR)});
    EXPECT_EQ(task.Notification, "20");

    // A calculation on a text variable is an integer calculation only when typed exactly "Integer".
    Run({Rel("integer", "Name", "/", "!")}, {Rel(Perform, "SetStatus", "=", LCR)});
    EXPECT_EQ(task.Status, "notepad!");
    EXPECT_EQ(ErrorOf([this] { Run({Rel("Integer", "Name", "+", "1")}, {}); }),
              "'notepad' is not a valid integer value");

    // "Handle" reads unsigned, beyond what an integer holds.
    task.Handle = 0x80000000u;
    EXPECT_THROW(Run({Rel("Integer", "Handle", ">", "0")}, {}), EConvertError);
    Run({Rel("String", "Handle", "==", "2147483648")}, {Rel(Perform, "SetName", "=", "big")});
    EXPECT_EQ(task.Name, "big");
}

TEST_F(Rules, PerformedActions)
{
    Run({}, {Rel(Perform, "Running", "=", "false"), Rel(Perform, "SUSPENDED", "?", "1")});
    EXPECT_TRUE(task.KillRequested);
    EXPECT_FALSE(task.SuspendRequested);
    EXPECT_TRUE(task.ResumeRequested);

    Run({}, {Rel(Perform, "Running", "=", "TRUE"), Rel(Perform, "Suspended", "=", "true")});
    EXPECT_FALSE(task.KillRequested);
    EXPECT_TRUE(task.SuspendRequested);
    EXPECT_FALSE(task.ResumeRequested);

    LastCalculationResult = "kept";
    Run({}, {Rel(Perform, "Nothing", "=", LCR), Rel(Perform, "Unknown", "=", "x")});
    EXPECT_EQ(LastCalculationResult, "kept");
    Run({}, {Rel(Perform, "nothing", "=", "5"), Rel(Perform, "Notification", "=", PVV)});
    EXPECT_EQ(LastCalculationResult, "5");
    EXPECT_EQ(task.Notification, PVV); // an action's argument is not the previous value

    Run({}, {Rel(Perform, "SetTrust", "=", "9")});
    EXPECT_EQ(task.Trust, 9);
}

TEST_F(Rules, EffectsAreImmediateAndAFailureKeepsThem)
{
    TCode first{{}, {Rel(Perform, "SetTrust", "=", "2147483647")}};
    TCode second{{Rel("Integer", "Trust", ">", "-2147483648")}, {Rel(Perform, "SetName", "=", "seen")}};
    TCode failing{{},
                  {Rel(Perform, "SetStatus", "=", "before"), Rel(Perform, "SetTrust", "=", "high"),
                   Rel(Perform, "SetStatus", "=", "after")}};
    TCode never{{}, {Rel(Perform, "Notification", "=", "never")}};
    task.Code = {first, second, failing, never};

    EXPECT_EQ(ErrorOf([this] { RunTaskScript(task); }), "'high' is not a valid integer value");
    EXPECT_EQ(task.Name, "seen");
    EXPECT_EQ(task.Status, "before");
    EXPECT_TRUE(task.Notification.isEmpty());
    EXPECT_EQ(task.Code.size(), 4); // the script itself is never changed
}

TEST_F(Rules, TheGlobalScriptRunsOnACopyOfTheTask)
{
    TTask every;
    ClearTask(every);
    every.Name = EveryTaskName;
    every.Code = {TCode{{Rel("Integer", "Trust", "<", PVV)}, {Rel(Perform, "Notification", "=", "fell")}}};

    AssignTaskState(every, task);
    RunTaskScript(every);
    AssignTaskState(task, every);

    EXPECT_EQ(task.Notification, "fell");
    EXPECT_TRUE(task.Code.isEmpty());
    EXPECT_EQ(every.Code.size(), 1);
}

} // namespace
