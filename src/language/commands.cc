#include "language/commands.h"

#include "strings/numbers.h"

namespace vorlanex {

namespace {

using R = Reads;
using W = Writes;

constexpr CommandInfo kUnknown = {0xFF, {}, "unknown", R::Nothing, W::Unknown, false, false};

}  // namespace

// Boot, save and restore read a line specification like every command the
// grammar has no special form for, though nothing of it is written back.
const std::array<CommandInfo, 30> kCommands = {{
    {ACTION_SET, {"set"}, "set", R::Line, W::LineValue, false, false},
    {ACTION_INVERT, {"invert", "inv"}, "invert", R::Line, W::Line, false, false},
    {ACTION_INCREASE, {"increase", "inc"}, "increase", R::Line, W::Line, false, false},
    {ACTION_DECREASE, {"decrease", "dec"}, "decrease", R::Line, W::Line, false, false},
    {ACTION_TRISTATE, {"tristate", "tri"}, "tristate", R::Line, W::Line, true, false},
    {ACTION_SLEEP, {"sleep"}, "sleep", R::Duration, W::Sleep, false, true},
    {ACTION_EXEC, {"exec"}, "exec", R::Value, W::Value, false, false},
    {ACTION_CLEAR, {"clear"}, "clear", R::Line, W::Line, false, false},
    {ACTION_NONE, {}, "unknown", R::Nothing, W::Unknown, false, false},
    {ACTION_META, {"meta"}, "meta", R::Value, W::Value, false, false},
    {ACTION_DOWN, {"down"}, "down", R::Value, W::Value, false, false},
    {ACTION_UP, {"up"}, "up", R::Value, W::Value, false, false},
    {ACTION_TYPE, {"type"}, "type", R::Text, W::Text, false, true},
    {ACTION_BOOT, {"boot"}, "boot", R::Line, W::Bare, false, false},
    {ACTION_SWAP, {"swap"}, "swap", R::KeyPair, W::KeyPair, false, false},
    {ACTION_PRESS, {"press"}, "press", R::Value, W::Value, false, false},
    // A sleep too long for 16 bits: reached through "sleep", kept in the long table.
    {ACTION_LONG_SLEEP, {}, "sleep", R::Nothing, W::LongSleep, false, true},
    {ACTION_USING, {"using"}, "using", R::Switch, W::Switch, false, false},
    {ACTION_SAVE, {"save"}, "save", R::Line, W::Bare, false, false},
    {ACTION_RESTORE, {"restore"}, "restore", R::Line, W::Bare, false, false},
    // Only images hold it as a command; the text sets the binding's presses.
    {ACTION_REQUIRES, {"requires"}, "requires", R::Times, W::Line, false, false},
    {ACTION_MAP, {"map"}, "map", R::Line, W::LineValue, true, false},
    {ACTION_VERSION, {"version"}, "version", R::Line, W::Line, false, false},
    {ACTION_STATE, {"state", "status"}, "state", R::Line, W::Line, false, false},
    {ACTION_LOCK, {"lock"}, "lock", R::Line, W::Line, false, false},
    {ACTION_PASSWORD, {"password"}, "password", R::Line, W::Line, false, false},
    {ACTION_MEMORIZE, {"memorize"}, "memorize", R::Line, W::Line, false, false},
    {ACTION_RECALL, {"recall"}, "recall", R::Line, W::Line, false, false},
    {ACTION_SPEED, {"speed"}, "speed", R::Speed, W::Speed, false, false},
    // The declaration has a reader of its own; a statement it refuses comes
    // to the grammar, which reads it as a line command.
    {ACTION_EXPAND, {"expand"}, "unknown", R::Line, W::Unknown, false, false},
}};

const CommandInfo& command_info(std::uint8_t action) {
    return action < kCommands.size() ? kCommands[action] : kUnknown;
}

const CommandInfo* find_keyword(std::string_view word) {
    for (const CommandInfo& info : kCommands) {
        for (const std::string_view keyword : info.keywords) {
            if (!keyword.empty() && equal_ignoring_case(keyword, word)) return &info;
        }
    }
    return nullptr;
}

}  // namespace vorlanex
