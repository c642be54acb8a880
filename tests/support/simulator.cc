#include "support/simulator.h"

#include <sstream>

#include "support/temp_dir.h"

namespace vorlanex::testing {

namespace {

struct LogLine {
    std::string face, serial, request, value, index, data;
};

std::vector<LogLine> parse(const std::vector<std::string>& log) {
    std::vector<LogLine> lines;
    for (const std::string& text : log) {
        std::istringstream in(text);
        LogLine line;
        in >> line.face >> line.serial >> line.request >> line.value >> line.index >> line.data;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

SimResult run_simulated(const std::vector<std::string>& sim_options,
                        const std::vector<std::string>& args, const std::string& input,
                        const std::string& cwd) {
    const TempDir dir;
    const std::string log_file = dir.file("requests.log");
    const std::string flash_file = dir.file("flash");
    ProgramRun run;
    run.args = {VORLANEX_SIM, "--log",        log_file,      "--flash",
                flash_file,   "--time-scale", kTestTimeScale};
    run.args.insert(run.args.end(), sim_options.begin(), sim_options.end());
    run.args.push_back("--");
    run.args.push_back(VORLANEX_BINARY);
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.cwd = cwd;
    SimResult result{run_program(run), {}, read_file_content(flash_file)};
    std::istringstream log(read_file_content(log_file));
    for (std::string line; std::getline(log, line);) result.log.push_back(line);
    return result;
}

std::vector<std::string> requests_of(const std::vector<std::string>& log) {
    std::vector<std::string> requests;
    for (const LogLine& line : parse(log)) {
        requests.push_back(line.face + " " + line.request + " " + line.value + " " + line.index);
    }
    return requests;
}

std::vector<std::string> data_of(const std::vector<std::string>& log) {
    std::vector<std::string> data;
    for (const LogLine& line : parse(log)) data.push_back(line.data);
    return data;
}

}  // namespace vorlanex::testing
