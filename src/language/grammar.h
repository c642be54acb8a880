// The command grammar: one statement (an optional policy word, a keyword and
// its arguments, such as "set port a bit 3 1", "type Hello" or "sleep 2s")
// becomes one Command.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "config/config.h"
#include "strings/messages.h"
#include "strings/strings.h"

namespace vorlanex {

/// What a statement is parsed against: the configuration whose tables receive
/// "type" texts and long durations and whose expansion names the ports, the
/// symbol definitions in force, and where messages go.
struct ParseContext {
    Config& config;
    const Definitions& definitions;
    Messages& messages;
    /// Accept every port letter: the controller already holds its expansion
    /// (set for commands that are run at once).
    bool ignoreMissingPorts = false;
};

/// The action code of a keyword, ignoring case; ACTION_NONE for none or an
/// unknown word.
std::uint8_t parseAction(std::optional<std::string_view> word);

enum class ParseResult {
    Parsed,
    Invalid,    ///< no valid command; the messages say why, the caller names the statement
    TableFull,  ///< a valid command whose table entry does not fit; the message names the line
};

/// Fills `command` from the statement; the command may be partly filled when
/// the result is not Parsed.
ParseResult Command_parse(Command& command, std::string_view statement, ParseContext& context);

}  // namespace vorlanex
