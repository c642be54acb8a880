#include "language/grammar.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "language/keys.h"
#include "range/range.h"
#include "strings/numbers.h"

namespace vorlanex {

const std::array<Keyword, 33> keywords = {{
    {"set", ACTION_SET},           {"invert", ACTION_INVERT},     {"inv", ACTION_INVERT},
    {"increase", ACTION_INCREASE}, {"inc", ACTION_INCREASE},      {"decrease", ACTION_DECREASE},
    {"dec", ACTION_DECREASE},      {"tristate", ACTION_TRISTATE}, {"tri", ACTION_TRISTATE},
    {"sleep", ACTION_SLEEP},       {"exec", ACTION_EXEC},         {"clear", ACTION_CLEAR},
    {"meta", ACTION_META},         {"down", ACTION_DOWN},         {"up", ACTION_UP},
    {"type", ACTION_TYPE},         {"boot", ACTION_BOOT},         {"swap", ACTION_SWAP},
    {"press", ACTION_PRESS},       {"using", ACTION_USING},       {"save", ACTION_SAVE},
    {"restore", ACTION_RESTORE},   {"requires", ACTION_REQUIRES}, {"map", ACTION_MAP},
    {"version", ACTION_VERSION},   {"state", ACTION_STATE},       {"status", ACTION_STATE},
    {"lock", ACTION_LOCK},         {"password", ACTION_PASSWORD}, {"memorize", ACTION_MEMORIZE},
    {"recall", ACTION_RECALL},     {"speed", ACTION_SPEED},       {"expand", ACTION_EXPAND},
}};

std::uint8_t parseAction(std::optional<std::string_view> word) {
    if (!word) return ACTION_NONE;
    for (const Keyword& keyword : keywords) {
        if (equal_ignoring_case(keyword.word, *word)) return keyword.action;
    }
    return ACTION_NONE;
}

namespace {

using Word = std::optional<std::string_view>;

constexpr const char* kStringsFull = "more than 65535 texts to type";
constexpr const char* kLongsFull = "more than 65535 long sleep durations";

// Messages quote the word they name; a missing word is quoted as empty.
void report(const char* format, Word word) {
    const std::string_view text = word.value_or("");
    std::fprintf(stderr, format, static_cast<int>(text.size()), text.data());
}

bool equal(Word a, Word b) {
    return a && b && equal_ignoring_case(*a, *b);
}

int parseNativePort(Word word) {
    if (!word || word->empty()) return -1;
    switch ((*word)[0]) {
        case 'a':
        case 'A':
            return 0;
        case 'b':
        case 'B':
            return 1;
        default:
            return -1;
    }
}

int parsePort(Word word, const ParseContext& context) {
    const int native = parseNativePort(word);
    if (native >= 0) return native;
    if (!word || word->empty()) return -1;
    if (!context.ignoreMissingPorts && !context.config.expansion) return -1;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>((*word)[0])));
    if (letter < 'A' || letter > 'Z') return -1;
    const int port = letter - 'A';
    if (context.ignoreMissingPorts) return port;
    return port <= context.config.expansion->num_ports() + 1 ? port : -1;
}

int parseBit(Word word) {
    if (!word) return -1;
    const auto number = read_number(*word, 10);
    if (!number || low_byte(number->value) > 7) {
        report("error: '%.*s': not a decimal bit number\n", word);
        return -1;
    }
    return 1 << low_byte(number->value);
}

std::uint8_t parseBits(Word word, bool& error) {
    if (!word) return 0xFF;
    const Range allowed = Range_parse("0-7");
    const Range range = Range_parse(*word);
    if (!Range_valid(range) || !Range_inside(range, allowed)) {
        report("error: '%.*s': invalid bit range\n", word);
        error = true;
        return 0xFF;
    }
    unsigned mask = 0;
    for (int bit = range.start; bit <= range.end; ++bit) mask |= 1u << bit;
    return static_cast<std::uint8_t>(mask);
}

void availablePorts(const Config& config) {
    std::fputs("available ports: a, b", stderr);
    const int expansion_ports = config.expansion ? config.expansion->num_ports() : 0;
    for (int i = 0; i < expansion_ports; ++i) std::fprintf(stderr, ", %c", 'c' + i);
    std::fputc('\n', stderr);
}

// A statement split into words, read by position.
struct Words {
    StringList list;
    Word at(int index) const { return StringList_get(list, index); }
};

