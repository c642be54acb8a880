#include "language/grammar.h"

#include <gtest/gtest.h>

#include "parse_helpers.h"

namespace vorlanex {
namespace {

using testing::immediate_commands;
using testing::parse_text;

struct StatementCase {
    const char* statement;
    Command command;  // action, port, mask, data, policy
    const char* messages = "";
};

std::ostream& operator<<(std::ostream& out, const StatementCase& c) {
    return out << '"' << c.statement << '"';
}

class Statement : public ::testing::TestWithParam<StatementCase> {};

// An expansion of three ports (c, d, e) stands before every statement.
TEST_P(Statement, GivesTheCommand) {
    const auto parsed =
        parse_text(std::string("expand PORTS=3 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3\n") +
                   GetParam().statement + "\n");
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    EXPECT_EQ(parsed.messages, GetParam().messages);
    const auto commands = immediate_commands(parsed.config);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], GetParam().command);
}

constexpr std::uint8_t S = ACTION_SET;
const char* const kReserved = "error: '$FF': reserved slot, not a key\n";

INSTANTIATE_TEST_SUITE_P(
    LineSpecifications, Statement,
    ::testing::Values(StatementCase{"set a3", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set a3 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set a3 to 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set a3 = 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set port a bit 3", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set port a bit 3 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set port a bit 3 to 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set bit 3 1", {S, 0, 0x08, 1, 0}},
                      StatementCase{"SET PORT A BIT 3", {S, 0, 0x08, 1, 0}},
                      StatementCase{"set port b bits 4-7 %1010", {S, 1, 0xF0, 10, 0}},
                      StatementCase{"set 5", {S, 0, 0xFF, 5, 0}},
                      StatementCase{"set", {S, 0, 0xFF, 0xFF, 0}},
                      StatementCase{"set a0-7 5", {S, 0, 0xFF, 5, 0}},
                      StatementCase{"set port b bits", {S, 1, 0xFF, 0xFF, 0}},
                      StatementCase{"set port apple bit 0 0", {S, 0, 0x01, 0, 0}},
                      StatementCase{"set port e bit 1", {S, 4, 0x02, 1, 0}},
                      StatementCase{"invert c0", {ACTION_INVERT, 2, 0x01, 1, 0}},
                      StatementCase{"0 set a3", {S, 0, 0x08, 1, POLICY_EVEN}},
                      StatementCase{"1 set a3", {S, 0, 0x08, 1, POLICY_ODD}},
                      StatementCase{"lock 5", {ACTION_LOCK, 0, 0xFF, 5, 0}},
                      StatementCase{"expand a3",
                                    {ACTION_EXPAND, 0, 0x08, 1, 0},
                                    "error: 'a3': expected <name>=<value>\n"}));

INSTANTIATE_TEST_SUITE_P(
    Values, Statement,
    ::testing::Values(StatementCase{"press RETURN", {ACTION_PRESS, 0, 0xFF, 8, 0}},
                      StatementCase{"press", {ACTION_PRESS, 0, 0xFF, 0xFF, 0}},
                      StatementCase{"press 255", {ACTION_PRESS, 0, 0xFF, 0xFF, 0}, kReserved},
                      StatementCase{"exec $40", {ACTION_EXEC, 0, 0xFF, 0x40, 0}},
                      StatementCase{"swap A B", {ACTION_SWAP, 0, 0x11, 0x23, 0}},
                      StatementCase{"swap %1 0x2", {ACTION_SWAP, 0, 0x01, 0x02, 0}},
                      StatementCase{"using mt8808", {ACTION_USING, 0, 0xFF, 1, 0}},
                      StatementCase{"using 74HC22106N", {ACTION_USING, 0, 0xFF, 0, 0}},
                      StatementCase{"speed FAST", {ACTION_SPEED, 0, 0xFF, 1, 0}},
                      StatementCase{"speed slow", {ACTION_SPEED, 0, 0xFF, 0, 0}},
                      StatementCase{"boot", {ACTION_BOOT, 0, 0xFF, 0xFF, 0}}));

