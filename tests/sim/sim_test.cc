// The simulated controller's behaviour and reports, without the emulation.
#include <gtest/gtest.h>

#include "sim/controller.h"
#include "sim/options.h"
#include "sim/report.h"

namespace vorlanex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

SetupPacket out(std::uint8_t request, std::uint16_t value = 0, std::uint16_t index = 0,
                std::uint16_t length = 0) {
    return SetupPacket{0x40, request, value, index, length};
}

SetupPacket in(std::uint8_t request, std::uint16_t length) {
    return SetupPacket{0xC0, request, 0, 0, length};
}

TEST(Controller, RequestsThatRestartAndThoseThatDoNot) {
    const Bytes image = {0x1C, 0xCF, 0xFF};
    const Bytes deactivate = {0x00, 0x00};
    const struct {
        Face face;
        std::uint8_t request;
        Bytes data;
        bool stall;
        std::optional<Face> restart_into;
    } cases[] = {
        {Face::Configurator, 0, image, false, std::nullopt},
        {Face::Configurator, 3, image, false, std::nullopt},
        {Face::Configurator, 3, deactivate, false, Face::Configurator},
        {Face::Configurator, 4, {}, false, Face::Bootloader},
        {Face::Configurator, 7, {}, false, Face::Configurator},
        {Face::Configurator, 6, {}, true, std::nullopt},
        {Face::Bootloader, 1, {}, false, std::nullopt},
        {Face::Bootloader, 2, {}, false, Face::Configurator},
        {Face::Bootloader, 7, {}, true, std::nullopt},
    };
    for (const auto& c : cases) {
        Journal journal;
        Controller controller(std::nullopt, c.face, "id", {}, journal);
        const Answer answer = controller.handle(out(c.request), c.data);
        EXPECT_EQ(answer.stall, c.stall) << int{c.request};
        EXPECT_EQ(answer.accepted, c.stall ? 0 : c.data.size()) << int{c.request};
        EXPECT_EQ(answer.restart_into, c.restart_into) << int{c.request};
        ASSERT_EQ(journal.size(), 1u);
        EXPECT_EQ(journal[0].face, c.face);
    }
}

TEST(Controller, StoresAndDeactivatesTheConfiguration) {
    Journal journal;
    Controller controller(std::nullopt, Face::Configurator, "id", {}, journal);
    controller.handle(out(3), Bytes{0x1C, 0xCF, 0xFF});
    EXPECT_EQ(controller.stored(), (Bytes{0x1C, 0xCF, 0xFF}));
    controller.handle(out(3), Bytes{0x00, 0x00});
    EXPECT_EQ(controller.stored(), Bytes{});
}

TEST(Controller, WritesFlashBlocksAtTheirOffsetsAndLeavesGapsErased) {
    Journal journal;
    Controller controller(std::nullopt, Face::Bootloader, "id", {}, journal);
    const Bytes first(64, 0x11);
    const Bytes high(64, 0x22);
    controller.handle(out(6, 0, 0, 64), first);
    controller.handle(out(6, 64, 1, 64), high);  // offset 64 KiB + 64
    const Bytes& flash = controller.flash();
    ASSERT_EQ(flash.size(), 0x10080u);
    EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 64), first);
    EXPECT_EQ(Bytes(flash.begin() + 64, flash.begin() + 0x10040), Bytes(0x10040 - 64, 0xFF));
    EXPECT_EQ(Bytes(flash.begin() + 0x10040, flash.end()), high);
}

TEST(Controller, FaultsStallOrCutShortAndHaveNoEffect) {
    Journal journal;
    const std::vector<Fault> faults = {{Face::Configurator, 7, std::nullopt},
                                       {Face::Configurator, 3, 2},
                                       {Face::Configurator, 2, 3}};
    Controller controller("S", Face::Configurator, "hello", faults, journal);

    const Answer stalled = controller.handle(out(7), {});
    EXPECT_TRUE(stalled.stall);
    EXPECT_EQ(stalled.restart_into, std::nullopt);

    const Answer cut = controller.handle(out(3, 0, 0, 5), Bytes{1, 2, 3, 4, 5});
    EXPECT_FALSE(cut.stall);
    EXPECT_EQ(cut.accepted, 2u);
    EXPECT_EQ(controller.stored(), Bytes{});

    const Answer reply = controller.handle(in(2, 64), {});
    EXPECT_EQ(reply.reply, (Bytes{'h', 'e', 'l'}));

    // The journal holds what the controller took.
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(log_line(journal[0]), "configurator S 7 0 0 -");
    EXPECT_EQ(log_line(journal[1]), "configurator S 3 0 0 0102");
    EXPECT_EQ(log_line(journal[2]), "configurator S 2 0 0 68656c");
}

