// Parsing configuration text in a test, with the messages it gave.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/config.h"
#include "config/stream.h"
#include "language/parser.h"

namespace vorlanex::testing {

struct Parsed {
    bool ok = false;
    Config config;
    std::string messages;
    std::vector<int> lines;  ///< the line each message belongs to
};

inline Parsed parse_text(const std::string& text, bool ignoreMissingPorts = false,
                         Definitions* definitions = nullptr) {
    Definitions own;
    Parsed parsed;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    InputStream in({bytes, text.size()});
    Messages messages;
    parsed.ok = Config_parse(parsed.config, in, definitions ? *definitions : own, messages,
                             ignoreMissingPorts);
    parsed.messages = messages.joined();
    parsed.lines.clear();
    for (const Message& message : messages.list()) parsed.lines.push_back(message.line);
    return parsed;
}

/// The commands of the immediate binding.
inline std::vector<Command> immediate_commands(const Config& config) {
    for (const Binding& binding : config.bindings)
        if (binding.key == KEY_IMMEDIATE) return binding.commands;
    return {};
}

}  // namespace vorlanex::testing
