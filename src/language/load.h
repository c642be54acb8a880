// Reading configuration input of either form: the binary image is tried
// first, the text second, on the same bytes.
#pragma once

#include <cstdint>
#include <span>

#include "config/config.h"
#include "strings/messages.h"
#include "strings/strings.h"

namespace vorlanex {

/// Fills `config` (which should be empty) from the bytes. The messages of the
/// image reader or of the text parser go to `messages`; false on an error.
bool Config_load(Config& config, std::span<const std::uint8_t> bytes, Definitions& definitions,
                 Messages& messages, bool ignoreMissingPorts);

}  // namespace vorlanex
