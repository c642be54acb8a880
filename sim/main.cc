// vorlanex-sim: runs a program against emulated keyboard controllers.
#include <chrono>
#include <cstdio>
#include <fstream>

#include "sim/child.h"
#include "sim/options.h"
#include "sim/report.h"
#include "sim/simulation.h"

namespace vorlanex::sim {
namespace {

bool write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) std::fprintf(stderr, "vorlanex-sim: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

// The milliseconds from the start to the request, and a blank.
std::string time_column(const Received& received, std::chrono::steady_clock::time_point start) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(received.at - start);
    return std::to_string(ms.count()) + " ";
}

bool write_outputs(const Options& options, Simulation& simulation) {
    bool written = true;
    const Journal journal = simulation.journal();
    if (!options.log_file.empty()) {
        std::string log;
        for (const Received& received : journal) {
            if (options.log_times) log += time_column(received, simulation.started());
            log += log_line(received) + "\n";
        }
        written = write_file(options.log_file, log) && written;
    }
    if (!options.flash_file.empty()) {
        const std::vector<std::uint8_t> flash = simulation.first_flash();
        written =
            write_file(options.flash_file, std::string(flash.begin(), flash.end())) && written;
    }
    if (options.show) std::fputs(summarize(journal).c_str(), stderr);
    return written;
}

int run(int argc, char** argv) {
    int status = 0;
    const std::optional<Options> options = parse_options(argc, argv, status);
    if (!options) return status;
    Simulation simulation(*options);
    if (!simulation.start()) return 2;
    status =
        run_program(options->program, program_environment(simulation.root(), options->time_scale));
    if (!write_outputs(*options, simulation)) return 2;
    return status;
}

}  // namespace
}  // namespace vorlanex::sim

int main(int argc, char** argv) {
    return vorlanex::sim::run(argc, argv);
}
