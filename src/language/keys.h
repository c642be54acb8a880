// Key names and key specifications.
//
// A key specification is a number (a "$" hexadecimal number, or any notation
// strtol reads with base 0), a key name or synonym in any case, or the name of
// a definition whose text is a key specification. Numbers keep their low
// eight bits; 0xFB to 0xFF are image tags and the immediate key, never keys.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "strings/strings.h"

namespace vorlanex {

struct Symbol {
    std::string_view name;
    std::uint8_t code;
};

inline constexpr std::size_t kNumMatrixKeys = 64;

/// Rows 0 to 63: the primary name of key code i; then the synonyms, in the
/// order in which the key listing shows them.
extern const std::array<Symbol, 97> symbols;

/// The row whose name equals `name` ignoring case, or none.
const Symbol* find_symbol(std::string_view name);

/// True with `code` written when the text is a key specification. A number
/// whose low byte is 0xFB or above adds the reserved-slot message; a
/// definition that leads back to itself adds its "error: " message. Other
/// failures add nothing.
bool Key_parse(std::uint8_t& code, std::string_view text, const Definitions& definitions,
               Messages& messages);

/// True with `value` written when the word is a value: a key specification,
/// a "%" binary number, or a decimal number (low eight bits). None is false.
bool parseData(std::optional<std::string_view> word, std::uint8_t& value,
               const Definitions& definitions, Messages& messages);

}  // namespace vorlanex
