#include "range/range.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <string>

#include "strings/numbers.h"

namespace vorlanex {

namespace {

std::int32_t saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t skip_space(std::string_view text, std::size_t pos) {
    while (pos < text.size() && is_space(text[pos])) ++pos;
    return pos;
}

// Saturation keeps a number far past 32 bits out of every valid range
// instead of wrapping it into a small one.
std::int32_t number_at(std::string_view text, std::size_t pos) {
    return saturate(number_or_zero(text.substr(pos)));
}

}  // namespace

Range Range_new(std::int32_t start, std::int32_t end) {
    Range range;
    range.start = start;
    range.end = end;
    return range;
}

Range Range_parse(std::string_view text) {
    Range range = Range_new(0, 0x10000);
    if (text.empty()) return range;

    const std::size_t dash = text.find('-');
    const std::size_t first = skip_space(text, 0);
    if (first < text.size() && text[first] != '-') range.start = number_at(text, first);
    if (dash == std::string_view::npos) {
        range.end = -1;
        return range;
    }
    const std::size_t second = skip_space(text, dash + 1);
    if (second < text.size()) range.end = number_at(text, second);
    return range;
}

bool Range_valid(const Range& range) {
    return range.min <= range.start && range.start <= range.end && range.end <= range.max;
}

bool Range_inside(const Range& range, const Range& outer) {
    return range.start >= outer.start && range.end <= outer.end;
}

}  // namespace vorlanex
