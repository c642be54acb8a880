#include "intelhex/intelhex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One record with a correct checksum, upper-case digits, ending in a line feed.
std::string record(std::uint8_t type, std::uint16_t address, const Bytes& data) {
    Bytes fields = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                    static_cast<std::uint8_t>(address), type};
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t byte : fields) sum += byte;
    fields.push_back(static_cast<std::uint8_t>(-sum));
    std::string text = ":";
    for (const std::uint8_t byte : fields) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text + "\n";
}

const std::string kEnd = record(0x01, 0, {});

Bytes bytes_of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes counting(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Every digit of the record separated by `gap`.
std::string spread(const std::string& text, const std::string& gap) {
    std::string out;
    for (const char c : text) out += std::string(1, c) + gap;
    return out;
}

struct Placement {
    std::uint32_t address;
    Bytes bytes;
};

struct ReadCase {
    const char* name;
    std::string text;
    std::uint32_t start;
    std::uint32_t size;
    std::vector<Placement> placed;  // everything else must be 0xFF
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.name;
}

template <typename Case>
std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

Bytes image_with(const std::vector<Placement>& placed) {
    Bytes image(IHEX_IMAGE_SIZE, 0xFF);
    for (const Placement& p : placed)
        std::copy(p.bytes.begin(), p.bytes.end(), image.begin() + p.address);
    return image;
}

const std::string kTwoRecords =
    record(0, 0x0000, counting(16, 0xA0)) + record(0, 0x0010, counting(4, 0x10)) + kEnd;

class ReadRules : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadRules, GiveTheFlatImage) {
    const ReadCase& c = GetParam();
    const HexResult result = readhex(bytes_of(c.text));
    ASSERT_TRUE(result.image) << "line " << result.error.line << ": " << result.error.reason;
    EXPECT_EQ(result.image->start, c.start);
    EXPECT_EQ(result.image->size, c.size);
    EXPECT_TRUE(result.image->bytes == image_with(c.placed));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadRules,
    ::testing::Values(
        ReadCase{"ascending_from_0",
                 kTwoRecords,
                 0,
                 20,
                 {{0, counting(16, 0xA0)}, {0x10, counting(4, 0x10)}}},
        ReadCase{"lower_case_digits",
                 lower(kTwoRecords),
                 0,
                 20,
                 {{0, counting(16, 0xA0)}, {0x10, counting(4, 0x10)}}},
        ReadCase{"text_before_the_first_colon_and_between_digits",
                 "made by hand 0123 abc\r\n" +
                     spread(record(0, 0x0000, {0xAB, 0xCD}), " \r\tGz\x80") + "\r\n" + kEnd,
                 0,
                 2,
                 {{0, {0xAB, 0xCD}}}},
        ReadCase{"record_split_by_blanks_and_line_breaks",
                 ":02 0000 00\n  AB\n\nCD 86\n" + kEnd,
                 0,
                 2,
                 {{0, {0xAB, 0xCD}}}},
        ReadCase{"gap_stays_erased",
                 record(0, 0, {1}) + record(0, 0x40, {2}) + kEnd,
                 0,
                 0x41,
                 {{0, {1}}, {0x40, {2}}}},
        ReadCase{
            "start_above_0", record(0, 0x1234, {7, 8, 9}) + kEnd, 0x1234, 3, {{0x1234, {7, 8, 9}}}},
        ReadCase{"descending_records_measure_from_the_lowest",
                 record(0, 0x80, counting(4, 1)) + record(0, 0x10, {9, 9}) + kEnd,
                 0x10,
                 0x74,
                 {{0x10, {9, 9}}, {0x80, counting(4, 1)}}},
        ReadCase{"later_record_overwrites",
                 record(0, 0, {1, 2, 3}) + record(0, 1, {7}) + kEnd,
                 0,
                 3,
                 {{0, {1, 7, 3}}}},
        ReadCase{"extended_segment",
                 record(0x02, 0, {0x10, 0x00}) + record(0, 0x0010, {5, 6}) + kEnd,
                 0x10010,
                 2,
                 {{0x10010, {5, 6}}}},
        ReadCase{"extended_linear",
                 record(0x04, 0, {0x00, 0x01}) + record(0, 0x0010, {5, 6}) + kEnd,
                 0x10010,
                 2,
                 {{0x10010, {5, 6}}}},
        ReadCase{"segment_and_linear_add_up",
                 record(0x02, 0, {0x01, 0x00}) + record(0x04, 0, {0x00, 0x01}) +
                     record(0, 0x0010, {5}) + kEnd,
                 0x11010,
                 1,
                 {{0x11010, {5}}}},
        ReadCase{
            "extended_address_carries_over_to_later_records",
            record(0x04, 0, {0x00, 0x01}) + record(0, 0x0000, {1}) + record(0, 0xFFFF, {2}) + kEnd,
            0x10000,
            0x10000,
            {{0x10000, {1}}, {0x1FFFF, {2}}}},
        ReadCase{"records_after_the_end_of_file_record",
                 kEnd + record(0, 0x20, {3, 4}),
                 0x20,
                 2,
                 {{0x20, {3, 4}}}},
        ReadCase{"type_above_07_dropped_up_to_the_next_colon",
                 ":0400000801020304XX\n" + record(0, 0, {1}) + kEnd,
                 0,
                 1,
                 {{0, {1}}}},
        ReadCase{"start_records_ignored",
                 record(0x03, 0, {0, 0, 0x80, 0}) + record(0x05, 0, {0, 0, 0, 0}) +
                     record(0, 0, {1}) + kEnd,
                 0,
                 1,
                 {{0, {1}}}},
        ReadCase{"data_record_of_count_0_changes_nothing",
                 record(0, 0x100, {}) + record(0, 0x200, {1}) + kEnd,
                 0x200,
                 1,
                 {{0x200, {1}}}},
        ReadCase{"end_of_file_record_alone", kEnd, IHEX_NO_DATA, 0, {}}),
    case_name<ReadCase>);

