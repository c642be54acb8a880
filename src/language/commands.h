// The commands of the language: one row per action code, with everything the
// grammar, the renderer and the tools around them need to know of it.
//
// A new keyword, synonym or action is added here and nowhere else; the bash
// completion is checked against this table by a test.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/config.h"

namespace vorlanex {

/// How the grammar reads a command's arguments.
enum class Reads : std::uint8_t {
    Line,      ///< a port line specification, optionally a value
    Value,     ///< one key specification or number
    KeyPair,   ///< two key specifications ("swap")
    Text,      ///< the rest of the statement, escapes resolved ("type")
    Duration,  ///< "500", "2s", "1m30s" ("sleep")
    Switch,    ///< a crosspoint switch model ("using")
    Speed,     ///< "fast" or "slow"
    Times,     ///< presses required ("requires"): sets the binding, adds no command
    Nothing,   ///< no keyword leads here
};

/// How the renderer writes a command.
enum class Writes : std::uint8_t {
    Line,       ///< "NAME port P bit B" or "bits L-H"
    LineValue,  ///< the same and the value: "set port a bit 3 $01"
    Bare,       ///< the name alone
    Value,      ///< "NAME $VV"
    KeyPair,    ///< "NAME $MM $DD"
    Text,       ///< the text of the string table entry, escaped
    Sleep,      ///< the 16-bit number of milliseconds
    LongSleep,  ///< the milliseconds of the long table entry
    Switch,     ///< the switch model
    Speed,      ///< "fast" or "slow"
    Unknown,    ///< a code the language has no word for: written as a line command
};

struct CommandInfo {
    std::uint8_t action;
    std::array<std::string_view, 2> keywords;  ///< words that name it, empty ones unused
    std::string_view name;                     ///< what the renderer writes
    Reads reads;
    Writes writes;
    /// The command acts on the line of a native port only ("tristate", "map").
    bool native_port_only;
    /// `mask` and `data` hold a 16-bit number or table index, not a line.
    bool has_index;
};

/// Rows for the action codes 0 to 29, in order.
extern const std::array<CommandInfo, 30> kCommands;

/// The row of an action code; codes past the table (possible in images) get
/// a row that writes "unknown".
const CommandInfo& command_info(std::uint8_t action);

/// The row whose keyword equals `word` ignoring case, or none.
const CommandInfo* find_keyword(std::string_view word);

/// The command writes its port as "port P": the port must exist on reading.
inline bool has_port(const CommandInfo& info) {
    return info.writes == Writes::Line || info.writes == Writes::LineValue ||
           info.writes == Writes::Unknown;
}

}  // namespace vorlanex
