// Running the program under the testbed while the main loop serves its
// device requests.
#pragma once

#include <string>
#include <vector>

namespace vorlanex::sim {

/// Runs the program (searched in PATH) with that environment until it ends;
/// its exit status, 128 + the signal number when a signal ended it, or 127
/// when it could not be started.
int run_program(const std::vector<std::string>& program,
                const std::vector<std::string>& environment);

}  // namespace vorlanex::sim
