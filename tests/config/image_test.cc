#include "config/image.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vorlanex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A configuration with one record of every kind (an expansion, a keyed
// binding with a text and a long sleep, an immediate command with a policy, a
// string, a long value) and its 39 bytes.
Config every_record_kind() {
    Config config;
    Expansion expansion;
    Expansion_set_num_ports(expansion, 1);
    expansion.clock_pin = 0x00;
    expansion.data_pin = 0x01;
    expansion.latch_pin = 0x02;
    expansion.enable_pin = 0x0B;
    config.expansion = expansion;
    Binding* keyed = Config_get_or_create_binding(config, 0x32);
    Binding_add(*keyed, Command{ACTION_TYPE, 0, 0, 0, 0});
    Binding_add(*keyed, Command{ACTION_LONG_SLEEP, 0, 0, 0, 0});
    Binding* immediate = Config_get_or_create_binding(config, KEY_IMMEDIATE);
    Binding_add(*immediate, Command{ACTION_SET, 0, 0x08, 1, POLICY_ODD});
    Config_add_string(config, "hi");
    Config_add_long(config, 65536);
    return config;
}

const Bytes kEveryRecordKind = {0x1C, 0xCF,  // magic
                                0xFB, 0x01, 0x00, 0x01, 0x02,
                                0x0B,  // expansion: 1 port, clock a0, data a1, latch a2, enable b3
                                0x32, 0x01, 0x02,  // binding: key 0x32, times 1, 2 commands
                                0x0C, 0x00, 0x00, 0x00, 0x00,  // type string 0
                                0x10, 0x00, 0x00, 0x00, 0x00,  // long sleep, longs entry 0
                                0xFE, 0x01, 0x01,              // immediate binding, 1 command
                                0x00, 0x60, 0x00, 0x08, 0x01,  // set a3 1, odd policy
                                0xFD, 0x68, 0x69, 0x00,        // string 0: "hi"
                                0xFC, 0x00, 0x00, 0x01, 0x00,  // long 0: 65536
                                0xFF};

Bytes write(const Config& config) {
    Bytes out;
    Config_write(config, out);
    return out;
}

struct ReadOutcome {
    ReadResult result = ReadResult::NotAnImage;
    Config config;
    std::size_t position = 0;  // where the text parser would go on
    std::string messages;
};

ReadOutcome read(const Bytes& bytes) {
    InputStream in(bytes);
    ReadOutcome outcome;
    Messages messages;
    outcome.result = Config_read(outcome.config, in, messages);
    outcome.messages = messages.joined();
    outcome.position = in.position();
    return outcome;
}

TEST(Image, EveryRecordKindWritesAndReadsBack) {
    ASSERT_EQ(kEveryRecordKind.size(), 39u);
    EXPECT_EQ(write(every_record_kind()), kEveryRecordKind);
    const ReadOutcome outcome = read(kEveryRecordKind);
    EXPECT_EQ(outcome.result, ReadResult::Image);
    EXPECT_EQ(outcome.config, every_record_kind());
    EXPECT_EQ(outcome.messages, "");
}

TEST(Image, EmptyConfiguration) {
    EXPECT_EQ(write(Config{}), (Bytes{0x1C, 0xCF, 0xFF}));
    for (const Bytes& bytes : {Bytes{0x1C, 0xCF, 0xFF}, Bytes{0x1C, 0xCF}}) {
        const ReadOutcome outcome = read(bytes);
        EXPECT_EQ(outcome.result, ReadResult::Image);
        EXPECT_EQ(outcome.config, Config{});
    }
}

TEST(Image, RecordsInAnyOrderReadTheSame) {
    // Strings and longs first, the bindings last, and no end tag.
    const Bytes reordered = {0x1C, 0xCF, 0xFC, 0x00, 0x00, 0x01, 0x00, 0xFD, 0x68, 0x69,
                             0x00, 0x32, 0x01, 0x02, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x10,
                             0x00, 0x00, 0x00, 0x00, 0xFE, 0x01, 0x01, 0x00, 0x60, 0x00,
                             0x08, 0x01, 0xFB, 0x01, 0x00, 0x01, 0x02, 0x0B};
    const ReadOutcome outcome = read(reordered);
    EXPECT_EQ(outcome.result, ReadResult::Image);
    EXPECT_EQ(write(outcome.config), kEveryRecordKind);
}

TEST(Image, BindingRecordsOfOneKeyStaySeparate) {
    const ReadOutcome outcome = read({0x1C, 0xCF, 0x05, 0x01, 0x00, 0x05, 0x02, 0x00, 0xFF});
    ASSERT_EQ(outcome.config.num_bindings(), 2u);
    EXPECT_EQ(outcome.config.bindings[0].times, 1);
    EXPECT_EQ(outcome.config.bindings[1].times, 2);
}

