#include "language/render.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "language/commands.h"
#include "language/escape.h"
#include "language/parser.h"

namespace vorlanex {

namespace {

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

bool missing_entry(Messages& messages, const char* table, std::uint16_t index) {
    return messages.fail(format(
        "error: the configuration refers to %s entry %u, which it does not hold", table, index));
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

namespace {

void append_line(const Command& command, const char* name, std::string& out) {
    const int low = lowest_bit(command.mask);
    const int high = highest_bit(command.mask);
    if (low == high) {
        appendf(out, "%s port %c bit %d ", name, port_letter(command.port), low);
    } else {
        appendf(out, "%s port %c bits %d-%d ", name, port_letter(command.port), low, high);
    }
}

}  // namespace

bool Command_print(const Config& config, const Command& command, bool immediate, std::string& out,
                   Messages& messages) {
    const CommandInfo& info = command_info(command.action);
    const std::string name(info.name);
    if (command.policy == POLICY_EVEN) out += "0 ";
    if (command.policy == POLICY_ODD) out += "1 ";
    switch (info.writes) {
        case Writes::Text: {
            const std::uint16_t index = Command_index(command);
            if (index >= config.string_table.size()) return missing_entry(messages, "text", index);
            appendf(out, "%s ", name.c_str());
            out += escape_text(config.string_table[index], immediate);
            break;
        }
        case Writes::Bare:
            out += name;
            break;
        case Writes::Sleep:
            appendf(out, "%s %d", name.c_str(), Command_index(command));
            break;
        case Writes::LongSleep: {
            const std::uint16_t index = Command_index(command);
            if (index >= config.longs.size()) return missing_entry(messages, "long sleep", index);
            appendf(out, "%s %d", name.c_str(), static_cast<std::int32_t>(config.longs[index]));
            break;
        }
        case Writes::Switch:
            appendf(out, "%s %s", name.c_str(), command.data ? "MT8808" : "CD74HC22106");
            break;
        case Writes::Speed:
            appendf(out, "%s %s", name.c_str(), command.data ? "fast" : "slow");
            break;
        case Writes::Value:
            appendf(out, "%s $%02X", name.c_str(), command.data);
            break;
        case Writes::KeyPair:
            appendf(out, "%s $%02X $%02X", name.c_str(), command.mask, command.data);
            break;
        case Writes::LineValue:
            append_line(command, name.c_str(), out);
            appendf(out, "$%02X", command.data);
            break;
        case Writes::Line:
        case Writes::Unknown:
            append_line(command, name.c_str(), out);
            break;
    }
    out += '\n';
    return true;
}

bool Binding_print(const Config& config, const Binding& binding, std::string& out,
                   Messages& messages) {
    const bool immediate = binding.key == KEY_IMMEDIATE;
    if (binding.times != 0) {
        if (!immediate) Key_print(binding.key, out);
        appendf(out, "requires %dx\n", binding.times);
    }
    for (const Command& command : binding.commands) {
        const std::size_t line_start = out.size();
        if (!immediate) Key_print(binding.key, out);
        if (!Command_print(config, command, immediate, out, messages)) return false;
        // Escapes make a text longer; the reader refuses a line past its limit.
        if (out.size() - line_start - 1 > kMaxLineLength) {
            return messages.fail(
                format("error: the text of a binding for $%02X is too long to write as one line",
                       binding.key));
        }
    }
    return true;
}

bool Config_print(const Config& config, std::string& out, Messages& messages) {
    if (config.expansion) Expansion_print(*config.expansion, out);
    for (const Binding& binding : config.bindings) {
        if (!Binding_print(config, binding, out, messages)) return false;
    }
    return true;
}

}  // namespace vorlanex