struct FailCase {
    const char* name;
    std::string text;
    std::string reason;
    int line;
};

std::ostream& operator<<(std::ostream& out, const FailCase& c) {
    return out << c.name;
}

class Failures : public ::testing::TestWithParam<FailCase> {};

TEST_P(Failures, GiveReasonAndLine) {
    const FailCase& c = GetParam();
    const HexResult result = readhex(bytes_of(c.text));
    EXPECT_FALSE(result.image);
    EXPECT_EQ(result.error.reason, c.reason);
    EXPECT_EQ(result.error.line, c.line);
}

const std::string kBadChecksum = ":0200000001020A\n";  // the sum wants FB

INSTANTIATE_TEST_SUITE_P(
    Table, Failures,
    ::testing::Values(
        FailCase{"checksum_mismatch_the_first_one_counts",
                 record(0, 0, {1}) + kBadChecksum + record(0, 2, {3}) + kBadChecksum + kEnd,
                 "record checksum does not match", 2},
        FailCase{"checksum_mismatch_of_a_record_of_count_0", ":0000000001\n" + kEnd,
                 "record checksum does not match", 1},
        FailCase{"checksum_mismatch_of_the_end_of_file_record", ":00000001FE\n",
                 "record checksum does not match", 1},
        FailCase{"data_at_0x20000", record(0x04, 0, {0x00, 0x02}) + record(0, 0, {1}) + kEnd,
                 "data address 0x20000 is outside the 128 KiB image", 2},
        FailCase{"record_across_0x20000",
                 record(0x04, 0, {0x00, 0x01}) + record(0, 0xFFF8, counting(16, 0)) + kEnd,
                 "data address 0x20000 is outside the 128 KiB image", 2},
        FailCase{"segment_beyond_the_image",
                 record(0x02, 0, {0xF0, 0x00}) + record(0, 0, {1}) + kEnd,
                 "data address 0xF0000 is outside the 128 KiB image", 2},
        // In 32 bits segment and linear base would wrap around to 0x10, the start of flash.
        FailCase{"address_that_would_wrap_around",
                 record(0x02, 0, {0x10, 0x00}) + record(0x04, 0, {0xFF, 0xFF}) +
                     record(0, 0x0010, {1}) + kEnd,
                 "data address 0x100000010 is outside the 128 KiB image", 3},
        FailCase{"record_running_past_4_GiB",
                 record(0x04, 0, {0xFF, 0xFF}) + record(0, 0xFFF0, counting(32, 0)) + kEnd,
                 "data address 0xFFFFFFF0 is outside the 128 KiB image", 2},
        FailCase{"no_end_of_file_record", record(0, 0, {1}) + record(0, 1, {2}) + "\n",
                 "no end-of-file record", 3},
        FailCase{"empty_text", "", "no end-of-file record", 1},
        FailCase{"record_cut_short_by_a_colon", ":04000000010203" + record(0, 4, {1}) + kEnd,
                 "record cut short before its checksum", 1},
        FailCase{"record_cut_short_by_the_end_of_the_text", record(0, 0, {1}) + kEnd + "\n:0400",
                 "record cut short before its checksum", 4},
        FailCase{"end_of_file_record_without_checksum", record(0, 0, {1}) + ":00000001",
                 "record cut short before its checksum", 2},
        FailCase{"extended_address_without_address", ":00000004FC\n" + kEnd,
                 "extended address record without an address", 1}),
    case_name<FailCase>);

