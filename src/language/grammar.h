// The command grammar: one statement (an optional policy word, a keyword and
// its arguments, such as "set port a bit 3 1", "type Hello" or "sleep 2s")
// becomes one Command.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/config.h"
#include "strings/strings.h"

namespace vorlanex {

/// What a statement is parsed against: the configuration whose tables receive
/// "type" texts and long durations and whose expansion names the ports, and
/// the symbol definitions in force.
struct ParseContext {
    Config& config;
    const Definitions& definitions;
    /// Accept every port letter: the controller already holds its expansion
    /// (set for commands that are run at once).
    bool ignoreMissingPorts = false;
    /// Set when a statement failed because a table of the configuration is
    /// full; the file parser reports it with the line number.
    const char* full_table = nullptr;
};

struct Keyword {
    std::string_view word;
    std::uint8_t action;
};

/// Every keyword of the language with its action code.
extern const std::array<Keyword, 33> keywords;

/// The action code of a keyword, ignoring case; ACTION_NONE for none or an
/// unknown word.
std::uint8_t parseAction(std::optional<std::string_view> word);

/// Fills `command` from the statement. False after its "error: " message(s)
/// (or with `full_table` set); the command may then be partly filled.
bool Command_parse(Command& command, std::string_view statement, ParseContext& context);

}  // namespace vorlanex
