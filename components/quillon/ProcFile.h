#pragma once

#include <cstddef>
#include <string_view>

namespace quillon {

// Reads a small kernel file into `buffer` with plain system calls (safe after fork(), no
// allocation); an empty view when it cannot be read.
std::string_view ReadProcFile(const char* path, char* buffer, size_t size);

} // namespace quillon
