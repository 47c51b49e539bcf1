// A task's script built from the input runs twice against a task and is shown as text; the only
// errors are the system's own. Input: one relation a line, "C" (condition) or "A" (action) and its
// Type, Variable, Comparative and Value, separated by tabs; a line "-" starts the next code.
#include "tasks/TaskClasses.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TTask task;
    task.Name = QStringLiteral("Editor");
    task.Handle = 42;
    task.Trust = 1;
    task.Status = QStringLiteral("Running");
    task.Memory = 120;
    task.Code = {TCode()};
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& line : input.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("-")) {
            task.Code.append(TCode());
            continue;
        }
        const QStringList fields = line.mid(1).split(QLatin1Char('\t'));
        const QString field[4] = {fields.value(0), fields.value(1), fields.value(2), fields.value(3)};
        if (line.startsWith(QLatin1Char('C')))
            AppendCondition(task.Code.back(), field[0], field[1], field[2], field[3]);
        else if (line.startsWith(QLatin1Char('A')))
            AppendAction(task.Code.back(), field[0], field[1], field[2], field[3]);
    }
    for (int run = 0; run < 2; ++run) {
        try {
            RunTaskScript(task);
        } catch (const EVelmoraError&) {
        }
        RememberTaskValues(task);
    }
    for (const TCode& code : task.Code)
        CodeToText(code);
    return 0;
}
