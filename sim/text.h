// Small text helpers of the simulator's reports and device records.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlanex::sim {

/// printf into a string of at most 255 characters.
[[gnu::format(printf, 1, 2)]] std::string printed(const char* format, ...);

/// The bytes as lower-case hex digit pairs with `separator` between them.
std::string hex(std::span<const std::uint8_t> bytes, std::string_view separator = "");

}  // namespace vorlanex::sim
