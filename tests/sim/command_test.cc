// command and configure, run against the simulated controller.
#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/simulator.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::bytes;
using testing::hex;
using testing::run_simulated;
using testing::TempDir;

using Lines = std::vector<std::string>;

// set port a bit 3 1, as an image.
const std::string& kSetImage = testing::kSetA3Image;
const std::string kSetHex = testing::kSetA3Hex;

// An image of string records of these lengths: 3 bytes of frame, and each
// string its length plus 2.
std::string image_with_strings(std::initializer_list<std::size_t> lengths) {
    std::string image = bytes({0x1C, 0xCF});
    for (const std::size_t length : lengths) {
        image += '\xFD';
        image.append(length, 'a');
        image += '\0';
    }
    return image + "\xFF";
}

// --- command ----------------------------------------------------------------

TEST(CommandText, TheSixWordsSendTheElevenBytesWithTheDelayAsValue) {
    const struct {
        Lines args;
        std::string log;
    } cases[] = {
        {{"set", "port", "a", "bit", "3", "1"}, "configurator - 0 0 0 " + kSetHex},
        {{"-D", "250", "set", "port", "a", "bit", "3", "1"}, "configurator - 0 250 0 " + kSetHex},
        // The controller knows its expansion: port e needs no expand statement here.
        {{"set", "port", "e", "bit", "0", "1"}, "configurator - 0 0 0 1ccffe01010000040101ff"},
    };
    for (const auto& c : cases) {
        const auto result = run_simulated({}, c.args);
        EXPECT_EQ(result.program.err, "") << c.args[0];
        EXPECT_EQ(result.program.status, 0) << c.log;
        EXPECT_EQ(result.log, Lines{c.log});
    }
}

TEST(CommandText, AScriptFileIsSentWhateverTheOtherWords) {
    const TempDir dir;
    dir.write("set", "set port a bit 3 1\n");
    dir.write("empty", "");
    const struct {
        Lines args;
        std::string log;
    } cases[] = {
        {{"set", "ignored", "words"}, "configurator - 0 0 0 " + kSetHex},
        {{"empty"}, "configurator - 0 0 0 1ccfff"},
    };
    for (const auto& c : cases) {
        const auto result = run_simulated({}, c.args, "", dir.path());
        EXPECT_EQ(result.program.err, "");
        EXPECT_EQ(result.program.status, 0);
        EXPECT_EQ(result.log, Lines{c.log});
    }
}

// An empty word is no file and no command: the tool ends, silent, with 1.
TEST(CommandText, AnEmptyCommandLineSendsNothingAndSaysNothing) {
    const auto result = run_simulated({}, {""});
    EXPECT_EQ(result.program.status, 1);
    EXPECT_EQ(result.program.err, "");
    EXPECT_EQ(result.program.out, "");
    EXPECT_EQ(result.log, Lines{});
}

TEST(CommandText, AnInvalidCommandSendsNothing) {
    const auto result = run_simulated({}, {"frobnicate", "port", "a"});
    EXPECT_EQ(result.program.status, 1);
    EXPECT_TRUE(result.program.err.starts_with("error: ")) << result.program.err;
    EXPECT_EQ(result.log, Lines{});
}

TEST(Command, AnImageOnStandardInputIsReEncodedInTheWritersOrder) {
    // A string and a long value before the binding that uses them.
    const std::string input = bytes({0x1C, 0xCF, 0xFD, 'h',  'i',  0x00, 0xFC, 0x10, 0x27, 0x00,
                                     0x00, 0xFE, 0x01, 0x01, 0x0C, 0x00, 0x00, 0x00, 0x00, 0xFF});
    const auto result = run_simulated({}, {"-"}, input);
    EXPECT_EQ(result.program.err, "reading commands from stdin...\n");
    EXPECT_EQ(result.program.status, 0);
    EXPECT_EQ(result.log, Lines{"configurator - 0 0 0 1ccffe01010c00000000fd686900fc10270000ff"});
}

TEST(Command, AFailedTransferGivesItsLibusbResultAsExitStatus) {
    const struct {
        Lines sim_options;
        std::string err;
        int status;
        Lines log;
    } cases[] = {
        {{"--start", "none"},
         "reading commands from stdin...\n"
         "error: could not open usb device \"usb\"\n"
         "error: could not send usb control message: Input/Output Error\n",
         255,  // -1
         {}},
        {{"--stall", "0"},
         "reading commands from stdin...\n"
         "error: could not send usb control message: Pipe error\n"
         "error: could not send usb control message: Pipe error\n",
         256 - 9,  // LIBUSB_ERROR_PIPE
         {"configurator - 0 0 0 -"}},
    };
    for (const auto& c : cases) {
        const auto result = run_simulated(c.sim_options, {"-"}, kSetImage);
        EXPECT_EQ(result.program.err, c.err);
        EXPECT_EQ(result.program.status, c.status);
        EXPECT_EQ(result.log, c.log);
    }
}

