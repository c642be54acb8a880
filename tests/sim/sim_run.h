// Runs the built vorlanex under the simulated controller and collects, beside
// what it printed, the log of the requests the controller received.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace vorlanex::testing {

struct SimResult {
    ProgramResult program;
    std::vector<std::string> log;  ///< one line per vendor request
};

/// The runs below go ten times faster than a user's: the tool's waits and
/// the simulated restarts alike, so that every output stays the same. A test
/// that measures real time passes "--time-scale", "1" among its options.
inline constexpr const char* kTestTimeScale = "10";

/// vorlanex-sim SIM_OPTIONS -- vorlanex ARGS, with `input` on standard input,
/// run in `cwd` (the current directory when empty).
SimResult run_simulated(const std::vector<std::string>& sim_options,
                        const std::vector<std::string>& args, const std::string& input = "",
                        const std::string& cwd = "");

/// The bytes as a string, for inputs and files.
std::string bytes(std::initializer_list<std::uint8_t> values);

}  // namespace vorlanex::testing