TEST(Image, CommandBytesGoActionPolicyPortMaskData) {
    Config config;
    Binding_add(*Config_get_or_create_binding(config, KEY_IMMEDIATE),
                Command{ACTION_SET, 0, 0x08, 1, POLICY_ODD});
    EXPECT_EQ(write(config),
              (Bytes{0x1C, 0xCF, 0xFE, 0x01, 0x01, 0x00, 0x60, 0x00, 0x08, 0x01, 0xFF}));
}

TEST(Image, InputWithoutTheMagicIsLeftForTheTextParser) {
    struct Case {
        Bytes bytes;
        std::size_t position;
    };
    for (const Case& c : {Case{{}, 0}, Case{{'s', 'e', 't'}, 0}, Case{{0x1C}, 1},
                          Case{{0x1C, 'x'}, 1}, Case{{0xCF, 0x1C}, 0}}) {
        const ReadOutcome outcome = read(c.bytes);
        EXPECT_EQ(outcome.result, ReadResult::NotAnImage);
        EXPECT_EQ(outcome.position, c.position);
        EXPECT_EQ(outcome.config, Config{});
        EXPECT_EQ(outcome.messages, "");
    }
}

TEST(Image, EveryTruncationIsCompleteOrBroken) {
    const Config full = every_record_kind();
    std::set<std::size_t> complete;
    for (std::size_t cut = 2; cut < kEveryRecordKind.size(); ++cut) {
        const Bytes prefix(kEveryRecordKind.begin(), kEveryRecordKind.begin() + cut);
        const ReadOutcome outcome = read(prefix);
        if (outcome.result == ReadResult::Broken) {
            EXPECT_TRUE(outcome.messages.starts_with("error: ")) << cut;
            EXPECT_EQ(outcome.messages.find('\n'), outcome.messages.size() - 1) << cut;
            continue;
        }
        ASSERT_EQ(outcome.result, ReadResult::Image) << cut;
        EXPECT_EQ(outcome.messages, "");
        complete.insert(cut);
        // Whatever was read is a prefix of the full configuration, never filler.
        ASSERT_LE(outcome.config.num_bindings(), full.num_bindings());
        for (std::size_t i = 0; i < outcome.config.num_bindings(); ++i) {
            EXPECT_EQ(outcome.config.bindings[i], full.bindings[i]) << cut;
        }
    }
    // Exactly the cuts at record boundaries read as complete images.
    EXPECT_EQ(complete, (std::set<std::size_t>{2, 8, 21, 29, 33, 38}));
}

TEST(Image, BrokenRecordsSayWhatIsWrong) {
    struct Case {
        Bytes bytes;
        const char* message;
    };
    const Bytes long_string = [] {
        Bytes bytes{0x1C, 0xCF, 0xFD};
        bytes.insert(bytes.end(), 4096, 'x');
        bytes.push_back(0);
        return bytes;
    }();
    for (const Case& c : {
             Case{{0x1C, 0xCF, 0x32},
                  "error: broken image: the input ends inside a binding record\n"},
             Case{{0x1C, 0xCF, 0x32, 0x01, 0x01, 0x00},
                  "error: broken image: the input ends inside a binding record\n"},
             Case{{0x1C, 0xCF, 0xFB, 0x01},
                  "error: broken image: the input ends inside an expansion record\n"},
             Case{{0x1C, 0xCF, 0xFC, 0x01, 0x02, 0x03},
                  "error: broken image: the input ends inside a long value record\n"},
             Case{{0x1C, 0xCF, 0xFD, 'h', 'i'},
                  "error: broken image: the input ends inside a string record\n"},
             Case{long_string, "error: broken image: a string record holds more than 4095 bytes\n"},
         }) {
        const ReadOutcome outcome = read(c.bytes);
        EXPECT_EQ(outcome.result, ReadResult::Broken);
        EXPECT_EQ(outcome.messages, c.message);
    }
}

TEST(Image, AStringOf4095BytesFits) {
    Bytes bytes{0x1C, 0xCF, 0xFD};
    bytes.insert(bytes.end(), 4095, 'x');
    bytes.push_back(0);
    const ReadOutcome outcome = read(bytes);
    ASSERT_EQ(outcome.result, ReadResult::Image);
    EXPECT_EQ(outcome.config.string_table.at(0).size(), 4095u);
}

}  // namespace
}  // namespace vorlanex
