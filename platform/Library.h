#pragma once

#include <QString>

// A loaded library; nullptr when none.
using HMODULE = void*;

// Loads a shared object by path (relative to the working directory) and resolves all its
// symbols now; nullptr when it cannot be loaded.
HMODULE LoadLibrary(const QString& path);
// The address exported under `name`, nullptr when there is none.
void* GetProcAddress(HMODULE module, const char* name);
void FreeLibrary(HMODULE module);
