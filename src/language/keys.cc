#include "language/keys.h"

#include <unordered_set>

#include "config/config.h"
#include "strings/numbers.h"

namespace vorlanex {

const std::array<Symbol, 97> symbols = {{
    {"INSTDEL", 0x00},
    {"THREE", 0x01},
    {"FIVE", 0x02},
    {"SEVEN", 0x03},
    {"NINE", 0x04},
    {"+", 0x05},
    {"POUND", 0x06},
    {"ONE", 0x07},
    {"RETURN", 0x08},
    {"W", 0x09},
    {"R", 0x0A},
    {"Y", 0x0B},
    {"I", 0x0C},
    {"P", 0x0D},
    {"*", 0x0E},
    {"BACKARROW", 0x0F},
    {"CURSORLEFT", 0x10},
    {"A", 0x11},
    {"D", 0x12},
    {"G", 0x13},
    {"J", 0x14},
    {"L", 0x15},
    {";", 0x16},
    {"CONTROL", 0x17},
    {"F7", 0x18},
    {"FOUR", 0x19},
    {"SIX", 0x1A},
    {"EIGHT", 0x1B},
    {"ZERO", 0x1C},
    {"-", 0x1D},
    {"HOME", 0x1E},
    {"TWO", 0x1F},
    {"F1", 0x20},
    {"Z", 0x21},
    {"C", 0x22},
    {"B", 0x23},
    {"M", 0x24},
    {".", 0x25},
    {"SHIFTRIGHT", 0x26},
    {"SPACE", 0x27},
    {"F3", 0x28},
    {"S", 0x29},
    {"F", 0x2A},
    {"H", 0x2B},
    {"K", 0x2C},
    {"COLON", 0x2D},
    {"=", 0x2E},
    {"COMMODORE", 0x2F},
    {"F5", 0x30},
    {"E", 0x31},
    {"T", 0x32},
    {"U", 0x33},
    {"O", 0x34},
    {"@", 0x35},
    {"ARROWUP", 0x36},
    {"Q", 0x37},
    {"CURSORDOWN", 0x38},
    {"SHIFTLEFT", 0x39},
    {"X", 0x3A},
    {"V", 0x3B},
    {"N", 0x3C},
    {",", 0x3D},
    {"/", 0x3E},
    {"RUNSTOP", 0x3F},
    // Synonyms.
    {"ENTER", 0x08},
    {"INST", 0x00},
    {"DEL", 0x00},
    {"LEFTARROW", 0x0F},
    {"ARROWLEFT", 0x0F},
    {"RIGHTCURSOR", 0x10},
    {"CURSORRIGHT", 0x10},
    {"LEFTCURSOR", 0x10},
    {"CLR", 0x1E},
    {"CLRHOME", 0x1E},
    {"SHIFTRIGHT", 0x26},
    {"RIGHTSHIFT", 0x26},
    {"CBM", 0x2F},
    {"C=", 0x2F},
    {"UPARROW", 0x36},
    {"DOWNCURSOR", 0x38},
    {"SHIFT", 0x39},
    {"SHIFTLEFT", 0x39},
    {"LEFTSHIFT", 0x39},
    {"RUN", 0x3F},
    {"STOP", 0x3F},
    {"SEMICOLON", 0x16},
    {"CTRL", 0x17},
    {"ASTERISK", 0x0E},
    {"PLUS", 0x05},
    {"COMMA", 0x3D},
    {"MINUS", 0x1D},
    {"SLASH", 0x3E},
    {"EQUAL", 0x2E},
    {"DOT", 0x25},
    {"AT", 0x35},
    {"LOCKED", 0xFA},
    {"UNLOCKED", 0xF9},
}};

const Symbol* find_symbol(std::string_view name) {
    for (const Symbol& symbol : symbols) {
        if (equal_ignoring_case(symbol.name, name)) return &symbol;
    }
    return nullptr;
}

namespace {

enum class NumberOutcome { NoNumber, Accepted, Reserved };

// A key specification that starts with a number: its low byte is the code.
NumberOutcome read_key_number(std::uint8_t& code, std::string_view text, bool dollar,
                              Messages& messages) {
    const auto number = read_number(text, dollar ? 16 : 0);
    if (!number) return NumberOutcome::NoNumber;
    const std::uint8_t candidate = low_byte(number->value);
    if (candidate >= KEY_EXPANSION) {
        messages.add(format("error: '$%02X': reserved slot, not a key", candidate));
        return NumberOutcome::Reserved;
    }
    code = candidate;
    return NumberOutcome::Accepted;
}

}  // namespace

bool Key_parse(std::uint8_t& code, std::string_view text, const Definitions& definitions,
               Messages& messages) {
    // A definition's text is itself a key specification; follow the chain,
    // refusing one that comes back to a name it has already passed.
    std::unordered_set<std::string_view> followed;
    for (;;) {
        const bool dollar = text.starts_with('$');
        const std::string_view rest = dollar ? text.substr(1) : text;
        switch (read_key_number(code, rest, dollar, messages)) {
            case NumberOutcome::Accepted:
                return true;
            case NumberOutcome::Reserved:
                return false;
            case NumberOutcome::NoNumber:
                break;
        }
        if (const Symbol* symbol = find_symbol(rest)) {
            code = symbol->code;
            return true;
        }
        const Definition* definition = definitions.find(rest);
        if (definition == nullptr) return false;
        if (!followed.insert(definition->name).second)
            return messages.fail(self_reference(definition->name));
        text = definition->text;
    }
}

bool parseData(std::optional<std::string_view> word, std::uint8_t& value,
               const Definitions& definitions, Messages& messages) {
    if (!word) return false;
    if (Key_parse(value, *word, definitions, messages)) return true;
    const bool binary = word->starts_with('%');
    const auto number = read_number(binary ? word->substr(1) : *word, binary ? 2 : 10);
    if (!number) return false;
    value = low_byte(number->value);
    return true;
}

}  // namespace vorlanex
