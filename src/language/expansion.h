// The expansion declaration: "expand PORTS=2 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3".
#pragma once

#include <string_view>

#include "config/config.h"
#include "strings/strings.h"

namespace vorlanex {

/// True when the statement is a complete, valid declaration. False without a
/// message when it is none, or with an "error: " message when it is a broken one.
bool Expansion_parse(Expansion& expansion, std::string_view statement,
                     const Definitions& definitions, Messages& messages);

}  // namespace vorlanex
