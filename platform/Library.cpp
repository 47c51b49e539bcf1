#include "platform/Library.h"

#include <QFile>
#include <dlfcn.h>

HMODULE LoadLibrary(const QString& path)
{
    QByteArray file = QFile::encodeName(path);
    // A name without a slash would be looked up on the loader's search path, not in this folder.
    if (!file.contains('/'))
        file.prepend("./");
    return dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(HMODULE module, const char* name)
{
    if (module == nullptr)
        return nullptr;
    return dlsym(module, name);
}

void FreeLibrary(HMODULE module)
{
    if (module != nullptr)
        dlclose(module);
}