TEST(Command, AControllerThatTakesPartOfTheImageIsAnError) {
    const auto result = run_simulated({"--short", "0=5"}, {"set", "a3", "1"});
    EXPECT_EQ(result.program.err, "error: the controller took 5 of 11 bytes\n");
    EXPECT_EQ(result.program.status, 1);
    EXPECT_EQ(result.log, Lines{"configurator - 0 0 0 1ccffe0101"});
}

// --- both: what must never reach the controller ------------------------------

TEST(CommandAndConfigure, RefuseImagesBeyondTheBufferAndBrokenImages) {
    const std::string broken = bytes({0x1C, 0xCF, 0xFE, 0x01, 0x05, 0x00});
    const struct {
        const char* operation;
        std::string input;
        std::string err;
    } cases[] = {
        {"-", image_with_strings({4092}),
         "reading commands from stdin...\n"
         "error: the configuration image has 4097 bytes, more than the 4096 bytes the controller "
         "can take\n"},
        {"configure", image_with_strings({4000, 4000}),
         "reading from stdin...\n"
         "error: the configuration image has 8007 bytes, more than the 4096 bytes the controller "
         "can take\n"},
        {"-", broken,
         "reading commands from stdin...\n"
         "error: broken image: the input ends inside a binding record\n"},
        {"configure", broken,
         "reading from stdin...\n"
         "error: broken image: the input ends inside a binding record\n"},
    };
    for (const auto& c : cases) {
        const auto result = run_simulated({}, {c.operation}, c.input);
        EXPECT_EQ(result.program.err, c.err);
        EXPECT_EQ(result.program.status, 1) << c.operation;
        EXPECT_EQ(result.log, Lines{}) << c.operation;
    }
}

TEST(Command, AnImageThatJustFitsTheBufferIsSent) {
    const std::string image = image_with_strings({4091});
    const auto result = run_simulated({}, {"-"}, image);
    EXPECT_EQ(result.program.status, 0);
    EXPECT_EQ(result.log, Lines{"configurator - 0 0 0 " + hex(image)});
}

// --- configure --------------------------------------------------------------

TEST(Configure, StoresTheImageFromAFileOrStandardInput) {
    const TempDir dir;
    const std::string file = dir.write("set.bin", kSetImage);
    const struct {
        Lines args;
        std::string err;
    } cases[] = {
        {{"configure", file}, "Flashing configuration: 11 bytes...ok\n"},
        {{"configure", "-"}, "reading from stdin...\nFlashing configuration: 11 bytes...ok\n"},
        {{"configure"}, "reading from stdin...\nFlashing configuration: 11 bytes...ok\n"},
    };
    for (const auto& c : cases) {
        const auto result = run_simulated({}, c.args, kSetImage);
        EXPECT_EQ(result.program.err, c.err);
        EXPECT_EQ(result.program.status, 0);
        EXPECT_EQ(result.log, Lines{"configurator - 3 0 0 " + kSetHex});
    }
}

TEST(Configure, FailsUnlessTheControllerTakesTheWholeImage) {
    const struct {
        Lines sim_options;
        std::string err;
        Lines log;
    } cases[] = {
        {{"--short", "3=10"},
         "Flashing configuration: 11 bytes...failed!\n",
         {"configurator - 3 0 0 1ccffe01010000000801"}},
        {{"--stall", "3"},
         "Flashing configuration: 11 bytes...error: could not send usb control message: Pipe "
         "error\nfailed!\n",
         {"configurator - 3 0 0 -"}},
        {{"--start", "none"}, "error: could not connect to vorlanex\n", {}},
        {{"--start", "bootloader"}, "error: could not connect to vorlanex\n", {}},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        const auto result =
            run_simulated(c.sim_options, {"configure", dir.write("set.bin", kSetImage)});
        EXPECT_EQ(result.program.err, c.err);
        EXPECT_EQ(result.program.status, 1);
        EXPECT_EQ(result.log, c.log);
    }
}

TEST(Configure, AMissingFileIsReportedWithItsName) {
    const TempDir dir;
    const auto result = run_simulated({}, {"configure", "missing.conf"}, "", dir.path());
    EXPECT_EQ(result.program.err, "missing.conf: No such file or directory\n");
    EXPECT_EQ(result.program.status, 1);
    EXPECT_EQ(result.log, Lines{});
}

TEST(ConfigureText, StoresATextConfigurationButRefusesUndeclaredPorts) {
    const TempDir dir;
    const auto stored =
        run_simulated({}, {"configure", dir.write("a.conf", "set port a bit 3 1\n")});
    EXPECT_EQ(stored.program.err, "Flashing configuration: 11 bytes...ok\n");
    EXPECT_EQ(stored.program.status, 0);
    EXPECT_EQ(stored.log, Lines{"configurator - 3 0 0 " + kSetHex});

    const auto refused =
        run_simulated({}, {"configure", dir.write("e.conf", "set port e bit 0 1\n")});
    EXPECT_EQ(refused.program.status, 1);
    EXPECT_TRUE(refused.program.err.starts_with("error: ")) << refused.program.err;
    EXPECT_EQ(refused.log, Lines{});
}

}  // namespace
}  // namespace vorlanex
