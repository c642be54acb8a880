// Test-only: a faster clock for the tool's waits.
//
// VORLANEX_TEST_TIMESCALE=N, a whole number from 1 to 100, makes each wait of
// the tool N times shorter: libusb's time-out for one transfer and the pauses
// of the reconnection wait. It exists for the tests under the simulated
// controller, which sets it for the program it runs only when a test asks
// (vorlanex-sim --time-scale N) and shortens its own restart delay alike, so
// that every wait keeps its proportions. Unset, or any other value: the real
// durations, as a user gets them.
#pragma once

#include <chrono>

namespace vorlanex {

inline constexpr const char* kTimescaleVariable = "VORLANEX_TEST_TIMESCALE";
inline constexpr unsigned kMaxTimescale = 100;

/// The duration divided by the scale, but at least 1 ms (libusb takes a
/// time-out of 0 as none). The variable is read at the first call.
std::chrono::milliseconds scaled(std::chrono::milliseconds duration);

}  // namespace vorlanex
