// Firmware updates through the simulated controller: what reaches the
// bootloader's flash, in which requests, and what never does.
#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/simulator.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::hex;
using testing::random_bytes;
using testing::TempDir;

struct SimRun {
    testing::ProgramResult result;
    std::vector<std::string> requests;  // "FACE REQUEST VALUE INDEX" per line of the log
    std::vector<std::string> data;      // the data column of the same lines
    std::string flash;
};

SimRun run_update(const std::vector<std::string>& sim_options,
                  const std::vector<std::string>& update_words) {
    std::vector<std::string> args = {"update"};
    args.insert(args.end(), update_words.begin(), update_words.end());
    const testing::SimResult sim = testing::run_simulated(sim_options, args);
    return {sim.program, testing::requests_of(sim.log), testing::data_of(sim.log), sim.flash};
}

const std::vector<std::string> kBlocksOf100 = {"configurator 4 0 0", "bootloader 1 0 0",
                                               "bootloader 6 0 0",   "bootloader 6 64 0",
                                               "bootloader 6 128 0", "bootloader 2 0 0"};

TEST(Update, WritesA100ByteImageInThreeBlocks) {
    TempDir dir;
    const std::string firmware = random_bytes(100, 1);
    const SimRun sim = run_update({}, {dir.write("fw.Bin", firmware)});
    EXPECT_EQ(sim.result.status, 0) << sim.result.err;
    EXPECT_EQ(sim.requests, kBlocksOf100);
    EXPECT_EQ(sim.data[3], hex(firmware.substr(64)) + std::string(56, 'f'));
    EXPECT_EQ(sim.data[4], std::string(128, 'f'));
    EXPECT_EQ(sim.flash.substr(0, 100), firmware);
    EXPECT_NE(sim.result.err.find("\rUpdating application: 0 of 100 bytes transferred..."
                                  "\rUpdating application: 64 of 100 bytes transferred..."
                                  "\rUpdating application: 100 of 100 bytes transferred...ok\n"),
              std::string::npos)
        << sim.result.err;
}

TEST(Update, ImagesFrom64KiBOnCarryTheHighOffsetInTheIndex) {
    TempDir dir;
    const std::string firmware = random_bytes(65536 + 100, 2);
    const SimRun sim = run_update({"--start", "bootloader"}, {dir.write("big.bin", firmware)});
    EXPECT_EQ(sim.result.status, 0) << sim.result.err;
    ASSERT_EQ(sim.requests.size(), 1u + 1027 + 1);  // connect, the blocks, disconnect
    EXPECT_EQ(sim.requests[1], "bootloader 6 0 0");
    EXPECT_EQ(sim.requests[1 + 1024], "bootloader 6 0 1");
    EXPECT_EQ(sim.requests[1 + 1025], "bootloader 6 64 1");
    EXPECT_EQ(sim.flash.substr(0, firmware.size()), firmware);
}

TEST(Update, IntelHexStartingAbove0ReachesFlashWhole) {
    TempDir dir;
    const std::string firmware = random_bytes(300, 3);
    const std::string source = dir.write("fw.raw", firmware);
    testing::ProgramRun objcopy;
    objcopy.args = {"objcopy", "-I",   "binary",
                    "-O",      "ihex", "--change-addresses",
                    "0x1000",  source, dir.file("FIRMWARE.HEX")};
    ASSERT_EQ(testing::run_program(objcopy).status, 0);
    const SimRun sim = run_update({}, {dir.file("FIRMWARE.HEX")});
    EXPECT_EQ(sim.result.status, 0) << sim.result.err;
    EXPECT_TRUE(sim.result.err.starts_with(
        "Trying to parse Intel HEX format...OK\nParsed 300 bytes starting at 0x1000\n"));
    EXPECT_EQ(sim.requests[2], "bootloader 6 0 0");  // blocks start at offset 0 all the same
    EXPECT_EQ(sim.flash.substr(0x1000, 300), firmware);
    EXPECT_EQ(sim.flash.substr(0, 0x1000), std::string(0x1000, '\xFF'));
}

