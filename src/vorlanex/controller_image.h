// The image a configuration becomes on its way to the controller.
#pragma once

#include <optional>

#include "vorlanex/files.h"
#include "vorlanex/front_end.h"

namespace vorlanex {

/// The controller receives an image into a buffer of this size.
inline constexpr std::size_t kMaxControllerImage = 4096;

/// Reads the input (an image or text) and encodes it for the controller.
/// None after the messages of the readers, or of an image that is too large.
std::optional<Bytes> controller_image(Session& session, const Bytes& input,
                                      bool ignoreMissingPorts);

}  // namespace vorlanex
