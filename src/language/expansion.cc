#include "language/expansion.h"

#include <array>
#include <cstdio>
#include <string>

#include "language/grammar.h"
#include "strings/numbers.h"

namespace vorlanex {

namespace {

struct PinField {
    std::string_view name;
    std::uint8_t Expansion::*field;
};

constexpr std::array<PinField, 4> kPins = {{
    {"clock", &Expansion::clock_pin},
    {"data", &Expansion::data_pin},
    {"latch", &Expansion::latch_pin},
    {"enable", &Expansion::enable_pin},
}};

void report(const char* format, std::string_view text) {
    std::fprintf(stderr, format, static_cast<int>(text.size()), text.data());
}

// "a3" is 0x03, "b5" 0x0D: the pin in bits 0-2, bit 3 set for port b. The
// number is checked before the port letter.
std::optional<std::uint8_t> parsePin(std::string_view value) {
    const auto number = value.size() < 2 ? std::nullopt : read_number(value.substr(1), 10);
    if (!number) {
        report("error: '%.*s': invalid pin number\n", value);
        return std::nullopt;
    }
    const std::uint8_t pin = low_byte(number->value);
    if (pin > 7) {
        report("error: '%.*s': pin number out of range (0-7)\n", value.substr(1));
        return std::nullopt;
    }
    switch (value[0]) {
        case 'a':
        case 'A':
            return pin;
        case 'b':
        case 'B':
            return static_cast<std::uint8_t>(8 + pin);
        default:
            report("error: '%.*s': invalid port name\n", value.substr(0, 1));
            return std::nullopt;
    }
}

}  // namespace

bool Expansion_parse(Expansion& expansion, std::string_view statement,
                     const Definitions& definitions) {
    // Every statement is offered here first: decide from its first word,
    // before splitting it all, when that word can be no declaration.
    const std::size_t start = statement.find_first_not_of(ws);
    if (start == std::string_view::npos) return false;
    const std::string_view first =
        statement.substr(start, statement.find_first_of(ws, start) - start);
    if (parseAction(first) != ACTION_EXPAND && !StringList_has_definition(definitions, first)) {
        return false;
    }
    // A statement whose symbols cannot be expanded is no declaration; the
    // command grammar, which reads it next, reports why.
    StringList words;
    if (!StringList_append_tokenized(words, statement, definitions, ws, true)) return false;
    if (parseAction(StringList_get(words, 0)) != ACTION_EXPAND) return false;
    if (words.num_items() < 2) {
        std::fputs("error: no pin specification found for 'clock'\n", stderr);
        return false;
    }
    std::array<bool, kPins.size()> found{};
    for (int i = 1; i < words.num_items(); ++i) {
        const std::string_view word = *StringList_get(words, i);
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos) {
            report("error: '%.*s': expected <name>=<value>\n", word);
            return false;
        }
        const std::string_view name = word.substr(0, equals);
        const std::string_view value = word.substr(equals + 1);
        if (equal_ignoring_case(name, "ports")) {
            const auto number = read_number(value, 10);
            if (!number) {
                report("error: '%.*s': invalid number of ports\n", value);
                return false;
            }
            Expansion_set_num_ports(expansion, low_byte(number->value));
            continue;
        }
        for (std::size_t p = 0; p < kPins.size(); ++p) {
            if (!equal_ignoring_case(name, kPins[p].name)) continue;
            const auto pin = parsePin(value);
            if (!pin) return false;
            expansion.*kPins[p].field = *pin;
            found[p] = true;
        }
    }
    for (std::size_t p = 0; p < kPins.size(); ++p) {
        if (!found[p]) {
            report("error: no pin specification found for '%.*s'\n", kPins[p].name);
            return false;
        }
    }
    if (expansion.num_ports() == 0) {
        std::fputs("error: number of available expansion ports not specified\n", stderr);
        return false;
    }
    return true;
}

}  // namespace vorlanex
