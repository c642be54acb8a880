#include "language/render.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace vorlanex {

namespace {

constexpr std::size_t kMaxLineLength = 4095;

constexpr std::array<const char*, 29> kActionNames = {
    "set",     "invert",   "increase", "decrease", "tristate", "sleep", "exec",    "clear",
    "unknown", "meta",     "down",     "up",       "type",     "boot",  "swap",    "press",
    "sleep",   "using",    "save",     "restore",  "requires", "map",   "version", "state",
    "lock",    "password", "memorize", "recall",   "speed",
};

const char* action_name(std::uint8_t action) {
    return action < kActionNames.size() ? kActionNames[action] : "unknown";
}

[[gnu::format(printf, 2, 3)]] void appendf(std::string& out, const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

char port_letter(std::uint8_t port) {
    return static_cast<char>('a' + port);
}

// Bytes that a later read would take for something else are written as
// decimal escapes: "#" starts a comment, and on the immediate binding a ":"
// would make a key prefix and an "=" after nothing but blanks a definition
// of "type".
void append_escaped(std::string_view text, bool immediate, std::string& out) {
    const std::size_t first_non_blank = text.find_first_not_of(" \t");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool leading_equals = byte == '=' && i == first_non_blank;
        const bool confusing = byte == '#' || (immediate && (byte == ':' || leading_equals));
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\f') {
            out += "\\f";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (confusing || byte < 0x20 || (byte >= 0x80 && byte <= 0xBF) || byte >= 0xE0) {
            appendf(out, "\\{%d}", byte);
        } else {
            out.push_back(static_cast<char>(byte));
        }
    }
}

std::uint16_t index_of(const Command& command) {
    return static_cast<std::uint16_t>(command.mask + 256 * command.data);
}

bool missing_entry(const char* table, std::uint16_t index) {
    std::fprintf(stderr, "error: the configuration refers to %s entry %u, which it does not hold\n",
                 table, index);
    return false;
}

int lowest_bit(std::uint8_t mask) {
    for (int bit = 0; bit < 8; ++bit)
        if (mask & (1 << bit)) return bit;
    return 0;
}

int highest_bit(std::uint8_t mask) {
    for (int bit = 7; bit >= 0; --bit)
        if (mask & (1 << bit)) return bit;
    return 0;
}

}  // namespace

void Key_print(std::uint8_t key, std::string& out) {
    appendf(out, "$%02X: ", key);
}

void Expansion_print(const Expansion& expansion, std::string& out) {
    const auto port = [](std::uint8_t pin) { return (pin & 0x08) ? "b" : "a"; };
    const auto line = [](std::uint8_t pin) { return pin & 0x07; };
    appendf(out, "expand PORTS=%d CLOCK=%s%d DATA=%s%d LATCH=%s%d ENABLE=%s%d\n",
            expansion.num_ports(), port(expansion.clock_pin), line(expansion.clock_pin),
            port(expansion.data_pin), line(expansion.data_pin), port(expansion.latch_pin),
            line(expansion.latch_pin), port(expansion.enable_pin), line(expansion.enable_pin));
}

bool Command_print(const Config& config, const Command& command, bool immediate, std::string& out) {
    const char* name = action_name(command.action);
    if (command.policy == POLICY_EVEN) out += "0 ";
    if (command.policy == POLICY_ODD) out += "1 ";
    switch (command.action) {
        case ACTION_TYPE: {
            const std::uint16_t index = index_of(command);
            if (index >= config.string_table.size()) return missing_entry("text", index);
            appendf(out, "%s ", name);
            append_escaped(config.string_table[index], immediate, out);
            out += '\n';
            return true;
        }
        case ACTION_BOOT:
        case ACTION_SAVE:
        case ACTION_RESTORE:
            out += name;
            break;
        case ACTION_SLEEP:
            appendf(out, "%s %d", name, index_of(command));
            break;
        case ACTION_LONG_SLEEP: {
            const std::uint16_t index = index_of(command);
            if (index >= config.longs.size()) return missing_entry("long sleep", index);
            appendf(out, "%s %d", name, static_cast<std::int32_t>(config.longs[index]));
            break;
        }
        case ACTION_USING:
            appendf(out, "%s %s", name, command.data ? "MT8808" : "CD74HC22106");
            break;
        case ACTION_SPEED:
            appendf(out, "%s %s", name, command.data ? "fast" : "slow");
            break;
        case ACTION_EXEC:
        case ACTION_META:
        case ACTION_DOWN:
        case ACTION_UP:
        case ACTION_PRESS:
            appendf(out, "%s $%02X", name, command.data);
            break;
        case ACTION_SWAP:
            appendf(out, "%s $%02X $%02X", name, command.mask, command.data);
            break;
        default: {
            const int low = lowest_bit(command.mask);
            const int high = highest_bit(command.mask);
            if (low == high) {
                appendf(out, "%s port %c bit %d ", name, port_letter(command.port), low);
            } else {
                appendf(out, "%s port %c bits %d-%d ", name, port_letter(command.port), low, high);
            }
            if (command.action == ACTION_SET || command.action == ACTION_MAP) {
                appendf(out, "$%02X", command.data);
            }
        }
    }
    out += '\n';
    return true;
}

bool Binding_print(const Config& config, const Binding& binding, std::string& out) {
    const bool immediate = binding.key == KEY_IMMEDIATE;
    if (binding.times != 0) {
        if (!immediate) Key_print(binding.key, out);
        appendf(out, "requires %dx\n", binding.times);
    }
    for (const Command& command : binding.commands) {
        const std::size_t line_start = out.size();
        if (!immediate) Key_print(binding.key, out);
        if (!Command_print(config, command, immediate, out)) return false;
        // Escapes make a text longer; a line past the reader's 4095
        // characters would read back as two statements.
        if (out.size() - line_start - 1 > kMaxLineLength) {
            std::fprintf(
                stderr, "error: the text of a binding for $%02X is too long to write as one line\n",
                binding.key);
            return false;
        }
    }
    return true;
}

bool Config_print(const Config& config, std::string& out) {
    if (config.expansion) Expansion_print(*config.expansion, out);
    for (const Binding& binding : config.bindings) {
        if (!Binding_print(config, binding, out)) return false;
    }
    return true;
}

}  // namespace vorlanex
