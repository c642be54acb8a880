// Configuration text: any Config written back as lines of the language.
#pragma once

#include <string>

#include "config/config.h"

namespace vorlanex {

/// Appends the text of the whole configuration. False, after an "error: "
/// line and with `out` unusable, when a command refers to an entry beyond its
/// table (possible only in a configuration read from an image).
bool Config_print(const Config& config, std::string& out);

}  // namespace vorlanex