bool parseLineSpecification(Command& command, const Words& words, int p,
                            const ParseContext& context) {
    const Word first = words.at(p);
    const bool compact = first && first->size() >= 2 &&
                         std::isalpha(static_cast<unsigned char>((*first)[0])) &&
                         std::isdigit(static_cast<unsigned char>((*first)[1]));
    if (compact) {
        const int port = parsePort(first->substr(0, 1), context);
        if (port < 0) {
            report("error: '%.*s': invalid line specification\n", first);
            availablePorts(context.config);
            return false;
        }
        command.port = static_cast<std::uint8_t>(port);
        const std::string_view lines = first->substr(1);
        if (lines.size() == 1) {
            const int mask = parseBit(lines);
            if (mask < 0) {
                report("error: '%.*s': invalid bit\n", lines);
                return false;
            }
            command.mask = static_cast<std::uint8_t>(mask);
            command.data = 1;
        } else {
            bool error = false;
            command.mask = parseBits(lines, error);
            if (error) {
                report("error: '%.*s': invalid bit range\n", lines);
                return false;
            }
        }
        ++p;
    } else {
        if (equal(words.at(p), "port")) {
            const int port = parsePort(words.at(p + 1), context);
            if (port < 0) {
                report("error: '%.*s': invalid port, ", words.at(p + 1));
                availablePorts(context.config);
                return false;
            }
            command.port = static_cast<std::uint8_t>(port);
            p += 2;
        }
        if (equal(words.at(p), "bit")) {
            const int mask = parseBit(words.at(p + 1));
            if (mask < 0) {
                report("error: '%.*s': invalid bit\n", words.at(p + 1));
                return false;
            }
            command.mask = static_cast<std::uint8_t>(mask);
            command.data = 1;
            p += 2;
        }
        if (equal(words.at(p), "bits")) {
            bool error = false;
            command.mask = parseBits(words.at(p + 1), error);
            if (error) {
                report("error: '%.*s': invalid bit range\n", words.at(p + 1));
                return false;
            }
            p += 2;
        }
    }
    if (equal(words.at(p), "to") || equal(words.at(p), "=")) ++p;
    if (const Word value = words.at(p)) {
        if (!parseData(value, command.data, context.definitions)) {
            report("error: '%.*s': invalid value\n", value);
            return false;
        }
    }
    return true;
}

void set_index(Command& command, std::uint16_t index) {
    command.mask = static_cast<std::uint8_t>(index & 0xFF);
    command.data = static_cast<std::uint8_t>(index >> 8);
}

bool parseRequires(Command& command, Word word) {
    const auto number = word ? read_number(*word, 0) : std::nullopt;
    if (!number) {
        std::fputs("error: missing times for requires\n", stderr);
        return false;
    }
    command.data = low_byte(number->value);
    return true;
}

bool parseUsing(Command& command, Word word) {
    if (!word) {
        std::fputs("error: missing crosspoint switch model for 'using'\n", stderr);
        return false;
    }
    if (word->find("22106") != std::string_view::npos) {
        command.data = 0;
    } else if (word->find("8808") != std::string_view::npos) {
        command.data = 1;
    } else {
        std::fputs("error: please specify crosspoint switch model (CD74HC22106 or MT8808)\n",
                   stderr);
        return false;
    }
    return true;
}

bool parseSpeed(Command& command, Word word) {
    if (!word) {
        std::fputs("error: missing value for 'speed' (use 'fast' or 'slow')\n", stderr);
        return false;
    }
    if (equal(word, "fast")) {
        command.data = 1;
    } else if (equal(word, "slow")) {
        command.data = 0;
    } else {
        report("error: '%.*s': invalid value for 'speed' (use 'fast' or 'slow')\n", word);
        return false;
    }
    return true;
}

bool parseSwapKey(std::uint8_t& field, Word word, const Definitions& definitions) {
    if (!word) {
        std::fputs("error: swap: missing key spec\n", stderr);
        return false;
    }
    if (!parseData(word, field, definitions)) {
        report("error: '%.*s': invalid key spec\n", word);
        return false;
    }
    return true;
}

// Reads "1m30s", "500", "2s", "1s500": numbers with unit suffixes. Only a
// bare number at the very end is added; a later number for one unit
// replaces an earlier one. A word that starts with no number is 0 ms.
std::optional<std::uint32_t> parseDuration(std::string_view word) {
    std::uint32_t ms = 0, seconds = 0, minutes = 0;
    std::uint16_t hours = 0;
    std::uint8_t days = 0;
    std::size_t pos = 0;
    while (const auto number = read_number(word.substr(pos), 10)) {
        pos += number->length;
        const auto value = static_cast<std::uint32_t>(number->value);
        const std::string_view rest = word.substr(pos);
        if (rest.empty()) {
            ms += value;
            break;
        }
        std::size_t unit_length = 1;
        if (rest.starts_with("ms")) {
            ms = value;
            unit_length = 2;
        } else if (rest[0] == 's') {
            seconds = value;
        } else if (rest[0] == 'm') {
            minutes = value;
        } else if (rest[0] == 'h') {
            hours = static_cast<std::uint16_t>(value);
        } else if (rest[0] == 'd') {
            days = static_cast<std::uint8_t>(value);
        } else {
            return std::nullopt;
        }
        pos += unit_length;
    }
    // Text left after a number and its unit is no duration either, nor a
    // number too large to read.
    if (pos > 0 && pos < word.size()) return std::nullopt;
    const std::string_view unsigned_part =
        word.substr(word.starts_with('-') || word.starts_with('+'));
    const bool starts_with_digit =
        !unsigned_part.empty() && std::isdigit(static_cast<unsigned char>(unsigned_part[0]));
    if (pos == 0 && starts_with_digit) return std::nullopt;
    return ms + 1000u * seconds + 60000u * minutes + 3600000u * hours + 86400000u * days;
}

