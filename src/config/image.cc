#include "config/image.h"

#include <array>
#include <optional>
#include <string>

namespace vorlanex {

void Command_write(const Command& command, std::vector<std::uint8_t>& out) {
    out.insert(out.end(),
               {command.action, command.policy, command.port, command.mask, command.data});
}

void Binding_write(const Binding& binding, std::vector<std::uint8_t>& out) {
    out.insert(out.end(),
               {binding.key, binding.times, static_cast<std::uint8_t>(binding.num_commands())});
    for (const Command& command : binding.commands) Command_write(command, out);
}

void Expansion_write(const Expansion& expansion, std::vector<std::uint8_t>& out) {
    out.insert(out.end(), {expansion.num_ports(), expansion.clock_pin, expansion.data_pin,
                           expansion.latch_pin, expansion.enable_pin});
}

void Config_write(const Config& config, std::vector<std::uint8_t>& out) {
    out.insert(out.end(), std::begin(CONFIG_MAGIC), std::end(CONFIG_MAGIC));
    if (config.expansion) {
        out.push_back(KEY_EXPANSION);
        Expansion_write(*config.expansion, out);
    }
    for (const Binding& binding : config.bindings) Binding_write(binding, out);
    for (const std::string& text : config.string_table) {
        out.push_back(KEY_STRING);
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    }
    for (const std::uint32_t value : config.longs) {
        out.insert(
            out.end(),
            {KEY_LONG, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
    }
    out.push_back(KEY_EOF);
}

namespace {

bool broken(Messages& messages, const char* what) {
    return messages.fail(format("error: broken image: %s", what));
}

bool truncated(Messages& messages, const char* record) {
    return messages.fail(format("error: broken image: the input ends inside %s record", record));
}

// Reads exactly N bytes; none when the input ends first.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> read_bytes(InputStream& in) {
    std::array<std::uint8_t, N> bytes;
    for (std::uint8_t& byte : bytes) {
        const int c = in.get();
        if (c < 0) return std::nullopt;
        byte = static_cast<std::uint8_t>(c);
    }
    return bytes;
}

bool Command_read(Command& command, InputStream& in) {
    const auto bytes = read_bytes<5>(in);
    if (!bytes) return false;
    const auto [action, policy, port, mask, data] = *bytes;
    command = Command{action, port, mask, data, policy};
    return true;
}

bool Binding_read(Config& config, std::uint8_t key, InputStream& in, Messages& messages) {
    const auto header = read_bytes<2>(in);
    if (!header) return truncated(messages, "a binding");
    Binding binding;
    binding.key = key;
    binding.times = (*header)[0];
    const std::uint8_t count = (*header)[1];
    binding.commands.resize(count);
    for (Command& command : binding.commands) {
        if (!Command_read(command, in)) return truncated(messages, "a binding");
    }
    if (!Config_add_binding(config, std::move(binding)))
        return broken(messages, "more than 65535 bindings");
    return true;
}

bool Expansion_read(Config& config, InputStream& in, Messages& messages) {
    const auto bytes = read_bytes<5>(in);
    if (!bytes) return truncated(messages, "an expansion");
    Expansion expansion;
    Expansion_set_num_ports(expansion, (*bytes)[0]);
    expansion.clock_pin = (*bytes)[1];
    expansion.data_pin = (*bytes)[2];
    expansion.latch_pin = (*bytes)[3];
    expansion.enable_pin = (*bytes)[4];
    config.expansion = std::move(expansion);
    return true;
}

bool String_read(Config& config, InputStream& in, Messages& messages) {
    std::string text;
    for (int c = in.get(); c != 0; c = in.get()) {
        if (c < 0) return truncated(messages, "a string");
        if (text.size() == kMaxImageString)
            return broken(messages, "a string record holds more than 4095 bytes");
        text.push_back(static_cast<char>(c));
    }
    if (!Config_add_string(config, text)) return broken(messages, "more than 65535 strings");
    return true;
}

bool Long_read(Config& config, InputStream& in, Messages& messages) {
    const auto bytes = read_bytes<4>(in);
    if (!bytes) return truncated(messages, "a long value");
    const std::uint32_t value = static_cast<std::uint32_t>((*bytes)[0]) |
                                static_cast<std::uint32_t>((*bytes)[1]) << 8 |
                                static_cast<std::uint32_t>((*bytes)[2]) << 16 |
                                static_cast<std::uint32_t>((*bytes)[3]) << 24;
    if (!Config_add_long(config, value)) return broken(messages, "more than 65535 long values");
    return true;
}

bool Record_read(Config& config, std::uint8_t tag, InputStream& in, Messages& messages) {
    switch (tag) {
        case KEY_STRING:
            return String_read(config, in, messages);
        case KEY_LONG:
            return Long_read(config, in, messages);
        case KEY_EXPANSION:
            return Expansion_read(config, in, messages);
        default:
            return Binding_read(config, tag, in, messages);
    }
}

}  // namespace

ReadResult Config_read(Config& config, InputStream& in, Messages& messages) {
    const int first = in.get();
    if (first != CONFIG_MAGIC[0]) {
        if (first >= 0) in.unget();
        return ReadResult::NotAnImage;
    }
    const int second = in.get();
    if (second != CONFIG_MAGIC[1]) {
        if (second >= 0) in.unget();
        return ReadResult::NotAnImage;
    }
    for (int tag = in.get(); tag >= 0 && tag != KEY_EOF; tag = in.get()) {
        if (!Record_read(config, static_cast<std::uint8_t>(tag), in, messages))
            return ReadResult::Broken;
    }
    return ReadResult::Image;
}

}  // namespace vorlanex
