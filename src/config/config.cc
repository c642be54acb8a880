#include "config/config.h"

namespace vorlanex {

void Command_set_index(Command& command, std::uint16_t index) {
    command.mask = static_cast<std::uint8_t>(index & 0xFF);
    command.data = static_cast<std::uint8_t>(index >> 8);
}

std::uint16_t Command_index(const Command& command) {
    return static_cast<std::uint16_t>(command.mask | command.data << 8);
}

bool Binding_add(Binding& binding, const Command& command) {
    if (binding.commands.size() >= kMaxCommandsPerBinding) return false;
    binding.commands.push_back(command);
    return true;
}

void Expansion_set_num_ports(Expansion& expansion, std::uint8_t count) {
    expansion.port_values.assign(count, 0);
}

std::optional<std::uint16_t> Config_add_string(Config& config, std::string_view text) {
    if (config.string_table.size() >= kMaxTableEntries) return std::nullopt;
    const auto index = static_cast<std::uint16_t>(config.string_table.size());
    config.string_table.emplace_back(text);
    config.string_index.try_emplace(std::string(text), index);
    return index;
}

std::optional<std::uint16_t> Config_has_string(const Config& config, std::string_view text) {
    const auto it = config.string_index.find(std::string(text));
    if (it == config.string_index.end()) return std::nullopt;
    return it->second;
}

std::optional<std::uint16_t> Config_add_long(Config& config, std::uint32_t value) {
    if (config.longs.size() >= kMaxTableEntries) return std::nullopt;
    const auto index = static_cast<std::uint16_t>(config.longs.size());
    config.longs.push_back(value);
    config.long_index.try_emplace(value, index);
    return index;
}

std::optional<std::uint16_t> Config_has_long(const Config& config, std::uint32_t value) {
    const auto it = config.long_index.find(value);
    if (it == config.long_index.end()) return std::nullopt;
    return it->second;
}

bool Config_add_binding(Config& config, Binding binding) {
    if (config.bindings.size() >= kMaxTableEntries) return false;
    std::int32_t& first = config.binding_index[binding.key];
    if (first < 0) first = static_cast<std::int32_t>(config.bindings.size());
    config.bindings.push_back(std::move(binding));
    return true;
}

Binding* Config_get_binding(Config& config, std::uint8_t key) {
    const std::int32_t first = config.binding_index[key];
    return first < 0 ? nullptr : &config.bindings[static_cast<std::size_t>(first)];
}

Binding* Config_get_or_create_binding(Config& config, std::uint8_t key) {
    if (Binding* existing = Config_get_binding(config, key)) return existing;
    Binding binding;
    binding.key = key;
    if (!Config_add_binding(config, std::move(binding))) return nullptr;
    return &config.bindings.back();
}

}  // namespace vorlanex