TEST(Update, WithAConfigurationDeactivatesThenStoresIt) {
    TempDir dir;
    const std::string firmware = random_bytes(100, 4);
    const SimRun sim =
        run_update({}, {dir.write("fw.bin", firmware), dir.write("my.conf", "set a3\n")});
    EXPECT_EQ(sim.result.status, 0) << sim.result.err;
    std::vector<std::string> expected = {"configurator 3 0 0"};
    expected.insert(expected.end(), kBlocksOf100.begin(), kBlocksOf100.end());
    expected.insert(expected.end(), {"configurator 3 0 0", "configurator 2 0 0"});
    EXPECT_EQ(sim.requests, expected);
    EXPECT_EQ(sim.data.front(), "0000");
    EXPECT_EQ(sim.data[sim.data.size() - 2], testing::kSetA3Hex);
    EXPECT_TRUE(sim.result.out.starts_with("vorlanex-sim"));
}

// Nothing reaches the controller when anything is wrong before the update.
TEST(Update, BrokenInputsSendNothing) {
    TempDir dir;
    const std::string firmware = dir.write("fw.bin", random_bytes(100, 5));
    struct Case {
        std::vector<std::string> sim_options;
        std::vector<std::string> words;
        std::string message;
    };
    for (const Case& c : {
             Case{{},
                  {dir.write("fw.hex.txt", "x")},
                  "error: please supply firmware as a .bin or .hex file\n"},
             Case{{}, {dir.write("empty.bin", "")}, "error: "},
             Case{{},
                  {firmware, dir.write("bad.conf", "bogus\n")},
                  "error: 'bogus': invalid command\n"},
             Case{{"--start", "bootloader"},
                  {firmware, dir.write("ok.conf", "set a3\n")},
                  "error: could not connect to vorlanex\n"},
         }) {
        const SimRun sim = run_update(c.sim_options, c.words);
        EXPECT_EQ(sim.result.status, 1) << c.words.front();
        EXPECT_TRUE(sim.result.err.starts_with(c.message)) << sim.result.err;
        EXPECT_TRUE(sim.requests.empty()) << c.words.front();
    }
    const SimRun usage = run_update({}, {});
    EXPECT_EQ(usage.result.status, 1);
    EXPECT_TRUE(usage.result.out.starts_with("Vorlanex v1.6\n"));
}

TEST(Update, ARefusedBlockStopsWithTheControllerInItsBootloader) {
    TempDir dir;
    const SimRun sim = run_update({"--start", "bootloader", "--short", "bootloader:6=10"},
                                  {dir.write("fw.bin", random_bytes(100, 6))});
    EXPECT_EQ(sim.result.status, 1);
    EXPECT_EQ(sim.requests, (std::vector<std::string>{"bootloader 1 0 0", "bootloader 6 0 0"}));
    EXPECT_NE(
        sim.result.err.find("failed!\nerror: the bootloader did not take the block at 0x00000\n"),
        std::string::npos)
        << sim.result.err;
}

TEST(Update, AnUnansweredDeactivationStopsTheUpdate) {
    TempDir dir;
    const SimRun sim =
        run_update({"--short", "configurator:3=1"},
                   {dir.write("fw.bin", random_bytes(100, 7)), dir.write("my.conf", "set a3\n")});
    EXPECT_EQ(sim.result.status, 1);
    EXPECT_EQ(sim.result.err, "Deactivating existing configuration...failed!\n");
    EXPECT_EQ(sim.requests, (std::vector<std::string>{"configurator 3 0 0"}));
}

