#include "language/grammar.h"

#include <cctype>
#include <string>

#include "language/commands.h"
#include "language/escape.h"
#include "language/keys.h"
#include "range/range.h"
#include "strings/numbers.h"

namespace vorlanex {

std::uint8_t parseAction(std::optional<std::string_view> word) {
    if (!word) return ACTION_NONE;
    const CommandInfo* info = find_keyword(*word);
    return info != nullptr ? info->action : std::uint8_t{ACTION_NONE};
}

namespace {

using Word = std::optional<std::string_view>;

// Messages quote the word they name; a missing word is quoted as empty.
bool fail(Messages& messages, Word word, std::string_view what) {
    return messages.fail(word_error(word.value_or(""), what));
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

std::string availablePorts(const Config& config) {
    std::string text = "available ports: a, b";
    const int expansion_ports = config.expansion ? config.expansion->num_ports() : 0;
    for (int i = 0; i < expansion_ports; ++i) {
        text += ", ";
        text.push_back(static_cast<char>('c' + i));
    }
    return text;
}

// One line: "3" sets that bit's mask and the value 1. A missing word is no
// bit either.
bool parseBit(Command& command, Word word, Messages& messages) {
    const auto number = word ? read_number(*word, 10) : std::nullopt;
    if (!number || low_byte(number->value) > 7) {
        if (word) fail(messages, word, "not a decimal bit number");
        return fail(messages, word, "invalid bit");
    }
    command.mask = static_cast<std::uint8_t>(1 << low_byte(number->value));
    command.data = 1;
    return true;
}

// Lines "2-5" within 0-7; a missing word leaves every line.
bool parseBits(Command& command, Word word, Messages& messages) {
    if (!word) {
        command.mask = 0xFF;
        return true;
    }
    const Range range = Range_parse(*word);
    if (!Range_valid(range) || !Range_inside(range, Range_parse("0-7"))) {
        // Both the range reader and the line specification report it.
        fail(messages, word, "invalid bit range");
        return fail(messages, word, "invalid bit range");
    }
    unsigned mask = 0;
    for (int bit = range.start; bit <= range.end; ++bit) mask |= 1u << bit;
    command.mask = static_cast<std::uint8_t>(mask);
    return true;
}

// A statement split into words, read by position.
struct Words {
    StringList list;
    Word at(int index) const { return StringList_get(list, index); }
};

bool is_compact(Word word) {
    return word && word->size() >= 2 && std::isalpha(static_cast<unsigned char>((*word)[0])) &&
           std::isdigit(static_cast<unsigned char>((*word)[1]));
}

// "a3", "c0-7": the port letter and the lines in one word.
bool parse_compact_lines(Command& command, std::string_view word, const ParseContext& context) {
    const int port = parsePort(word.substr(0, 1), context);
    if (port < 0) {
        fail(context.messages, word, "invalid line specification");
        return context.messages.fail(availablePorts(context.config));
    }
    command.port = static_cast<std::uint8_t>(port);
    const std::string_view lines = word.substr(1);
    return lines.size() == 1 ? parseBit(command, lines, context.messages)
                             : parseBits(command, lines, context.messages);
}

// "port a bit 3", "port b bits 4-7", each part optional; `p` moves past them.
bool parse_spelled_lines(Command& command, const Words& words, int& p,
                         const ParseContext& context) {
    if (equal(words.at(p), "port")) {
        const int port = parsePort(words.at(p + 1), context);
        if (port < 0) {
            return fail(context.messages, words.at(p + 1),
                        format("invalid port, %s", availablePorts(context.config).c_str()));
        }
        command.port = static_cast<std::uint8_t>(port);
        p += 2;
    }
    if (equal(words.at(p), "bit")) {
        if (!parseBit(command, words.at(p + 1), context.messages)) return false;
        p += 2;
    }
    if (equal(words.at(p), "bits")) {
        if (!parseBits(command, words.at(p + 1), context.messages)) return false;
        p += 2;
    }
    return true;
}

bool parse_line_specification(Command& command, const Words& words, int p,
                              const ParseContext& context) {
    if (is_compact(words.at(p))) {
        if (!parse_compact_lines(command, *words.at(p), context)) return false;
        ++p;
    } else if (!parse_spelled_lines(command, words, p, context)) {
        return false;
    }
    if (equal(words.at(p), "to") || equal(words.at(p), "=")) ++p;
    if (const Word value = words.at(p)) {
        if (!parseData(value, command.data, context.definitions, context.messages))
            return fail(context.messages, value, "invalid value");
    }
    return true;
}

bool parse_requires(Command& command, Word word, Messages& messages) {
    const auto number = word ? read_number(*word, 0) : std::nullopt;
    if (!number) return messages.fail("error: missing times for requires");
    command.data = low_byte(number->value);
    return true;
}

bool parse_using(Command& command, Word word, Messages& messages) {
    if (!word) return messages.fail("error: missing crosspoint switch model for 'using'");
    if (word->find("22106") != std::string_view::npos) {
        command.data = 0;
    } else if (word->find("8808") != std::string_view::npos) {
        command.data = 1;
    } else {
        return messages.fail(
            "error: please specify crosspoint switch model (CD74HC22106 or MT8808)");
    }
    return true;
}

bool parse_speed(Command& command, Word word, Messages& messages) {
    if (!word) return messages.fail("error: missing value for 'speed' (use 'fast' or 'slow')");
    if (equal(word, "fast")) {
        command.data = 1;
    } else if (equal(word, "slow")) {
        command.data = 0;
    } else {
        return fail(messages, word, "invalid value for 'speed' (use 'fast' or 'slow')");
    }
    return true;
}

bool parse_swap_key(std::uint8_t& field, Word word, const ParseContext& context) {
    if (!word) return context.messages.fail("error: swap: missing key spec");
    if (!parseData(word, field, context.definitions, context.messages))
        return fail(context.messages, word, "invalid key spec");
    return true;
}

bool parse_value(Command& command, Word word, const ParseContext& context) {
    if (!word) return true;
    if (!parseData(word, command.data, context.definitions, context.messages))
        return fail(context.messages, word, "invalid value");
    return true;
}

// Reads "1m30s", "500", "2s", "1s500": numbers with unit suffixes. Only a
// bare number at the very end is added; a later number for one unit
// replaces an earlier one. A word that starts with no number is 0 ms.
std::optional<std::uint32_t> parse_duration(std::string_view word) {
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

ParseResult table_full(Messages& messages, const char* table) {
    messages.fail_at_line(format("more than 65535 %s", table));
    return ParseResult::TableFull;
}

ParseResult parse_sleep(Command& command, Word word, ParseContext& context) {
    if (!word) {
        context.messages.add("error: missing duration for sleep");
        return ParseResult::Invalid;
    }
    const auto duration = parse_duration(*word);
    if (!duration) {
        fail(context.messages, word, "invalid duration");
        return ParseResult::Invalid;
    }
    if (*duration <= 0xFFFF) {
        Command_set_index(command, static_cast<std::uint16_t>(*duration));
        return ParseResult::Parsed;
    }
    command.action = ACTION_LONG_SLEEP;
    auto index = Config_has_long(context.config, *duration);
    if (!index) index = Config_add_long(context.config, *duration);
    if (!index) return table_full(context.messages, "long sleep durations");
    Command_set_index(command, *index);
    return ParseResult::Parsed;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The text after the keyword, taken from the statement itself: past the
// first word and exactly one more character (twice with a policy word).
std::string_view type_text(std::string_view statement, bool policy) {
    std::size_t pos = 0;
    for (int skips = policy ? 2 : 1; skips > 0; --skips) {
        while (pos < statement.size() && !is_blank(statement[pos])) ++pos;
        if (pos < statement.size()) ++pos;
    }
    return statement.substr(pos);
}

ParseResult parse_type(Command& command, std::string_view statement, bool policy,
                       ParseContext& context) {
    const std::string text = unescape_text(type_text(statement, policy), context.messages);
    auto index = Config_has_string(context.config, text);
    if (!index) index = Config_add_string(context.config, text);
    if (!index) return table_full(context.messages, "texts to type");
    Command_set_index(command, *index);
    return ParseResult::Parsed;
}

bool check_native_port(const Command& command, Messages& messages) {
    if (command.port < 2 || !command_info(command.action).native_port_only) return true;
    return messages.fail(command.action == ACTION_TRISTATE
                             ? "error: expanded port lines can not be tristated"
                             : "error: expanded port lines can not be mapped to keys");
}

bool parse_arguments(Command& command, const CommandInfo& info, const Words& words, int first,
                     ParseContext& context) {
    const Word argument = words.at(first);
    switch (info.reads) {
        case Reads::Times:
            return parse_requires(command, argument, context.messages);
        case Reads::Switch:
            return parse_using(command, argument, context.messages);
        case Reads::Speed:
            return parse_speed(command, argument, context.messages);
        case Reads::KeyPair:
            return parse_swap_key(command.mask, argument, context) &&
                   parse_swap_key(command.data, words.at(first + 1), context);
        case Reads::Value:
            return parse_value(command, argument, context);
        case Reads::Line:
            return !argument || (parse_line_specification(command, words, first, context) &&
                                 check_native_port(command, context.messages));
        case Reads::Text:
        case Reads::Duration:
        case Reads::Nothing:
            break;
    }
    return false;
}

}  // namespace

ParseResult Command_parse(Command& command, std::string_view statement, ParseContext& context) {
    Words words;
    if (!StringList_append_tokenized(words.list, statement, context.definitions,
                                     context.messages)) {
        return ParseResult::Invalid;
    }
    int keyword = 0;
    if (words.at(0) == "0" || words.at(0) == "1") {
        command.policy = words.at(0) == "0" ? POLICY_EVEN : POLICY_ODD;
        keyword = 1;
    }
    const CommandInfo* info = words.at(keyword) ? find_keyword(*words.at(keyword)) : nullptr;
    if (info == nullptr) {
        command.action = ACTION_NONE;
        fail(context.messages, words.at(keyword), "invalid command");
        return ParseResult::Invalid;
    }
    command.action = info->action;
    if (info->reads == Reads::Text) return parse_type(command, statement, keyword == 1, context);
    if (info->reads == Reads::Duration) return parse_sleep(command, words.at(keyword + 1), context);
    return parse_arguments(command, *info, words, keyword + 1, context) ? ParseResult::Parsed
                                                                        : ParseResult::Invalid;
}

}  // namespace vorlanex
