// The configuration file parser: lines of comments, definitions, key prefixes,
// expansion declarations and statements become a Config.
#pragma once

#include "config/config.h"
#include "config/stream.h"
#include "strings/strings.h"

namespace vorlanex {

/// Reads the whole stream from its start. Definitions enter `definitions`.
/// False after the first error, whose line-numbered message has been written;
/// what earlier lines added stays in `config`, which the caller discards.
bool Config_parse(Config& config, InputStream& in, Definitions& definitions,
                  bool ignoreMissingPorts);

}  // namespace vorlanex
