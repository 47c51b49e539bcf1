#include "Utf16.h"

#include <algorithm>

namespace brevant {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void Append(std::u16string& out, char32_t code)
{
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

} // namespace

std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, minimum = 0x10000;
        } else {
            Append(out, Replacement);
            ++i;
            continue;
        }
        size_t next = i + 1;
        bool valid = true;
        for (int k = 0; k < extra; ++k, ++next) {
            if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
        }
        if (!valid || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            Append(out, Replacement);
            i = next > i + 1 ? next : i + 1;
            continue;
        }
        Append(out, code);
        i = next;
    }
    return out;
}

std::u16string FromLatin1(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

int32_t WriteResult(const std::u16string& text, char16_t* buffer, int32_t capacity)
{
    const auto length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    if (buffer != nullptr && capacity > 0)
        std::copy_n(text.data(), std::min(length, capacity), buffer);
    return length;
}

} // namespace brevant
