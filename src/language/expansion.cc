#include "language/expansion.h"

#include <array>
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

// "a3" is 0x03, "b5" 0x0D: the pin in bits 0-2, bit 3 set for port b. The
// number is checked before the port letter.
std::optional<std::uint8_t> parse_pin(std::string_view value, Messages& messages) {
    const auto number = value.size() < 2 ? std::nullopt : read_number(value.substr(1), 10);
    if (!number) {
        messages.add(word_error(value, "invalid pin number"));
        return std::nullopt;
    }
    const std::uint8_t pin = low_byte(number->value);
    if (pin > 7) {
        messages.add(word_error(value.substr(1), "pin number out of range (0-7)"));
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
            messages.add(word_error(value.substr(0, 1), "invalid port name"));
            return std::nullopt;
    }
}

}  // namespace

bool Expansion_parse(Expansion& expansion, std::string_view statement,
                     const Definitions& definitions, Messages& messages) {
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
    Messages ignored;
    if (!StringList_append_tokenized(words, statement, definitions, ignored)) return false;
    if (parseAction(StringList_get(words, 0)) != ACTION_EXPAND) return false;
    if (words.num_items() < 2)
        return messages.fail("error: no pin specification found for 'clock'");
    std::array<bool, kPins.size()> found{};
    for (int i = 1; i < words.num_items(); ++i) {
        const std::string_view word = *StringList_get(words, i);
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos)
            return messages.fail(word_error(word, "expected <name>=<value>"));
        const std::string_view name = word.substr(0, equals);
        const std::string_view value = word.substr(equals + 1);
        if (equal_ignoring_case(name, "ports")) {
            const auto number = read_number(value, 10);
            if (!number) return messages.fail(word_error(value, "invalid number of ports"));
            Expansion_set_num_ports(expansion, low_byte(number->value));
            continue;
        }
        for (std::size_t p = 0; p < kPins.size(); ++p) {
            if (!equal_ignoring_case(name, kPins[p].name)) continue;
            const auto pin = parse_pin(value, messages);
            if (!pin) return false;
            expansion.*kPins[p].field = *pin;
            found[p] = true;
        }
    }
    for (std::size_t p = 0; p < kPins.size(); ++p) {
        if (!found[p]) {
            return messages.fail(format("error: no pin specification found for '%.*s'",
                                        static_cast<int>(kPins[p].name.size()),
                                        kPins[p].name.data()));
        }
    }
    if (expansion.num_ports() == 0)
        return messages.fail("error: number of available expansion ports not specified");
    return true;
}

}  // namespace vorlanex
