// Closed integer ranges such as "0-7", as the bit-range form of the command
// grammar writes them.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorlanex {

struct Range {
    std::int32_t start = 0;
    std::int32_t end = 0;  ///< included; -1 when the text held a single number
    std::int32_t min = 0;
    std::int32_t max = 0x10000;
};

Range Range_new(std::int32_t start, std::int32_t end);

/// Never fails: "" is 0 to 0x10000, "3" is 3 to -1, "3-5", "-5" (0 to 5),
/// "3-" (3 to 0x10000); numbers as strtol with base 0 reads them, and numbers
/// beyond 32 bits saturate, so they fall outside every valid range.
Range Range_parse(std::string_view text);

/// min <= start <= end <= max.
bool Range_valid(const Range& range);
/// The range lies within `outer`.
bool Range_inside(const Range& range, const Range& outer);

}  // namespace vorlanex