// The request still has its effect; only the answer of the N-th says that the
// device is gone for good after it.
TEST(Controller, AVanishingRequestIsAnsweredAsUsualUntilTheLastTime) {
    Journal journal;
    const std::vector<Fault> faults = {{Face::Configurator, 3, std::nullopt, false, 2}};
    Controller controller(std::nullopt, Face::Configurator, "id", faults, journal);
    const Bytes image = {0x1C, 0xCF, 0xFF};
    const Answer deactivated = controller.handle(out(3, 0, 0, 2), Bytes{0, 0});
    EXPECT_FALSE(deactivated.vanish);
    EXPECT_EQ(deactivated.restart_into, Face::Configurator);
    const Answer stored = controller.handle(out(3, 0, 0, 3), image);
    EXPECT_TRUE(stored.vanish);
    EXPECT_EQ(stored.accepted, 3u);
    EXPECT_EQ(controller.stored(), image);
}

TEST(Controller, OnlyTheConfiguratorReportsItsSerialNumber) {
    Journal journal;
    const std::uint8_t kSerialIndexOffset = 16;
    for (const Face face : {Face::Configurator, Face::Bootloader}) {
        Controller controller("S", face, "id", {}, journal);
        const Bytes descriptors = controller.descriptors();
        const bool configurator = face == Face::Configurator;
        EXPECT_EQ(descriptors[kSerialIndexOffset], configurator ? 3 : 0);
        const Answer serial = controller.handle(SetupPacket{0x80, 6, 0x0303, 0x0409, 255}, {});
        EXPECT_EQ(serial.stall, !configurator);
        if (configurator) {
            EXPECT_EQ(serial.reply, (Bytes{4, 3, 'S', 0}));
        }
    }
}

TEST(DescribeImage, FallsBackToAHexDumpForWhatIsNoImage) {
    const Bytes no_image(20, 0x41);
    EXPECT_EQ(describe_image(no_image),
              "41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41\n"
              "41 41 41 41\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(describe_image(Bytes{0x1C, 0xCF, 0xFE, 0x01}), "1c cf fe 01\n");
    ::testing::internal::GetCapturedStderr();
}

TEST(DescribeImageText, RendersAnImageAsConfigurationText) {
    EXPECT_EQ(
        describe_image(Bytes{0x1C, 0xCF, 0xFE, 0x01, 0x01, 0x00, 0x00, 0x00, 0x08, 0x01, 0xFF}),
        "requires 1x\nset port a bit 3 $01\n");
}

TEST(Summarize, NamesEachRequestAndSumsUpTheFlashWrites) {
    Journal journal = {
        {Face::Configurator, "S", 3, 0, 0, {0x00, 0x00}},
        {Face::Configurator, "S", 4, 0, 0, {}},
        {Face::Bootloader, std::nullopt, 1, 0, 0, {}},
        {Face::Bootloader, std::nullopt, 6, 0, 0, Bytes(64, 1)},
        {Face::Bootloader, std::nullopt, 6, 64, 0, Bytes(64, 2)},
        {Face::Bootloader, std::nullopt, 6, 128, 0, Bytes(64, 3)},
        {Face::Bootloader, std::nullopt, 2, 0, 0, {}},
        {Face::Configurator, "S", 2, 0, 0, {'o', 'k', 0}},
    };
    EXPECT_EQ(summarize(journal),
              "vorlanex-sim: the controller received:\n"
              "configurator S: deactivate the configuration and restart (request 3)\n"
              "configurator S: restart into the bootloader (request 4)\n"
              "bootloader: connect (request 1)\n"
              "bootloader: wrote flash (request 6): 3 blocks, 192 bytes, from 0x000000 to "
              "0x0000c0\n"
              "bootloader: disconnect and start the firmware (request 2)\n"
              "configurator S: identify (request 2), answered \"ok\"\n");
}

TEST(Options, FaultsNameAFaceARequestAndACount) {
    const struct {
        std::vector<std::string> args;
        std::optional<Fault> fault;  ///< none: refused
    } cases[] = {
        {{"--stall", "7"}, Fault{Face::Configurator, 7, std::nullopt}},
        {{"--short", "bootloader:6=10"}, Fault{Face::Bootloader, 6, 10}},
        {{"--short", "3"}, std::nullopt},
        {{"--stall", "3=1"}, std::nullopt},
        {{"--stall", "256"}, std::nullopt},
        {{"--stall", "flash:1"}, std::nullopt},
        {{"--vanish", "3"}, Fault{Face::Configurator, 3, std::nullopt, false, 1}},
        {{"--vanish", "bootloader:2=3"}, Fault{Face::Bootloader, 2, std::nullopt, false, 3}},
        {{"--vanish", "3=0"}, std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = {"vorlanex-sim"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        words.push_back("true");
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int status = 0;
        ::testing::internal::CaptureStderr();
        const std::optional<Options> options =
            parse_options(static_cast<int>(words.size()), argv.data(), status);
        ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(options.has_value(), c.fault.has_value()) << c.args[1];
        if (!options) continue;
        ASSERT_EQ(options->faults.size(), 1u);
        EXPECT_EQ(options->faults[0].face, c.fault->face);
        EXPECT_EQ(options->faults[0].request, c.fault->request);
        EXPECT_EQ(options->faults[0].short_count, c.fault->short_count);
        EXPECT_EQ(options->faults[0].vanish_after, c.fault->vanish_after);
        EXPECT_EQ(options->program, std::vector<std::string>{"true"});
    }
}

}  // namespace
}  // namespace vorlanex::sim
