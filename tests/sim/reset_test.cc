// reset, the identification and the selection of a controller by serial
// number, run against the simulated controller.
#include <gtest/gtest.h>

#include "support/simulator.h"

namespace vorlanex {
namespace {

using testing::run_simulated;
using Lines = std::vector<std::string>;

// "vorlanex-sim" and its 0 byte: what the simulated controller answers.
const std::string kIdentified = "configurator - 2 0 0 766f726c616e65782d73696d00";
// The message and one dot, blanked: the controller was back at the first test.
const std::string kBackAtOnce = "Resetting device.\r" + std::string(16 + 10, ' ') + "\r";
const std::string kVorlanexUnreachable =
    "error: failed to open Vorlanex device \"usb\" (1209:7661)\n";

template <typename Case>
std::string case_name(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

struct ResetCase {
    const char* name;
    Lines sim_options;
    std::string err;
    std::string out;
    int status;
    Lines log;
};

void PrintTo(const ResetCase& c, std::ostream* os) {
    *os << c.name;
}

class Reset : public ::testing::TestWithParam<ResetCase> {};

TEST_P(Reset, RestartsWhicheverFaceIsAttachedAndWaitsForTheController) {
    const ResetCase& c = GetParam();
    const auto result = run_simulated(c.sim_options, {"reset"});
    EXPECT_EQ(result.program.err, c.err);
    EXPECT_EQ(result.program.out, c.out);
    EXPECT_EQ(result.program.status, c.status);
    EXPECT_EQ(result.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Reset,
    ::testing::Values(
        ResetCase{"FromTheConfigurator",
                  {},
                  kBackAtOnce,
                  "vorlanex-sim\n",
                  0,
                  {"configurator - 7 0 0 -", kIdentified}},
        // Connect and disconnect go out silently, even when the bootloader refuses them.
        ResetCase{"FromTheBootloader",
                  {"--start", "bootloader", "--stall", "bootloader:1"},
                  kBackAtOnce,
                  "vorlanex-sim\n",
                  0,
                  {"bootloader - 1 0 0 -", "bootloader - 2 0 0 -", kIdentified}},
        // After the wait the USB link is quiet: the failed identification says nothing.
        ResetCase{"QuietAfterTheWait",
                  {"--stall", "2"},
                  kBackAtOnce,
                  "",
                  0,
                  {"configurator - 7 0 0 -", "configurator - 2 0 0 -"}},
        ResetCase{"NeverComesBack",
                  {"--time-scale", testing::kFastTimeScale, "--no-return"},
                  "Resetting device.........." + kVorlanexUnreachable,
                  "",
                  1,
                  {"configurator - 7 0 0 -"}},
        ResetCase{"NothingAttached",
                  {"--start", "none"},
                  kVorlanexUnreachable +
                      "error: failed to open Bootloader device \"usbasp\" (16C0:05DC)\n",
                  "",
                  1,
                  {}}),
    case_name<ResetCase>);

// A dot at each whole second, but the device is tested every 100 ms: the wait
// ends soon after the controller is back, not at the next second. At a
// quarter of real time each return is 125 ms from the seconds around it,
// room enough for a loaded machine.
TEST(ResetWait, CountsTheSecondsButEndsSoonAfterTheControllerIsBack) {
    const struct {
        const char* restart_delay;
        std::string dots;
    } cases[] = {{"1500", "."}, {"2500", ".."}};
    for (const auto& c : cases) {
        const auto result =
            run_simulated({"--time-scale", "4", "--restart-delay", c.restart_delay}, {"reset"});
        EXPECT_EQ(result.program.err,
                  "Resetting device" + c.dots + "\r" + std::string(26, ' ') + "\r")
            << c.restart_delay;
        EXPECT_EQ(result.program.status, 0);
    }
}

// In real time: a controller back 1.1 s after the reset request is asked to
// identify itself soon after, where a test once a second would wait for 2 s.
TEST(ResetWait, EndsWithinAboutATenthOfASecondOfTheReturn) {
    const auto result =
        run_simulated({"--time-scale", "1", "--restart-delay", "1100", "--log-times"}, {"reset"});
    EXPECT_EQ(result.program.status, 0) << result.program.err;
    ASSERT_EQ(result.log.size(), 2u);
    const long reset_at = std::stol(result.log[0]);
    const long identify_at = std::stol(result.log[1]);
    EXPECT_GE(identify_at - reset_at, 1100);
    EXPECT_LT(identify_at - reset_at, 1500);
}

struct IdentifyCase {
    const char* name;
    Lines sim_options;
    Lines args;
    std::string out;
    std::string err;
    int status;
};

void PrintTo(const IdentifyCase& c, std::ostream* os) {
    *os << c.name;
}

class Identify : public ::testing::TestWithParam<IdentifyCase> {};

TEST_P(Identify, PrintsTheTextOfTheSelectedController) {
    const IdentifyCase& c = GetParam();
    const auto result = run_simulated(c.sim_options, c.args);
    EXPECT_EQ(result.program.out, c.out);
    EXPECT_EQ(result.program.err, c.err);
    EXPECT_EQ(result.program.status, c.status);
}

const Lines kAB = {"--serial", "A", "--serial", "B"};

INSTANTIATE_TEST_SUITE_P(
    Replies, Identify,
    ::testing::Values(
        IdentifyCase{"UpToTheZeroByte", {}, {"-i"}, "vorlanex-sim\n", "", 0},
        IdentifyCase{
            "ShortReplyWithoutZeroByte", {"--short", "2=5"}, {"--identify"}, "vorla\n", "", 0},
        IdentifyCase{"AtMostTheBuffer",
                     {"--identification", std::string(70, 'x')},
                     {"-i"},
                     std::string(64, 'x') + "\n",
                     "",
                     0},
        IdentifyCase{"EmptyReply",
                     {"--short", "2=0"},
                     {"-i"},
                     "",
                     "error: the controller sent no identification\n",
                     1},
        IdentifyCase{"Refused",
                     {"--stall", "2"},
                     {"-i"},
                     "",
                     "error: could not send usb control message: Pipe error\n",
                     1},
        IdentifyCase{"NoController",
                     {"--start", "none"},
                     {"-i"},
                     "",
                     "error: could not open usb device \"usb\"\n",
                     1}),
    case_name<IdentifyCase>);

INSTANTIATE_TEST_SUITE_P(
    Selection, Identify,
    ::testing::Values(
        IdentifyCase{"BySerial", kAB, {"-d", "usb:B", "-i"}, "vorlanex-sim B\n", "", 0},
        IdentifyCase{"WithoutSerialTheFirst", kAB, {"-d", "usb", "-i"}, "vorlanex-sim A\n", "", 0},
        IdentifyCase{
            "WithoutColonTheFirst", kAB, {"--device=anything", "-i"}, "vorlanex-sim A\n", "", 0},
        IdentifyCase{"DeviceAfterIdentifyComesTooLate",
                     kAB,
                     {"-i", "-d", "usb:B"},
                     "vorlanex-sim A\n",
                     "",
                     0},
        IdentifyCase{"ANoSerialDeviceEarlierWins",
                     {"--no-serial", "--serial", "B"},
                     {"-d", "usb:B", "-i"},
                     "vorlanex-sim\n",
                     "",
                     0},
        IdentifyCase{"TheSerialIsAllAfterTheFirstColon",
                     {"--serial", "A", "--serial", "x:y"},
                     {"-d", "usb:x:y", "-i"},
                     "vorlanex-sim x:y\n",
                     "",
                     0},
        IdentifyCase{"NoSuchSerial",
                     kAB,
                     {"-d", "usb:C", "-i"},
                     "",
                     "error: could not open usb device \"usb:C\"\n",
                     1},
        IdentifyCase{"EmptySerial",
                     kAB,
                     {"-d", "usb:", "-i"},
                     "",
                     "error: could not open usb device \"usb:\"\n",
                     1},
        // With a serial number asked for, a device that cannot be opened is skipped...
        IdentifyCase{"UnopenableSkippedForASerial",
                     {"--serial", "A", "--serial", "B", "--unopenable", "1"},
                     {"-d", "usb:B", "-i"},
                     "vorlanex-sim B\n",
                     "warning: could not open usb device 042/002: Input/Output Error\n",
                     0},
        // ...without one it ends the search.
        IdentifyCase{"UnopenableEndsTheSearch",
                     {"--serial", "A", "--serial", "B", "--unopenable", "1"},
                     {"-i"},
                     "",
                     "error: could not open usb device 042/002: Input/Output Error\n"
                     "error: could not open usb device \"usb\"\n",
                     1}),
    case_name<IdentifyCase>);

}  // namespace
}  // namespace vorlanex
