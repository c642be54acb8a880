// The in-memory configuration: bindings of five-byte commands to key codes,
// the table of texts that "type" commands refer to, the table of long sleep
// durations, and the optional expansion descriptor.
//
// Counts are derived from the containers. The limits below come from the
// widths of the binary image (one byte of command count, 16-bit indices);
// the appending operations refuse to pass them, so no count can wrap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlanex {

// Key codes that are no keys of the matrix.
inline constexpr std::uint8_t KEY_EXPANSION = 0xFB;  ///< image tag of the expansion record
inline constexpr std::uint8_t KEY_LONG = 0xFC;       ///< image tag of a long value
inline constexpr std::uint8_t KEY_STRING = 0xFD;     ///< image tag of a string
inline constexpr std::uint8_t KEY_IMMEDIATE = 0xFE;  ///< key of the commands given without a key
inline constexpr std::uint8_t KEY_EOF = 0xFF;        ///< image end tag

inline constexpr std::uint8_t POLICY_ALWAYS = 0x00;
inline constexpr std::uint8_t POLICY_EVEN = 0x40;
inline constexpr std::uint8_t POLICY_ODD = 0x60;

inline constexpr std::size_t kMaxCommandsPerBinding = 255;
inline constexpr std::size_t kMaxTableEntries = 65535;

/// Action codes of Command::action.
enum Action : std::uint8_t {
    ACTION_SET = 0,
    ACTION_INVERT = 1,
    ACTION_INCREASE = 2,
    ACTION_DECREASE = 3,
    ACTION_TRISTATE = 4,
    ACTION_SLEEP = 5,
    ACTION_EXEC = 6,
    ACTION_CLEAR = 7,
    ACTION_NONE = 8,  ///< no valid action: the default, never in an image
    ACTION_META = 9,
    ACTION_DOWN = 10,
    ACTION_UP = 11,
    ACTION_TYPE = 12,
    ACTION_BOOT = 13,
    ACTION_SWAP = 14,
    ACTION_PRESS = 15,
    ACTION_LONG_SLEEP = 16,
    ACTION_USING = 17,
    ACTION_SAVE = 18,
    ACTION_RESTORE = 19,
    ACTION_REQUIRES = 20,
    ACTION_MAP = 21,
    ACTION_VERSION = 22,
    ACTION_STATE = 23,
    ACTION_LOCK = 24,
    ACTION_PASSWORD = 25,
    ACTION_MEMORIZE = 26,
    ACTION_RECALL = 27,
    ACTION_SPEED = 28,
    ACTION_EXPAND = 29,
};

struct Command {
    std::uint8_t action = ACTION_NONE;
    std::uint8_t port = 0;
    std::uint8_t mask = 0xFF;
    std::uint8_t data = 0xFF;
    std::uint8_t policy = POLICY_ALWAYS;

    bool operator==(const Command&) const = default;
};

/// A command that refers to a table entry ("type" and the long sleep) or that
/// holds a 16-bit number (the short sleep) carries it in two bytes: the low
/// byte in `mask`, the high byte in `data`.
void Command_set_index(Command& command, std::uint16_t index);
std::uint16_t Command_index(const Command& command);

struct Binding {
    std::uint8_t key = KEY_IMMEDIATE;
    std::uint8_t times = 1;  ///< presses required before the commands run
    std::vector<Command> commands;

    std::size_t num_commands() const { return commands.size(); }
    bool operator==(const Binding&) const = default;
};

/// Appends the command; false, with the binding unchanged, when it already
/// holds kMaxCommandsPerBinding commands.
bool Binding_add(Binding& binding, const Command& command);

struct Expansion {
    std::uint8_t clock_pin = 0;  ///< pin spec: pin in bits 0-2, bit 3 set for port b
    std::uint8_t data_pin = 0;
    std::uint8_t latch_pin = 0;
    std::uint8_t enable_pin = 0;
    std::vector<std::uint8_t> port_values;  ///< the controller's; not part of the image

    std::uint8_t num_ports() const { return static_cast<std::uint8_t>(port_values.size()); }
    bool operator==(const Expansion&) const = default;
};

void Expansion_set_num_ports(Expansion& expansion, std::uint8_t count);

struct Config {
    std::vector<Binding> bindings;
    std::vector<std::string> string_table;
    std::vector<std::uint32_t> longs;
    std::optional<Expansion> expansion;

    std::size_t num_bindings() const { return bindings.size(); }
    std::size_t num_strings() const { return string_table.size(); }
    std::size_t num_longs() const { return longs.size(); }

    /// Equal content; the lookup indices are derived and not compared.
    bool operator==(const Config& other) const {
        return bindings == other.bindings && string_table == other.string_table &&
               longs == other.longs && expansion == other.expansion;
    }

    // Lookup indices over the tables above, kept by the operations below so
    // that searching a large configuration is no linear scan. Only the first
    // entry of equal values (or keys) is indexed, as a search from index 0
    // would find it.
    // Append through the operations below, never to the vectors directly.
    std::unordered_map<std::string, std::uint16_t> string_index;
    std::unordered_map<std::uint32_t, std::uint16_t> long_index;
    std::array<std::int32_t, 256> binding_index = filled_binding_index();

  private:
    static std::array<std::int32_t, 256> filled_binding_index() {
        std::array<std::int32_t, 256> index;
        index.fill(-1);
        return index;
    }
};

/// Appends a copy of the text; its index, or none when the table is full.
std::optional<std::uint16_t> Config_add_string(Config& config, std::string_view text);
/// The index of the first entry equal to the text (exact bytes), or none.
std::optional<std::uint16_t> Config_has_string(const Config& config, std::string_view text);
/// Appends the value; its index, or none when the table is full.
std::optional<std::uint16_t> Config_add_long(Config& config, std::uint32_t value);
/// The index of the first entry equal to the value, or none.
std::optional<std::uint16_t> Config_has_long(const Config& config, std::uint32_t value);
/// Appends the binding; false, with the configuration unchanged, when it
/// already holds kMaxTableEntries bindings.
bool Config_add_binding(Config& config, Binding binding);
/// The first binding of that key, or none.
Binding* Config_get_binding(Config& config, std::uint8_t key);
/// The first binding of that key, created and appended when there is none;
/// none only when a new binding would pass the limit.
Binding* Config_get_or_create_binding(Config& config, std::uint8_t key);

}  // namespace vorlanex
