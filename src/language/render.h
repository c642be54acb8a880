// Configuration text: any Config written back as lines of the language.
//
// Key codes and values are written as numbers ("$3F: press $08"), every
// binding gets its "requires" line, and "type" texts are escaped so that the
// text reads back as the same bytes.
#pragma once

#include <string>

#include "config/config.h"
#include "strings/messages.h"

namespace vorlanex {

/// Appends the text of the whole configuration. False, with an "error: "
/// message, when a command refers to an entry beyond its table or a line
/// would be longer than the reader takes (possible only in a configuration
/// read from an image); `out` is then incomplete.
bool Config_print(const Config& config, std::string& out, Messages& messages);

void Expansion_print(const Expansion& expansion, std::string& out);
bool Binding_print(const Config& config, const Binding& binding, std::string& out,
                   Messages& messages);
/// One command and its newline, without the key prefix.
bool Command_print(const Config& config, const Command& command, bool immediate, std::string& out,
                   Messages& messages);
void Key_print(std::uint8_t key, std::string& out);

}  // namespace vorlanex
