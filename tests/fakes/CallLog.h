#pragma once

// The calls a fake library records for its test, one a line, oldest first. Plain C storage: the
// library must unload completely, so that each test loads a fresh copy.
#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

char calls[1 << 16];
size_t used = 0;

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(calls + used, sizeof calls - used - 1, format, arguments);
    va_end(arguments);
    if (written > 0)
        used = std::min(used + static_cast<size_t>(written), sizeof calls - 2);
    calls[used++] = '\n';
    calls[used] = '\0';
}

} // namespace
