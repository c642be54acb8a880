// What the emulated controllers received, for tests (the request log) and for
// a person (the summary).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sim/controller.h"

namespace vorlanex::sim {

/// One line of the request log, without line end:
/// FACE SERIAL|- REQUEST VALUE INDEX DATA|- (numbers in decimal, data in hex).
std::string log_line(const Received& received);

/// A configuration image as configuration text; a hex dump when the bytes
/// are no image or the text cannot be made.
std::string describe_image(std::span<const std::uint8_t> bytes);

/// Every request in words, images decoded, consecutive flash writes summed up.
std::string summarize(const Journal& journal);

}  // namespace vorlanex::sim
