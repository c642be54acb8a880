// Parsing configuration text in a test, with what it wrote to standard error.
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
};

inline Parsed parse_text(const std::string& text, bool ignoreMissingPorts = false,
                         Definitions* definitions = nullptr) {
    Definitions own;
    Parsed parsed;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    InputStream in({bytes, text.size()});
    ::testing::internal::CaptureStderr();
    parsed.ok =
        Config_parse(parsed.config, in, definitions ? *definitions : own, ignoreMissingPorts);
    parsed.messages = ::testing::internal::GetCapturedStderr();
    return parsed;
}

/// The commands of the immediate binding.
inline std::vector<Command> immediate_commands(const Config& config) {
    for (const Binding& binding : config.bindings)
        if (binding.key == KEY_IMMEDIATE) return binding.commands;
    return {};
}

}  // namespace vorlanex::testing
