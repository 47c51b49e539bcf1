#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevant {

// Window texts arrive as UTF-8 (the EWMH names, file paths) or Latin-1 (the ICCCM STRING type).
// Malformed UTF-8 becomes U+FFFD rather than being dropped, so a title never loses its length.
std::u16string FromUtf8(std::string_view text);
std::u16string FromLatin1(std::string_view text);

// The library's string result: at most `capacity` units into `buffer`, no terminator, full length
// returned so the caller can ask again with room enough.
int32_t WriteResult(const std::u16string& text, char16_t* buffer, int32_t capacity);

} // namespace brevant
