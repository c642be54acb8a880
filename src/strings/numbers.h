// Numbers as the C runtime's strtol reads them.
//
// The configuration language follows strtol's conventions everywhere (leading
// white space, an optional sign, base 0 for "0x" hexadecimal and leading-0
// octal, reading stops at the first character that does not fit). These
// helpers call strtol on a terminated copy of a word, so that words can be
// handed around as string views.
#pragma once

#include <optional>
#include <string_view>

namespace vorlanex {

struct ParsedNumber {
    long value = 0;
    std::size_t length = 0;  ///< characters consumed, leading white space and sign included
};

/// Reads a number from the start of `text` as strtol with `base` does; none
/// when strtol reads no digit, and none for a number beyond the range of a
/// long, whose low bits strtol could not give.
std::optional<ParsedNumber> read_number(std::string_view text, int base);

/// The low eight bits of a number, as a byte field takes it.
inline unsigned char low_byte(long value) {
    return static_cast<unsigned char>(value & 0xFF);
}

/// Letters compared without regard to case (ASCII), whole texts.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace vorlanex
