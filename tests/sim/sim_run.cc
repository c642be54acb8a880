#include "sim_run.h"

#include <sstream>

#include "support/temp_dir.h"

namespace vorlanex::testing {

SimResult run_simulated(const std::vector<std::string>& sim_options,
                        const std::vector<std::string>& args, const std::string& input,
                        const std::string& cwd) {
    const TempDir dir;
    const std::string log_file = dir.file("requests.log");
    ProgramRun run;
    run.args = {VORLANEX_SIM_BINARY, "--log", log_file, "--time-scale", kTestTimeScale};
    run.args.insert(run.args.end(), sim_options.begin(), sim_options.end());
    run.args.push_back("--");
    run.args.push_back(VORLANEX_BINARY);
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.cwd = cwd;
    SimResult result{run_program(run), {}};
    std::istringstream log(read_file_content(log_file));
    for (std::string line; std::getline(log, line);) result.log.push_back(line);
    return result;
}

std::string bytes(std::initializer_list<std::uint8_t> values) {
    return std::string(values.begin(), values.end());
}

}  // namespace vorlanex::testing
