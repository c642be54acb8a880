// Bytes for the tests' inputs and expectations, kept in strings as the
// programs read and write them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vorlanex::testing {

/// The bytes as a string, for inputs and files.
std::string bytes(std::initializer_list<std::uint8_t> values);

/// Lower-case hex digit pairs, as the simulator's request log shows data.
std::string hex(std::string_view data);

/// `size` bytes of a fixed pseudo-random sequence: the same for the same seed.
std::string random_bytes(std::size_t size, unsigned seed);

/// "set port a bit 3 1" (or "set a3 1") as an image, and its hex.
extern const std::string kSetA3Image;
inline constexpr const char* kSetA3Hex = "1ccffe01010000000801ff";

}  // namespace vorlanex::testing
