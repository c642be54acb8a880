#include "vorlanex/firmware.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "intelhex/intelhex.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

TEST(EndsWith, ComparesTheLastLettersWithoutCase) {
    struct Case {
        const char* text;
        const char* suffix;
        bool ends;
    };
    const Case cases[] = {
        {"FIRMWARE.HEX", ".hex", true}, {"fw.Bin", ".bin", true},      {"fw.hex", ".HEX", true},
        {".hex", ".hex", true},         {"fw.hex.txt", ".hex", false}, {"fwhex", ".hex", false},
        {"hex", ".hex", false},         {"", ".bin", false},           {"fw.bin", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ends_with(c.text, c.suffix), c.ends) << c.text << " " << c.suffix;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct LoadCase {
    const char* file;
    std::optional<std::string> content;  // none: no such file
    const char* messages;                // "@" stands for the file's path
    bool loaded;
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

TEST(LoadFirmware, ReadsEitherFormAndRefusesWhatCannotBeSent) {
    const LoadCase cases[] = {
        {"FIRMWARE.HEX", ":0200000001FEFF\n:00000001FF\n",
         "Trying to parse Intel HEX format...OK\nParsed 2 bytes starting at 0x00\n", true, 0, 2},
        {"above.hex", ":03012300070809C1\n:00000001FF\n",
         "Trying to parse Intel HEX format...OK\nParsed 3 bytes starting at 0x123\n", true, 0x123,
         3},
        {"fw.Bin", "raw bytes", "", true, 0, 9},
        // A .bin file is the flash itself: up to the 128 KiB it holds.
        {"flash.bin", std::string(IHEX_IMAGE_SIZE, 'x'), "", true, 0, IHEX_IMAGE_SIZE},
        {"beyond.BIN", std::string(IHEX_IMAGE_SIZE + 1, 'x'), "error: @: larger than 128 KiB\n",
         false},
        {"fw.hex.txt", ":00000001FF\n", "error: please supply firmware as a .bin or .hex file\n",
         false},
        {"missing.bin", std::nullopt, "@: No such file or directory\n", false},
        {"empty.bin", "", "error: no firmware data in @\n", false},
        {"nodata.hex", ":00000001FF\n",
         "Trying to parse Intel HEX format...OK\nParsed 0 bytes starting at 0xFFFFFFFF\n"
         "error: no firmware data in @\n",
         false},
        {"bad.hex", ":0200000001FEFF\n:0200000001FE00\n:00000001FF\n",
         "Trying to parse Intel HEX format...FAILED!\n"
         "error: line 2: record checksum does not match\n@: Invalid argument\n",
         false},
        {"unended.hex", ":0200000001FEFF\n",
         "Trying to parse Intel HEX format...FAILED!\n"
         "error: line 1: no end-of-file record\n@: Invalid argument\n",
         false},
    };
    const testing::TempDir dir;
    for (const LoadCase& c : cases) {
        const std::string path = c.content ? dir.write(c.file, *c.content) : dir.file(c.file);
        ::testing::internal::CaptureStderr();
        const auto firmware = load_firmware(path);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), replace_all(c.messages, "@", path));
        ASSERT_EQ(firmware.has_value(), c.loaded) << c.file;
        if (!firmware) continue;
        EXPECT_EQ(firmware->start, c.start) << c.file;
        EXPECT_EQ(firmware->size, c.size) << c.file;
    }
}

std::vector<std::uint32_t> offsets_of(const std::vector<FirmwareBlock>& blocks) {
    std::vector<std::uint32_t> offsets;
    for (const FirmwareBlock& block : blocks) offsets.push_back(block.offset);
    return offsets;
}

std::vector<std::uint32_t> progress_of(const std::vector<FirmwareBlock>& blocks) {
    std::vector<std::uint32_t> progress;
    for (const FirmwareBlock& block : blocks) progress.push_back(block.transferred);
    return progress;
}

// What flash holds after the blocks, from address 0.
Bytes flash_of(const std::vector<FirmwareBlock>& blocks) {
    Bytes flash;
    for (const FirmwareBlock& block : blocks)
        flash.insert(flash.end(), block.bytes.begin(), block.bytes.end());
    return flash;
}

Bytes counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

// `data` at `address`, erased flash around it, up to `length` bytes.
Bytes erased_with(std::size_t length, std::size_t address, const Bytes& data) {
    Bytes flash(length, 0xFF);
    std::copy(data.begin(), data.end(), flash.begin() + address);
    return flash;
}

TEST(PlanBlocks, SendsEveryBlockWithDataAndOneMore) {
    struct Case {
        const char* name;
        std::size_t size;
        std::vector<std::uint32_t> offsets;
        std::vector<std::uint32_t> progress;
    };
    const Case cases[] = {
        {"100 bytes", 100, {0, 64, 128}, {0, 64, 100}},
        {"128 bytes", 128, {0, 64, 128}, {0, 64, 128}},
        {"1 byte", 1, {0, 64}, {0, 1}},
    };
    for (const Case& c : cases) {
        const Bytes data = counting(c.size);
        const auto blocks = plan_blocks(Firmware{data, 0, static_cast<std::uint32_t>(c.size)});
        EXPECT_EQ(offsets_of(blocks), c.offsets) << c.name;
        EXPECT_EQ(progress_of(blocks), c.progress) << c.name;
        EXPECT_EQ(flash_of(blocks), erased_with(c.offsets.size() * 64, 0, data)) << c.name;
    }
}

TEST(PlanBlocks, ReachesTheTopOfDataThatStartsAbove0) {
    // As the Intel HEX reader leaves it: the whole image, data at 0x100 to 0x13F.
    const Bytes data = counting(0x40);
    const Bytes image = erased_with(0x20000, 0x100, data);
    const auto blocks = plan_blocks(Firmware{image, 0x100, 0x40});
    EXPECT_EQ(offsets_of(blocks), (std::vector<std::uint32_t>{0, 64, 128, 192, 256, 320}));
    EXPECT_EQ(blocks.back().transferred, 0x140u);
    EXPECT_EQ(flash_of(blocks), erased_with(6 * 64, 0x100, data));
}

TEST(PlanBlocks, CountsOnPast64KiB) {
    const Bytes data = counting(0x10000 + 10);
    const auto blocks = plan_blocks(Firmware{data, 0, static_cast<std::uint32_t>(data.size())});
    ASSERT_EQ(blocks.size(), 1026u);
    EXPECT_EQ(blocks[1024].offset, 0x10000u);
    EXPECT_EQ(blocks[1025].offset, 0x10040u);
    EXPECT_EQ(blocks.back().transferred, 0x1000Au);
    EXPECT_EQ(flash_of(blocks), erased_with(1026 * 64, 0, data));

    const auto whole = plan_blocks(Firmware{Bytes(0x20000, 0x5A), 0, 0x20000});
    ASSERT_EQ(whole.size(), 2049u);
    EXPECT_EQ(whole.back().offset, 0x20000u);
    EXPECT_EQ(flash_of(whole), erased_with(2049 * 64, 0, Bytes(0x20000, 0x5A)));
}

// A file from a tool nobody here wrote, through the loader and the blocks:
// flash ends up holding the source at its address and nothing else.
TEST(PlanBlocks, PutsAForeignHexFileIntoFlashAsItsSource) {
    const testing::TempDir dir;
    std::mt19937 generator(6);
    std::string source(70001, '\0');
    for (char& byte : source) byte = static_cast<char>(generator() & 0xFF);
    testing::ProgramRun run;
    run.args = {"objcopy",
                "-I",
                "binary",
                "-O",
                "ihex",
                "--change-addresses",
                "0x1000",
                dir.write("in.bin", source),
                dir.file("fw.hex")};
    const testing::ProgramResult made = testing::run_program(run);
    ASSERT_EQ(made.status, 0) << made.err;

    ::testing::internal::CaptureStderr();
    const auto firmware = load_firmware(dir.file("fw.hex"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Trying to parse Intel HEX format...OK\nParsed 70001 bytes starting at 0x1000\n");
    ASSERT_TRUE(firmware);
    const auto blocks = plan_blocks(*firmware);
    const std::size_t end = 0x1000 + source.size();
    EXPECT_EQ(blocks.size(), (end + 63) / 64 + 1);
    EXPECT_EQ(flash_of(blocks),
              erased_with(blocks.size() * 64, 0x1000, Bytes(source.begin(), source.end())));
}

}  // namespace
}  // namespace vorlanex