bool parseSleep(Command& command, Word word, ParseContext& context) {
    if (!word) {
        std::fputs("error: missing duration for sleep\n", stderr);
        return false;
    }
    const auto duration = parseDuration(*word);
    if (!duration) {
        report("error: '%.*s': invalid duration\n", word);
        return false;
    }
    if (*duration <= 0xFFFF) {
        set_index(command, static_cast<std::uint16_t>(*duration));
        return true;
    }
    command.action = ACTION_LONG_SLEEP;
    auto index = Config_has_long(context.config, *duration);
    if (!index) index = Config_add_long(context.config, *duration);
    if (!index) {
        context.full_table = kLongsFull;
        return false;
    }
    set_index(command, *index);
    return true;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The text after the keyword, taken from the statement itself: past the
// first word and exactly one more character (twice with a policy word).
std::string_view typeText(std::string_view statement, bool policy) {
    std::size_t pos = 0;
    for (int skips = policy ? 2 : 1; skips > 0; --skips) {
        while (pos < statement.size() && !is_blank(statement[pos])) ++pos;
        if (pos < statement.size()) ++pos;
    }
    return statement.substr(pos);
}

// Resolves the escapes of a "type" text. An escape cut short by the end of
// the text takes what is there: "\x4" is 4, "\{12" is 12, a lone backslash
// at the end is dropped. A 0 byte ends the text.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) break;
        const char c = text[i];
        long byte = -1;
        switch (c) {
            case '\\':
                byte = '\\';
                break;
            case 'f':
                byte = '\f';
                break;
            case 'n':
                byte = '\n';
                break;
            case 'r':
                byte = '\r';
                break;
            case 'x': {
                const std::string_view digits = text.substr(i + 1, 2);
                const auto number = read_number(digits, 16);
                byte = number ? number->value : 0;
                i += digits.size();
                break;
            }
            case '{': {
                const std::size_t close = text.find('}', i + 1);
                const std::size_t end = close == std::string_view::npos ? text.size() : close;
                const auto number = read_number(text.substr(i + 1, end - i - 1), 10);
                byte = number ? low_byte(number->value) : 0;
                i = close == std::string_view::npos ? text.size() : close;
                break;
            }
            default:
                std::fprintf(stderr,
                             "Warning: \\%c: undefined escape sequence in string literal "
                             "(skipped)\n",
                             c);
                continue;
        }
        if ((byte & 0xFF) == 0) break;
        out.push_back(static_cast<char>(byte & 0xFF));
    }
    return out;
}

bool parseType(Command& command, std::string_view statement, bool policy, ParseContext& context) {
    const std::string text = unescape(typeText(statement, policy));
    auto index = Config_has_string(context.config, text);
    if (!index) index = Config_add_string(context.config, text);
    if (!index) {
        context.full_table = kStringsFull;
        return false;
    }
    set_index(command, *index);
    return true;
}

bool checkNativePort(const Command& command) {
    if (command.port < 2) return true;
    if (command.action == ACTION_TRISTATE) {
        std::fputs("error: expanded port lines can not be tristated\n", stderr);
        return false;
    }
    if (command.action == ACTION_MAP) {
        std::fputs("error: expanded port lines can not be mapped to keys\n", stderr);
        return false;
    }
    return true;
}

}  // namespace

bool Command_parse(Command& command, std::string_view statement, ParseContext& context) {
    Words words;
    if (!StringList_append_tokenized(words.list, statement, context.definitions)) return false;

    int keyword = 0;
    if (words.at(0) == "0" || words.at(0) == "1") {
        command.policy = words.at(0) == "0" ? POLICY_EVEN : POLICY_ODD;
        keyword = 1;
    }
    const bool policy = keyword == 1;
    command.action = parseAction(words.at(keyword));
    const Word argument = words.at(keyword + 1);

    switch (command.action) {
        case ACTION_NONE:
            report("error: '%.*s': invalid command\n", words.at(keyword));
            return false;
        case ACTION_REQUIRES:
            return parseRequires(command, argument);
        case ACTION_TYPE:
            return parseType(command, statement, policy, context);
        case ACTION_SLEEP:
            return parseSleep(command, argument, context);
        case ACTION_USING:
            return parseUsing(command, argument);
        case ACTION_SPEED:
            return parseSpeed(command, argument);
        case ACTION_SWAP:
            return parseSwapKey(command.mask, argument, context.definitions) &&
                   parseSwapKey(command.data, words.at(keyword + 2), context.definitions);
        default:
            break;
    }
    if (!argument) return true;
    switch (command.action) {
        case ACTION_EXEC:
        case ACTION_META:
        case ACTION_DOWN:
        case ACTION_UP:
        case ACTION_PRESS:
            if (!parseData(argument, command.data, context.definitions)) {
                report("error: '%.*s': invalid value\n", argument);
                return false;
            }
            break;
        default:
            if (!parseLineSpecification(command, words, keyword + 1, context)) return false;
    }
    return checkNativePort(command);
}

}  // namespace vorlanex