INSTANTIATE_TEST_SUITE_P(
    Durations, Statement,
    ::testing::Values(StatementCase{"sleep 500", {ACTION_SLEEP, 0, 0xF4, 0x01, 0}},
                      StatementCase{"sleep 500ms", {ACTION_SLEEP, 0, 0xF4, 0x01, 0}},
                      StatementCase{"sleep 2s", {ACTION_SLEEP, 0, 0xD0, 0x07, 0}},
                      StatementCase{"sleep 1s500", {ACTION_SLEEP, 0, 0xDC, 0x05, 0}},
                      StatementCase{"sleep 1s1s", {ACTION_SLEEP, 0, 0xE8, 0x03, 0}},
                      StatementCase{"sleep 65535", {ACTION_SLEEP, 0, 0xFF, 0xFF, 0}},
                      StatementCase{"sleep abc", {ACTION_SLEEP, 0, 0, 0, 0}},
                      StatementCase{"sleep 65536", {ACTION_LONG_SLEEP, 0, 0, 0, 0}}));

// Long sleeps: the duration lands in the table of longs, shared by equal ones.
TEST(Grammar, LongSleepsShareTableEntries) {
    const auto parsed =
        parse_text("sleep 1m30s\nsleep 5m\nsleep 2m\nsleep 2m\nsleep -1\nsleep 1d\n");
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    EXPECT_EQ(parsed.config.longs,
              (std::vector<std::uint32_t>{90000, 300000, 120000, 4294967295u, 86400000}));
    const auto commands = immediate_commands(parsed.config);
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[3], (Command{ACTION_LONG_SLEEP, 0, 2, 0, 0}));
}

TEST(Grammar, TypeTextsKeepBlanksResolveEscapesAndShareEntries) {
    const auto parsed = parse_text(
        "type Hi\n"
        "type  Hi\n"
        "type \\x41\\{66}C\\n\\r\\f\\\\\n"
        "type a\\xzzb\n"
        "type hi\n"
        "type Hi\n"
        "0 type hi\n"
        "0  type hi\n"
        "type\n"
        "type x\\q\n"
        "A: type x # comment\n"
        "type cut\\x4\n"
        "type cut\\{65\n"
        "type cut\\\n");
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    EXPECT_EQ(parsed.messages,
              "Warning: \\q: undefined escape sequence in string literal (skipped)\n");
    EXPECT_EQ(parsed.config.string_table,
              (std::vector<std::string>{"Hi", " Hi", "ABC\n\r\f\\", "a", "hi", "type hi", "", "x",
                                        "x ", "cut\x04", "cutA", "cut"}));
    const auto commands = immediate_commands(parsed.config);
    EXPECT_EQ(commands[5].mask, 0);              // "Hi" again
    EXPECT_EQ(commands[6].policy, POLICY_EVEN);  // "0 type hi"
    EXPECT_EQ(commands[6].mask, 4);
}

struct FailureCase {
    const char* statement;
    const char* messages;  // before the file parser's own line
};

std::ostream& operator<<(std::ostream& out, const FailureCase& c) {
    return out << '"' << c.statement << '"';
}

