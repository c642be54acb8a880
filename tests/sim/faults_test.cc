// Device faults: a request that is never answered runs into libusb's
// time-out (5000 ms, less at the tests' time scale), which is reported as the link reports
// every failed transfer; the update leaves the bootloader alone after a failed block.
#include <gtest/gtest.h>

#include "support/simulator.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::run_simulated;

TEST(Faults, ACommandNeverAnsweredTimesOut) {
    const auto result =
        run_simulated({"--time-scale", testing::kFastTimeScale, "--hang", "0"}, {"set", "a3"});
    EXPECT_EQ(result.program.status, 256 - 7);  // LIBUSB_ERROR_TIMEOUT
    EXPECT_EQ(result.program.err,
              "error: could not send usb control message: Operation timed out\n"
              "error: could not send usb control message: Operation timed out\n");
}

TEST(Faults, ABlockNeverAnsweredStopsTheUpdateInTheBootloader) {
    testing::TempDir dir;
    const auto result = run_simulated({"--time-scale", testing::kFastTimeScale, "--start",
                                       "bootloader", "--hang", "bootloader:6"},
                                      {"update", dir.write("fw.bin", std::string(100, 'x'))});
    EXPECT_EQ(result.program.status, 1);
    EXPECT_NE(result.program.err.find(
                  "error: could not send usb control message: Operation timed out\n"
                  "failed!\nerror: the bootloader did not take the block at 0x00000\n"),
              std::string::npos)
        << result.program.err;
    // Connect and the one block; no disconnect: the controller stays in its bootloader.
    ASSERT_EQ(result.log.size(), 2u);
    EXPECT_TRUE(result.log[1].starts_with("bootloader - 6 0 0 ")) << result.log[1];
}

}  // namespace
}  // namespace vorlanex

namespace vorlanex {
namespace {

// The controller restarts into its bootloader instead of coming back: the
// wait gives up after nine presence tests and names the missing configurator.
TEST(Faults, AControllerThatComesBackAsTheOtherFaceIsNotBack) {
    const auto result = testing::run_simulated(
        {"--time-scale", testing::kFastTimeScale, "--return-as", "bootloader"}, {"reset"});
    EXPECT_EQ(result.program.status, 1);
    EXPECT_EQ(
        result.program.err,
        "Resetting device..........error: failed to open Vorlanex device \"usb\" (1209:7661)\n");
    EXPECT_EQ(result.program.out, "");
}

}  // namespace
}  // namespace vorlanex

namespace vorlanex {
namespace {

// The presence test finds the controller, which is gone for the transfer.
TEST(Faults, AControllerThatVanishesAfterThePresenceTest) {
    testing::TempDir dir;
    const auto result = testing::run_simulated({"--vanish-after", "1"},
                                               {"configure", dir.write("a.conf", "set a3\n")});
    EXPECT_EQ(result.program.status, 1);
    EXPECT_EQ(result.program.err,
              "Flashing configuration: 11 bytes...error: could not open usb device \"usb\"\n"
              "failed!\n");
    EXPECT_TRUE(result.log.empty());
}

}  // namespace
}  // namespace vorlanex

namespace vorlanex {
namespace {

// The part of `text` from the line `heading` to the next line that starts
// with `next`.
std::string section(const std::string& text, const std::string& heading, const std::string& next) {
    const std::size_t start = text.find("\n" + heading + "\n");
    if (start == std::string::npos) return "";
    const std::size_t end = text.find("\n" + next, start + heading.size() + 2);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// A failed transfer of a command exits with libusb's code as an 8-bit status;
// the README and the manual page give the same three examples.
TEST(Faults, TheDocumentedStatusesOfAFailedTransferAreThoseTheToolGives) {
    const std::string readme = section(testing::read_file_content(VORLANEX_SOURCE_DIR "/README.md"),
                                       "## Exit status", "## ");
    const std::string manual =
        section(testing::read_file_content(VORLANEX_SOURCE_DIR "/doc/vorlanex.1.scd"),
                "# EXIT STATUS", "# ");
    const struct {
        std::vector<std::string> sim_options;
        int status;
        std::string code;
    } cases[] = {
        {{"--start", "none"}, 255, "(-1)"},
        {{"--stall", "0"}, 247, "(LIBUSB_ERROR_PIPE, -9)"},
        {{"--time-scale", testing::kFastTimeScale, "--hang", "0"},
         249,
         "(LIBUSB_ERROR_TIMEOUT, -7)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testing::run_simulated(c.sim_options, {"set", "a3"}).program.status, c.status);
        for (const std::string* doc : {&readme, &manual}) {
            EXPECT_NE(doc->find(std::to_string(c.status)), std::string::npos) << *doc;
            EXPECT_NE(doc->find(c.code), std::string::npos) << *doc;
        }
    }
}

}  // namespace
}  // namespace vorlanex
