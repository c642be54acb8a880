// Runs the built vorlanex under the simulated controller (vorlanex-sim) and
// collects, beside what it printed, the log of the requests the controllers
// received and the first controller's flash.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"

namespace vorlanex::testing {

/// The runs below go ten times faster than a user's: the tool's waits and
/// the simulated restarts alike, so that every output stays the same. A test
/// that measures real time passes "--time-scale", "1" among its options.
inline constexpr const char* kTestTimeScale = "10";
/// For runs in which every wait runs out (nothing comes back, a request is
/// never answered): no proportion matters there, so they go faster still.
inline constexpr const char* kFastTimeScale = "50";

struct SimResult {
    ProgramResult program;
    std::vector<std::string> log;  ///< one line per vendor request
    std::string flash;             ///< the first controller's, as its bootloader wrote it
};

/// vorlanex-sim SIM_OPTIONS -- vorlanex ARGS, with `input` on standard input,
/// run in `cwd` (the current directory when empty).
SimResult run_simulated(const std::vector<std::string>& sim_options,
                        const std::vector<std::string>& args, const std::string& input = "",
                        const std::string& cwd = "");

/// The log lines without their serial-number and data columns:
/// "FACE REQUEST VALUE INDEX".
std::vector<std::string> requests_of(const std::vector<std::string>& log);
/// The data column of each log line ("-" for none).
std::vector<std::string> data_of(const std::vector<std::string>& log);

}  // namespace vorlanex::testing