// A bootloader has no serial number. With one selected, only the bootloader
// that the selected configurator became gets the blocks; the update stops
// before anything else could receive them. Without one, the first bootloader
// found gets them, as ever.
struct SelectionCase {
    const char* name;
    std::vector<std::string> sim_options;
    std::string device;
    bool with_configuration;
    int status;
    std::string err;                 // the whole of standard error, when the update fails
    std::vector<std::string> taken;  // "FACE SERIAL REQUEST VALUE INDEX" per request
};

void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> without_data(const std::vector<std::string>& log) {
    std::vector<std::string> lines;
    for (const std::string& line : log) lines.push_back(line.substr(0, line.rfind(' ')));
    return lines;
}

class UpdateSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(UpdateSelection, FlashesOnlyTheSelectedControllersBootloader) {
    const SelectionCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> args = {"-d", c.device, "update",
                                     dir.write("fw.bin", random_bytes(100, 8))};
    if (c.with_configuration) args.push_back(dir.write("my.conf", "set a3\n"));
    const testing::SimResult sim = testing::run_simulated(c.sim_options, args);
    EXPECT_EQ(sim.program.status, c.status) << sim.program.err;
    if (c.status != 0) {
        EXPECT_EQ(sim.program.err, c.err);
    }
    EXPECT_EQ(without_data(sim.log), c.taken);
}

const std::vector<std::string> kBootloadersAB = {"--start", "bootloader", "--serial",
                                                 "AAA",     "--serial",   "BBB"};
const std::vector<std::string> kConfiguratorsAB = {"--serial", "AAA", "--serial", "BBB"};
const std::string kNoVorlanex = "error: could not connect to vorlanex\n";

// The wait's message with one dot, blanked: the device was back at once.
std::string back_at_once(const std::string& message) {
    return message + ".\r" + std::string(message.size() + 10, ' ') + "\r";
}

std::vector<std::string> blocks_of_100(const std::string& serial) {
    return {"bootloader " + serial + " 1 0 0", "bootloader " + serial + " 6 0 0",
            "bootloader " + serial + " 6 64 0", "bootloader " + serial + " 6 128 0",
            "bootloader " + serial + " 2 0 0"};
}

std::vector<std::string> entered_and_flashed(const std::string& serial) {
    std::vector<std::string> taken = {"configurator " + serial + " 4 0 0"};
    for (const std::string& line : blocks_of_100(serial)) taken.push_back(line);
    return taken;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateSelection,
    ::testing::Values(
        SelectionCase{
            "SelectedOneInItsBootloader", kBootloadersAB, "usb:BBB", false, 1, kNoVorlanex, {}},
        SelectionCase{"NoSuchControllerBesideBootloaders",
                      kBootloadersAB,
                      "usb:CCC",
                      false,
                      1,
                      kNoVorlanex,
                      {}},
        SelectionCase{"NoSuchController", kConfiguratorsAB, "usb:CCC", false, 1, kNoVorlanex, {}},
        SelectionCase{"AnotherInItsBootloader",
                      {"--serial", "AAA", "--serial", "BBB", "--in-bootloader", "1"},
                      "usb:BBB",
                      false,
                      1,
                      "error: another controller is in its bootloader: once \"usb:BBB\" is in "
                      "its own, the two cannot be told apart\n"
                      "hint: unplug that controller or finish its update first, then run the "
                      "update again\n",
                      {}},
        // Two controllers of one serial number; the first restarts into its
        // bootloader after the deactivation, the second on request.
        SelectionCase{"ASecondBootloaderMeanwhile",
                      {"--serial", "BBB", "--serial", "BBB", "--return-as", "bootloader"},
                      "usb:BBB",
                      true,
                      1,
                      "Deactivating existing configuration...ok\n" +
                          back_at_once("Waiting for vorlanex to reboot") +
                          back_at_once("Entering bootloader") +
                          "error: more than one bootloader is attached: the one that \"usb:BBB\" "
                          "became cannot be told apart\n"
                          "hint: unplug the other controllers, then run the update without -d "
                          "and without a configuration: the controller waits in its bootloader\n",
                      {"configurator BBB 3 0 0", "configurator BBB 4 0 0"}},
        SelectionCase{"TheSelectedOne", kConfiguratorsAB, "usb:BBB", false, 0, "",
                      entered_and_flashed("BBB")},
        SelectionCase{"WithoutSerialTheFirstBootloader", kBootloadersAB, "usb", false, 0, "",
                      blocks_of_100("AAA")}),
    [](const ::testing::TestParamInfo<SelectionCase>& param) { return param.param.name; });

