#include "sim/text.h"

#include <cstdarg>
#include <cstdio>

namespace vorlanex::sim {

std::string printed(const char* format, ...) {
    char text[256];
    va_list values;
    va_start(values, format);
    std::vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return text;
}

std::string hex(std::span<const std::uint8_t> bytes, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += separator;
        text += printed("%02x", bytes[i]);
    }
    return text;
}

}  // namespace vorlanex::sim
