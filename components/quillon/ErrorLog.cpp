#include "ErrorLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace quillon {

void ErrorLog::Write(const char* format, ...)
{
    if (!enabled_)
        return;
    char line[512];
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    size_t length = strftime(line, sizeof line, "%Y-%m-%d %H:%M:%S  ", &local);
    va_list arguments;
    va_start(arguments, format);
    const int written = vsnprintf(line + length, sizeof line - length - 1, format, arguments);
    va_end(arguments);
    if (written < 0)
        return;
    length += std::min(static_cast<size_t>(written), sizeof line - length - 2);
    line[length++] = '\n';
    // A log that cannot be written is given up silently: the library never reports to the user.
    const int fd = open("Database/MemoryError.txt", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    (void)!write(fd, line, length);
    close(fd);
}

} // namespace quillon