// The controller does not come back as it should: no bootloader to take the
// blocks, or no configurator after the configuration is stored.
struct MissingCase {
    const char* name;
    std::vector<std::string> sim_options;
    bool with_configuration;
    std::string err;
    std::string out;
    std::vector<std::string> requests;
};

void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << c.name;
}

class UpdateMissing : public ::testing::TestWithParam<MissingCase> {};

TEST_P(UpdateMissing, FailsWithTheStepThatFoundNoDevice) {
    const MissingCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> words = {dir.write("fw.bin", random_bytes(100, 9))};
    if (c.with_configuration) words.push_back(dir.write("my.conf", "set a3\n"));
    const SimRun sim = run_update(c.sim_options, words);
    EXPECT_EQ(sim.result.status, 1);
    EXPECT_EQ(sim.result.err, c.err);
    EXPECT_EQ(sim.result.out, c.out);
    EXPECT_EQ(sim.requests, c.requests);
}

const std::string kDeactivated =
    "Deactivating existing configuration...ok\n" + back_at_once("Waiting for vorlanex to reboot");
const std::string kBlocksWritten =
    "\rUpdating application: 0 of 100 bytes transferred..."
    "\rUpdating application: 64 of 100 bytes transferred..."
    "\rUpdating application: 100 of 100 bytes transferred...ok\n";
const std::string kNoBootloader = "error: could not connect to usbasp bootloader\n";
const std::string kTenDots = "..........";

std::vector<std::string> joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateMissing,
    ::testing::Values(
        MissingCase{"NoBootloaderAttached", {"--start", "none"}, false, kNoBootloader, "", {}},
        // The presence test finds the bootloader, gone when it is opened for the blocks.
        MissingCase{"BootloaderGoneBeforeTheBlocks",
                    {"--start", "bootloader", "--vanish-after", "1"},
                    false,
                    "error: could not open usb device \"usbasp\"\n"
                    "error: could not open usb device \"usbasp\"\n" +
                        kNoBootloader,
                    "",
                    {}},
        // The old firmware still runs: its configuration goes back all the same.
        MissingCase{"NoBootloaderButTheConfigurationIsStoredBack",
                    {"--return-as", "configurator"},
                    true,
                    kDeactivated + "Entering bootloader" + kTenDots + kNoBootloader +
                        back_at_once("Waiting for vorlanex to reboot") +
                        "Flashing configuration: 11 bytes...ok\n" +
                        back_at_once("Waiting for vorlanex to reboot"),
                    "vorlanex-sim\n",
                    {"configurator 3 0 0", "configurator 4 0 0", "configurator 3 0 0",
                     "configurator 2 0 0"}},
        MissingCase{"NotBackAfterTheConfigurationIsStored",
                    {"--vanish", "configurator:3=2"},
                    true,
                    kDeactivated + back_at_once("Entering bootloader") + kBlocksWritten +
                        back_at_once("Waiting for vorlanex to reboot") +
                        "Flashing configuration: 11 bytes...ok\n"
                        "Waiting for vorlanex to reboot" +
                        kTenDots + "error: failed to open Vorlanex device \"usb\" (1209:7661)\n",
                    "",
                    joined({"configurator 3 0 0"}, joined(kBlocksOf100, {"configurator 3 0 0"}))}),
    [](const ::testing::TestParamInfo<MissingCase>& param) { return param.param.name; });

}  // namespace
}  // namespace vorlanex
