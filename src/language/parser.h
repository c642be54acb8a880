// The configuration file parser: lines of comments, definitions, key prefixes,
// expansion declarations and statements become a Config.
#pragma once

#include "config/config.h"
#include "config/stream.h"
#include "strings/messages.h"
#include "strings/strings.h"

namespace vorlanex {

/// The longest line the parser reads, without its line end; the renderer
/// writes no longer one.
inline constexpr std::size_t kMaxLineLength = 4095;

/// Reads the whole stream from its start. Definitions enter `definitions`.
/// False after the first error, whose line-numbered message ends `messages`;
/// every message carries the number of the line it arose on. What earlier
/// lines added stays in `config`, which the caller discards.
bool Config_parse(Config& config, InputStream& in, Definitions& definitions, Messages& messages,
                  bool ignoreMissingPorts);

}  // namespace vorlanex