TEST(ReadByte, AnyDivisionIntoChunksReadsTheSame) {
    const Bytes text =
        bytes_of(record(0x04, 0, {0x00, 0x01}) + record(0, 0x20, counting(32, 0)) + kEnd);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
        HexReader reader;
        for (std::size_t at = 0; at < text.size(); at += chunk)
            ihex_read_bytes(reader, std::span(text).subspan(at, std::min(chunk, text.size() - at)));
        ihex_end_read(reader);
        EXPECT_FALSE(reader.error) << chunk;
        EXPECT_TRUE(reader.successful) << chunk;
        EXPECT_EQ(reader.lowest, 0x10020u) << chunk;
        EXPECT_TRUE(reader.image == image_with({{0x10020, counting(32, 0)}})) << chunk;
    }
}

// Intel HEX written by tools that nobody here wrote, from random firmware.
struct ToolCase {
    const char* name;
    std::vector<std::string> tool;  // arguments before the file names
    std::uint32_t size;
    std::uint32_t offset;
    const char* marker;  // an addressing record the file must contain, or ""
};

std::ostream& operator<<(std::ostream& out, const ToolCase& c) {
    return out << c.name;
}

std::string hex_number(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The command that turns in.bin into out.hex with the firmware at `offset`.
std::vector<std::string> tool_command(const ToolCase& c, const std::string& in,
                                      const std::string& out) {
    if (c.tool[0] == "objcopy")
        return {"objcopy", "-I", "binary", "-O", "ihex", "--change-addresses", hex_number(c.offset),
                in,        out};
    std::vector<std::string> args = {"srec_cat",           in,   "-Binary", "-offset",
                                     hex_number(c.offset), "-o", out,       "-Intel"};
    args.insert(args.end(), c.tool.begin() + 1, c.tool.end());
    return args;
}

std::string random_firmware(std::uint32_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

class ForeignFiles : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ForeignFiles, GiveTheirSourceAtItsAddress) {
    const ToolCase& c = GetParam();
    const testing::TempDir dir;
    const std::string source = random_firmware(c.size, c.size ^ c.offset);
    const std::string in = dir.write("in.bin", source);
    const std::string out = dir.file("out.hex");
    testing::ProgramRun run;
    run.args = tool_command(c, in, out);
    const testing::ProgramResult made = testing::run_program(run);
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string text = testing::read_file_content(out);
    EXPECT_NE(text.find(c.marker), std::string::npos) << c.marker;

    const HexResult result = readhex(bytes_of(text));
    ASSERT_TRUE(result.image) << "line " << result.error.line << ": " << result.error.reason;
    EXPECT_EQ(result.image->start, c.offset);
    EXPECT_EQ(result.image->size, c.size);
    EXPECT_TRUE(result.image->bytes == image_with({{c.offset, bytes_of(source)}}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ForeignFiles,
    ::testing::Values(
        ToolCase{"objcopy_small", {"objcopy"}, 100, 0, ""},
        ToolCase{"objcopy_above_0", {"objcopy"}, 1000, 0x1234, ""},
        ToolCase{"objcopy_segments", {"objcopy"}, 0x20000 - 0x100, 0x100, ":020000021000EC"},
        ToolCase{"objcopy_whole_image", {"objcopy"}, 0x20000, 0, ":020000021000EC"},
        ToolCase{"srec_cat_small", {"srec_cat"}, 100, 0, ""},
        ToolCase{"srec_cat_linear", {"srec_cat"}, 70000, 0x3000, ":020000040001F9"},
        ToolCase{"srec_cat_whole_image_linear", {"srec_cat"}, 0x20000, 0, ":020000040001F9"},
        ToolCase{"srec_cat_segments",
                 {"srec_cat", "--address-length=3"},
                 90001,
                 0x777,
                 ":020000021000EC"}),
    case_name<ToolCase>);

}  // namespace
}  // namespace vorlanex
