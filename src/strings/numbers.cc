#include "strings/numbers.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace vorlanex {

std::optional<ParsedNumber> read_number(std::string_view text, int base) {
    const std::string terminated(text);
    const char* begin = terminated.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, base);
    if (end == begin || errno == ERANGE) return std::nullopt;
    return ParsedNumber{value, static_cast<std::size_t>(end - begin)};
}

std::int64_t number_or_zero(std::string_view text) {
    const std::string terminated(text);
    return std::strtoll(terminated.c_str(), nullptr, 0);
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // ASCII only, as the language's words are; no locale to consult.
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace vorlanex
