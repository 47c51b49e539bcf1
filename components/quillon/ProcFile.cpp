#include "ProcFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillon {

std::string_view ReadProcFile(const char* path, char* buffer, size_t size)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    size_t length = 0;
    while (length < size) {
        const ssize_t got = read(fd, buffer + length, size - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        length += static_cast<size_t>(got);
    }
    close(fd);
    return {buffer, length};
}

} // namespace quillon
