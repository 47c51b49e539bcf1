// Any file loads or fails with the system's own error, and what loads comes back equal from a
// save and a second load.
#include "tasks/TaskClasses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>

namespace {

// A save leaves out the relations without a Type or a Value.
void DropUnsaved(TTask& task)
{
    const auto unsaved = [](const TRelation& r) { return r.Type.isEmpty() || r.Value.isEmpty(); };
    for (TCode& code : task.Code) {
        code.Conditions.removeIf(unsaved);
        code.Actions.removeIf(unsaved);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("velmora-fuzz-%1.xml").arg(QCoreApplication::applicationPid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    TTaskArray tasks;
    TTask every;
    try {
        LoadTaskDatabase(path, tasks, every);
    } catch (const EVelmoraError&) {
        return 0;
    }
    every.Name = EveryTaskName;
    DropUnsaved(every);
    for (TTask& task : tasks)
        DropUnsaved(task);
    if (!SaveTaskDatabase(path, tasks, every))
        return 0;
    TTaskArray again;
    TTask everyAgain;
    LoadTaskDatabase(path, again, everyAgain);
    if (again != tasks || everyAgain != every)
        std::abort();
    return 0;
}
