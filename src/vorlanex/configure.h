// Storing a configuration in the controller: configure, and update, which
// stores the configuration back after the new firmware is in.
#pragma once

#include "vorlanex/files.h"
#include "vorlanex/front_end.h"

namespace vorlanex {

/// Stores the image as the controller's configuration (request 3), with its
/// progress line; true when the controller took all of it.
bool store_configuration(Session& session, const Bytes& image);

}  // namespace vorlanex
