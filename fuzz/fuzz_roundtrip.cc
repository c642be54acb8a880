// Any text the parser accepts renders to text that parses to the same
// configuration, apart from what the text form cannot carry: values $FB to
// $FF, values of commands that are written without them, bindings that need
// no press, commands without a name of their own, and commands on expansion
// ports that a later, smaller declaration no longer has (the rendered text
// declares the expansion once, first).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "config/stream.h"
#include "language/commands.h"
#include "language/parser.h"
#include "language/render.h"

namespace vorlanex {
namespace {

bool parse(const std::string& text, Config& config) {
    Definitions definitions;
    Messages messages;
    InputStream in({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return Config_parse(config, in, definitions, messages, false);
}

bool contiguous_single_or_range_keeps_data(const Command& c) {
    // Commands whose value is not written read back with 1 after one bit and
    // 0xFF otherwise.
    const bool single = c.mask != 0 && (c.mask & (c.mask - 1)) == 0;
    return c.data == (single ? 1 : 0xFF);
}

bool carried_by_text(const Command& c) {
    switch (command_info(c.action).writes) {
        case Writes::Value:
        case Writes::LineValue:
            return c.data < 0xFB;
        case Writes::KeyPair:
            return c.mask < 0xFB && c.data < 0xFB;
        case Writes::Bare:
            return c.port == 0 && c.mask == 0xFF && c.data == 0xFF;
        case Writes::Line:
            return contiguous_single_or_range_keeps_data(c);
        case Writes::Unknown:
            return false;
        default:
            return true;
    }
}

bool port_declared(const Config& config, const Command& command) {
    if (!has_port(command_info(command.action)) || command.port < 2) return true;
    return config.expansion && command.port <= config.expansion->num_ports() + 1;
}

bool carried_by_text(const Config& config) {
    for (const Binding& binding : config.bindings) {
        if (binding.times == 0) return false;
        for (const Command& command : binding.commands)
            if (!carried_by_text(command) || !port_declared(config, command)) return false;
    }
    return true;
}

// Commands with their table entries resolved, since rendering rebuilds the
// tables in the order of first use.
using Resolved = std::tuple<std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                            std::string, std::uint32_t>;

std::vector<std::vector<Resolved>> resolve(const Config& config) {
    std::vector<std::vector<Resolved>> bindings;
    for (const Binding& binding : config.bindings) {
        std::vector<Resolved>& commands = bindings.emplace_back();
        commands.emplace_back(binding.key, binding.times, 0, 0, 0, "", 0);
        for (const Command& c : binding.commands) {
            const std::size_t index = Command_index(c);
            if (c.action == ACTION_TYPE) {
                commands.emplace_back(c.action, c.policy, 0, 0, 0, config.string_table.at(index),
                                      0);
            } else if (c.action == ACTION_LONG_SLEEP) {
                commands.emplace_back(c.action, c.policy, 0, 0, 0, "", config.longs.at(index));
            } else {
                commands.emplace_back(c.action, c.policy, c.port, c.mask, c.data, "", 0);
            }
        }
    }
    return bindings;
}

}  // namespace
}  // namespace vorlanex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlanex;
    Config parsed;
    if (!parse(std::string(reinterpret_cast<const char*>(data), size), parsed)) return 0;
    if (!carried_by_text(parsed)) return 0;
    std::string text;
    Messages messages;
    if (!Config_print(parsed, text, messages))
        return 0;  // refused with a message, never wrong text
    Config reread;
    if (!parse(text, reread)) std::abort();
    if (resolve(reread) != resolve(parsed) || reread.expansion != parsed.expansion) std::abort();
    return 0;
}