class Failure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failure, WritesItsMessageThenTheLineNumberedOne) {
    const auto parsed = parse_text(std::string("# a comment\n\n") + GetParam().statement + "\n");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.messages, std::string(GetParam().messages) + "error: line 3: '" +
                                   GetParam().statement + "': invalid command specification\n");
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Failure,
    ::testing::Values(
        FailureCase{"frobnicate", "error: 'frobnicate': invalid command\n"},
        FailureCase{"00 set a3", "error: '00': invalid command\n"},
        FailureCase{"1", "error: '': invalid command\n"},
        FailureCase{"requires x", "error: missing times for requires\n"},
        FailureCase{"requires", "error: missing times for requires\n"},
        FailureCase{"sleep", "error: missing duration for sleep\n"},
        FailureCase{"sleep 5x", "error: '5x': invalid duration\n"},
        FailureCase{"sleep 1.5s", "error: '1.5s': invalid duration\n"},
        FailureCase{"sleep 5S", "error: '5S': invalid duration\n"},
        FailureCase{"sleep 5sx", "error: '5sx': invalid duration\n"},
        FailureCase{"sleep 99999999999999999999",
                    "error: '99999999999999999999': invalid duration\n"},
        FailureCase{"press 99999999999999999999", "error: '99999999999999999999': invalid value\n"},
        FailureCase{"using", "error: missing crosspoint switch model for 'using'\n"},
        FailureCase{"using XYZ",
                    "error: please specify crosspoint switch model (CD74HC22106 or MT8808)\n"},
        FailureCase{"speed", "error: missing value for 'speed' (use 'fast' or 'slow')\n"},
        FailureCase{"speed turbo",
                    "error: 'turbo': invalid value for 'speed' (use 'fast' or 'slow')\n"},
        FailureCase{"swap A", "error: swap: missing key spec\n"},
        FailureCase{"swap A FOO", "error: 'FOO': invalid key spec\n"},
        FailureCase{"press port", "error: 'port': invalid value\n"},
        FailureCase{"set a3 xyz", "error: 'xyz': invalid value\n"},
        FailureCase{"set e3", "error: 'e3': invalid line specification\navailable ports: a, b\n"},
        FailureCase{"set port e bit 1", "error: 'e': invalid port, available ports: a, b\n"},
        FailureCase{"set port", "error: '': invalid port, available ports: a, b\n"},
        FailureCase{"set a8", "error: '8': not a decimal bit number\nerror: '8': invalid bit\n"},
        FailureCase{"set bit 9", "error: '9': not a decimal bit number\nerror: '9': invalid bit\n"},
        FailureCase{"set bit", "error: '': invalid bit\n"},
        FailureCase{"set a1-9",
                    "error: '1-9': invalid bit range\nerror: '1-9': invalid bit range\n"},
        FailureCase{"set port b bits 3",
                    "error: '3': invalid bit range\nerror: '3': invalid bit range\n"},
        FailureCase{"expand PORTS=1",
                    "error: no pin specification found for 'clock'\n"
                    "error: 'PORTS=1': invalid value\n"}));

TEST(Grammar, ExpansionPortsAreNamedAfterTheDeclaration) {
    const std::string expand = "expand PORTS=3 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3\n";
    auto parsed = parse_text(expand + "set port f bit 1\n");
    EXPECT_EQ(parsed.messages,
              "error: 'f': invalid port, available ports: a, b, c, d, e\n"
              "error: line 2: 'set port f bit 1': invalid command specification\n");
    parsed = parse_text(expand + "tri c0\n");
    EXPECT_EQ(parsed.messages,
              "error: expanded port lines can not be tristated\n"
              "error: line 2: 'tri c0': invalid command specification\n");
    parsed = parse_text(expand + "map d1 A\n");
    EXPECT_EQ(parsed.messages,
              "error: expanded port lines can not be mapped to keys\n"
              "error: line 2: 'map d1 A': invalid command specification\n");
}

TEST(Grammar, CommandsRunAtOnceAcceptEveryPortLetter) {
    auto parsed = parse_text("set port z bit 1\nset e3\n", true);
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    EXPECT_EQ(immediate_commands(parsed.config)[0].port, 25);
    EXPECT_EQ(immediate_commands(parsed.config)[1].port, 4);
    parsed = parse_text("set port 9 bit 1\n", true);
    EXPECT_FALSE(parsed.ok);
}

TEST(Grammar, KeywordsAreKnownInAnyCase) {
    EXPECT_EQ(parseAction("INV"), ACTION_INVERT);
    EXPECT_EQ(parseAction("Status"), ACTION_STATE);
    EXPECT_EQ(parseAction("expand"), ACTION_EXPAND);
    EXPECT_EQ(parseAction("settle"), ACTION_NONE);
    EXPECT_EQ(parseAction(std::nullopt), ACTION_NONE);
}

}  // namespace
}  // namespace vorlanex
