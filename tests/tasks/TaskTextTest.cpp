#include "tasks/TaskClasses.h"

#include <gtest/gtest.h>

namespace {

const QString M = LastCalculationResultMarker;
const QString Perform = ExecuteActionMarker;

TCode Code(const TCodeRelation& conditions, const TCodeRelation& actions)
{
    return TCode{conditions, actions};
}

TEST(RuleText, WorkedExamples)
{
    const std::pair<TCode, const char*> examples[] = {
        {Code({}, {}), "When (always) do {nothing}"},
        {Code({{"String", "Name", "==", "notepad"}}, {{Perform, "Running", "=", "False"}}),
         "When (Name == \"notepad\") do { Running = \"False\"; }"},
        {Code({{"Integer", "Memory", "+", "5"}, {"Integer", M, ">", "100"}}, {}),
         "When (Memory + \"5\" > \"100\") do {nothing}"},
        {Code({{"String", "Name", "==", "a"}, {"Integer", "Trust", ">", "0"}},
              {{Perform, "SetTrust", "=", "3"}, {Perform, "Notification", "=", "NEW TASK RUNNING"}}),
         "When (Name == \"a\") and (Trust > \"0\") do { SetTrust = \"3\";  Notification = \"NEW TASK "
         "RUNNING\"; }"},
        {Code({{"String", "Status", "!=", PreviousVariableValueMarker}}, {}),
         "When (Status != \"Previous variable value\") do {nothing}"},
        {Code({{"Boolean", "Responding", "+", "True"}}, {}), "When (Responding and \"True\") do {nothing}"},
        {Code({{"Integer", M, ">", "10"}}, {}), "When  > \"10\") do {nothing}"},
        {Code({}, {{Perform, "Notification", "=", M}}), "When (always) do { = Notification; }"},
    };
    for (const auto& [code, text] : examples)
        EXPECT_EQ(CodeToText(code), QString::fromUtf8(text));
}

TEST(RuleText, SkippedRelationsLeaveTheirPlaceholders)
{
    const TCode code = Code({{"", "Name", "==", "a"}, {"String", "Name", "==", ""}, {"Integer", M, "+", M}},
                            {{Perform, "SetName", "=", ""}, {"", "SetTrust", "=", "1"}});
    EXPECT_EQ(CodeToText(code), "When (always) do {nothing}");
    EXPECT_EQ(ConditionCount(code), 3);

    EXPECT_EQ(CodeToText(Code({{"String", "Name", "==", "say \"hi\""}}, {})),
              "When (Name == \"say \"hi\"\") do {nothing}");
}

TEST(RuleText, OperatorsAndValuesAsShown)
{
    EXPECT_EQ(OperatorDisplayText("String", "/"), "+");
    EXPECT_EQ(OperatorDisplayText("String", "\\"), "inv+");
    EXPECT_EQ(OperatorDisplayText("Boolean", "-"), "or");
    EXPECT_EQ(OperatorDisplayText("Integer", "~"), "inv-");
    EXPECT_EQ(OperatorDisplayText("string", "/"), "/");
    EXPECT_EQ(OperatorDisplayText("Int", "~"), "~");
    EXPECT_EQ(OperatorDisplayText("Integer", "/"), "/");

    EXPECT_EQ(ValueDisplayText(M), "Last calculation result");
    EXPECT_EQ(ValueDisplayText(Perform), "Perform");
    EXPECT_EQ(ValueDisplayText(" " + M), " " + M);
    EXPECT_EQ(BoolToText(true), "True");
    EXPECT_EQ(BoolToText(false), "False");
}

} // namespace
