// The test-only time scale: the simulator hands it to its program only when
// a test asks, and the tool's waits then keep their proportions.
#include <gtest/gtest.h>

#include <chrono>

#include "support/simulator.h"

namespace vorlanex {
namespace {

bool has_line(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(TimeScale, TheSimulatorSetsItForItsProgramOnlyWhenAsked) {
    const struct {
        std::vector<std::string> sim_options;
        std::vector<std::string> env;
        std::string line;
        bool present;
    } cases[] = {
        {{"--time-scale", "10"}, {}, "VORLANEX_TEST_TIMESCALE=10", true},
        {{"--time-scale", "10"}, {"VORLANEX_TEST_TIMESCALE=7"}, "VORLANEX_TEST_TIMESCALE=10", true},
        {{"--time-scale", "10"}, {"VORLANEX_TEST_TIMESCALE=7"}, "VORLANEX_TEST_TIMESCALE=7", false},
        {{}, {"VORLANEX_TEST_TIMESCALE=7"}, "VORLANEX_TEST_TIMESCALE=7", false},
        {{"--time-scale", "1"}, {}, "VORLANEX_TEST_TIMESCALE=1", false},
    };
    for (const auto& c : cases) {
        testing::ProgramRun run;
        run.args = {VORLANEX_SIM};
        run.args.insert(run.args.end(), c.sim_options.begin(), c.sim_options.end());
        run.args.insert(run.args.end(), {"--", "env"});
        run.env = c.env;
        const testing::ProgramResult result = testing::run_program(run);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(has_line(result.out, c.line), c.present) << c.line;
    }
    testing::ProgramRun refused;
    for (const char* scale : {"0", "101", "x"}) {
        refused.args = {VORLANEX_SIM, "--time-scale", scale, "--", "true"};
        const testing::ProgramResult result = testing::run_program(refused);
        EXPECT_EQ(result.status, 2) << scale;
        EXPECT_EQ(result.err, std::string("vorlanex-sim: not a time scale: \"") + scale + "\"\n");
    }
}

// What takes 5 s (libusb's time-out) and 10 s (a controller that never comes
// back) for a user runs out within half of it at a scale of 50, whatever the
// machine's load adds to the start of the programs.
TEST(TimeScale, ShortensTheTimeOutAndTheReconnectionWaitAlike) {
    const struct {
        std::vector<std::string> sim_options;
        std::vector<std::string> args;
        std::chrono::milliseconds real;
        std::string ran_out;  // in what the tool printed
    } cases[] = {
        {{"--hang", "0"}, {"set", "a3"}, std::chrono::milliseconds(5000), "Operation timed out"},
        {{"--no-return"}, {"reset"}, std::chrono::milliseconds(10000), "device.........."},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::string> sim_options = {"--time-scale", "50"};
        sim_options.insert(sim_options.end(), c.sim_options.begin(), c.sim_options.end());
        const auto result = testing::run_simulated(sim_options, c.args);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_NE(result.program.err.find(c.ran_out), std::string::npos) << result.program.err;
        EXPECT_GE(took, c.real / 50) << c.args[0];
        EXPECT_LT(took, c.real / 2) << c.args[0];
    }
}

}  // namespace
}  // namespace vorlanex
