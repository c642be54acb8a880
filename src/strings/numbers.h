// Numbers as the C runtime's strtoll reads them.
//
// The configuration language follows strtol's conventions everywhere (leading
// white space, an optional sign, base 0 for "0x" hexadecimal and leading-0
// octal, reading stops at the first character that does not fit). Numbers are
// 64 bits wide on every platform (a long has 32 on some), so that a text
// means the same wherever it is read. These helpers work on a terminated copy
// of a word, so that words can be handed around as string views.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vorlanex {

struct ParsedNumber {
    std::int64_t value = 0;
    std::size_t length = 0;  ///< characters consumed, leading white space and sign included
};

/// Reads a number from the start of `text` as strtol with `base` does; none
/// when strtoll reads no digit, and none for a number beyond 64 bits, whose
/// low bits strtoll could not give.
std::optional<ParsedNumber> read_number(std::string_view text, int base);

/// The low eight bits of a number, as a byte field takes it.
inline unsigned char low_byte(std::int64_t value) {
    return static_cast<unsigned char>(value & 0xFF);
}

/// The number at the start of `text` as strtoll with base 0 reads it: 0 when
/// there is none, the nearest limit for one beyond 64 bits.
std::int64_t number_or_zero(std::string_view text);

/// Letters compared without regard to case (ASCII), whole texts.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace vorlanex
