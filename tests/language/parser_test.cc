#include "language/parser.h"

#include <gtest/gtest.h>

#include "language/expansion.h"
#include "parse_helpers.h"

namespace vorlanex {
namespace {

using testing::immediate_commands;
using testing::parse_text;

struct ErrorCase {
    const char* text;
    const char* messages;
};

std::ostream& operator<<(std::ostream& out, const ErrorCase& c) {
    return out << '"' << c.text << '"';
}

class ParseError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseError, EndsTheParseWithTheLineNumber) {
    const auto parsed = parse_text(GetParam().text);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseError,
    ::testing::Values(
        ErrorCase{"# one\n\n   \n\t# four\nbogus\n",
                  "error: 'bogus': invalid command\n"
                  "error: line 5: 'bogus': invalid command specification\n"},
        ErrorCase{"XV = 5\nXV = 6\n", "error: line 2: 'XV': symbol already defined\n"},
        ErrorCase{"run = 1\n", "error: line 1: 'run': symbol is a reserved key name\n"},
        ErrorCase{"Set = 1\n", "error: line 1: 'Set': symbol is a reserved keyword\n"},
        ErrorCase{"press =\n", "error: line 1: 'press': symbol is a reserved keyword\n"},
        ErrorCase{"my var = 1\n",
                  "error: 'my': invalid command\n"
                  "error: line 1: 'my var = 1': invalid command specification\n"},
        ErrorCase{"A : set a3\n", "error: line 1: 'A ': invalid key or slot specification\n"},
        ErrorCase{"$FE: set a3\n",
                  "error: '$FE': reserved slot, not a key\n"
                  "error: line 1: '$FE': invalid key or slot specification\n"},
        ErrorCase{"type Hello: World\n",
                  "error: line 1: 'type Hello': invalid key or slot specification\n"},
        ErrorCase{"A:\n",
                  "error: '': invalid command\n"
                  "error: line 1: '': invalid command specification\n"},
        ErrorCase{"A: # note\n",
                  "error: '': invalid command\n"
                  "error: line 1: '': invalid command specification\n"},
        ErrorCase{"LOOP = x LOOP\nset LOOP\n",
                  "error: 'LOOP': symbol refers to itself\n"
                  "error: line 2: 'set LOOP': invalid command specification\n"},
        ErrorCase{"PING = PONG\nPONG = PING\nPING: set a3\n",
                  "error: 'PING': symbol refers to itself\n"
                  "error: line 3: 'PING': invalid key or slot specification\n"}));

TEST(Parser, NulBytesAreRefused) {
    const auto parsed = parse_text(std::string("set a3\nset a\0 4\n", 15));
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.messages, "error: line 2: the text holds a NUL byte\n");
}

TEST(Parser, DefinitionsStandForTheirWords) {
    const auto parsed = parse_text(
        "XV = 5 # five\n"
        "set a3 XV\n"
        "YV=6\n"
        "set a3 YV\n"
        "_x1 = 2\n"
        "5 = 7\n"
        "set a3 5\n"
        "= 1\n"
        "FIRE = RUNSTOP\n"
        "FIRE: press FIRE\n");
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    const auto commands = immediate_commands(parsed.config);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].data, 5);
    EXPECT_EQ(commands[1].data, 6);
    EXPECT_EQ(commands[2].data, 7);
    ASSERT_EQ(parsed.config.bindings.size(), 2u);
    EXPECT_EQ(parsed.config.bindings[1].key, 0x3F);
    EXPECT_EQ(parsed.config.bindings[1].commands[0].data, 0x3F);
}

TEST(Parser, KeyPrefixesAndRequiresBuildOneBindingPerKey) {
    const auto parsed = parse_text(
        "a: set a3\n"
        "$40: type hello\n"
        "A: requires 2\n"
        "A: press =\n"
        "A: type Hello: World\n"
        "B: requires 3\n"
        "A: requires 4\n"
        "A: expand PORTS=1 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3\n");
    ASSERT_TRUE(parsed.ok) << parsed.messages;
    const auto& bindings = parsed.config.bindings;
    ASSERT_EQ(bindings.size(), 3u);
    EXPECT_EQ(bindings[0].key, 0x11);
    EXPECT_EQ(bindings[0].times, 4);
    EXPECT_EQ(bindings[0].commands.size(), 3u);
    EXPECT_EQ(bindings[0].commands[1].data, 0x2E);  // the key "="
    EXPECT_EQ(bindings[1].key, 0x40);
    EXPECT_EQ(bindings[2].key, 0x23);
    EXPECT_EQ(bindings[2].times, 3);
    EXPECT_TRUE(bindings[2].commands.empty());
    EXPECT_EQ(parsed.config.string_table, (std::vector<std::string>{"hello", "Hello: World"}));
    ASSERT_TRUE(parsed.config.expansion);
    EXPECT_EQ(parsed.config.expansion->num_ports(), 1);
}

TEST(Parser, LineEndsCommentsAndLongLines) {
    for (const std::string& text :
         {std::string("set a1\r\nset a2\r\n"), std::string("set a1\nset a2\r"),
          std::string("set a1\nset a2"), std::string("set a1\nset a2\n   \t")}) {
        const auto parsed = parse_text(text);
        ASSERT_TRUE(parsed.ok) << parsed.messages;
        EXPECT_EQ(immediate_commands(parsed.config).size(), 2u);
    }
    const auto parsed = parse_text("A: type a#b\nset a1\n");
    EXPECT_EQ(parsed.config.string_table, (std::vector<std::string>{"a"}));
}

// A line is one statement however long; past what the controller's tools
// write, it is refused at its own line instead of being read in pieces.
TEST(Parser, LinesUpTo4095BytesAreOneStatementLongerOnesAreRefused) {
    const std::string text(4090, 'x');  // "type " and 4090 bytes: 4095
    for (const char* end : {"\n", "\r\n", ""}) {
        const auto parsed = parse_text("set a1\ntype " + text + end);
        ASSERT_TRUE(parsed.ok) << parsed.messages.substr(0, 200);
        EXPECT_EQ(parsed.config.string_table, (std::vector<std::string>{text}));
    }
    for (const char* end : {"\n", "\r\n", ""}) {
        const auto parsed = parse_text("set a1\ntype x" + text + end + "set a2\n");
        EXPECT_FALSE(parsed.ok);
        EXPECT_EQ(parsed.messages, "error: line 2: the line is longer than 4095 bytes\n");
    }
}

TEST(Parser, EveryMessageCarriesItsLine) {
    const auto parsed = parse_text("set a1\n\ntype \\q\nbogus\n");
    EXPECT_EQ(parsed.messages,
              "Warning: \\q: undefined escape sequence in string literal (skipped)\n"
              "error: 'bogus': invalid command\n"
              "error: line 4: 'bogus': invalid command specification\n");
    EXPECT_EQ(parsed.lines, (std::vector<int>{3, 4, 4}));
}

TEST(Parser, AnErrorKeepsWhatEarlierLinesAdded) {
    const auto parsed = parse_text("A: set a1\nB: set a2\nbogus\nC: set a3\n");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.config.bindings.size(), 2u);
}

TEST(Parser, LimitsAreLineNumberedErrors) {
    std::string text;
    for (int i = 0; i < 256; ++i) text += "A: set a1\n";
    auto parsed = parse_text(text);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.messages, "error: line 256: more than 255 commands for key $11\n");
}

// No text holds enough commands to fill a table (251 keys of 255 commands),
// but a configuration that already holds 65535 entries shows the refusal.
TEST(Parser, FullTablesAreLineNumberedErrors) {
    struct Case {
        const char* statement;
        const char* message;
    };
    for (const Case& c :
         {Case{"type new\n", "error: line 1: more than 65535 texts to type\n"},
          Case{"sleep 1h\n", "error: line 1: more than 65535 long sleep durations\n"}}) {
        Config config;
        for (std::uint32_t i = 0; i < kMaxTableEntries; ++i) {
            // Appended: GCC 12 at -O3 warns falsely (-Wrestrict) about "t" + std::string.
            Config_add_string(config, std::string("t").append(std::to_string(i)));
            Config_add_long(config, 70000 + i);
        }
        Definitions definitions;
        const std::string text = c.statement;
        InputStream in({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        Messages messages;
        EXPECT_FALSE(Config_parse(config, in, definitions, messages, false));
        EXPECT_EQ(messages.joined(), c.message);
    }
}

struct ExpansionCase {
    const char* statement;
    bool ok;
    const char* messages;
    std::uint8_t pins[4];
    std::uint8_t ports;
};

std::ostream& operator<<(std::ostream& out, const ExpansionCase& c) {
    return out << '"' << c.statement << '"';
}

class ExpansionDeclaration : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpansionDeclaration, FillsTheDescriptorOrSaysWhy) {
    Expansion expansion;
    Messages messages;
    const bool ok = Expansion_parse(expansion, GetParam().statement, {}, messages);
    EXPECT_EQ(messages.joined(), GetParam().messages);
    ASSERT_EQ(ok, GetParam().ok);
    if (!ok) return;
    EXPECT_EQ(expansion.clock_pin, GetParam().pins[0]);
    EXPECT_EQ(expansion.data_pin, GetParam().pins[1]);
    EXPECT_EQ(expansion.latch_pin, GetParam().pins[2]);
    EXPECT_EQ(expansion.enable_pin, GetParam().pins[3]);
    EXPECT_EQ(expansion.num_ports(), GetParam().ports);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExpansionDeclaration,
    ::testing::Values(
        ExpansionCase{
            "expand PORTS=2 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3", true, "", {0, 1, 2, 3}, 2},
        ExpansionCase{"EXPAND enable=b7 Latch=b6 DATA=b5 clock=B4 ports=1 SPEED=9",
                      true,
                      "",
                      {0x0C, 0x0D, 0x0E, 0x0F},
                      1},
        ExpansionCase{
            "expand PORTS=1 CLOCK=a3junk DATA=a259 LATCH=a2 ENABLE=a2", true, "", {3, 3, 2, 2}, 1},
        ExpansionCase{"set a3", false, "", {}, 0}, ExpansionCase{"", false, "", {}, 0},
        ExpansionCase{"expand", false, "error: no pin specification found for 'clock'\n", {}, 0},
        ExpansionCase{"expand PORTS=2 CLOCK=a0 DATA=a1 LATCH=a2",
                      false,
                      "error: no pin specification found for 'enable'\n",
                      {},
                      0},
        ExpansionCase{"expand CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3",
                      false,
                      "error: number of available expansion ports not specified\n",
                      {},
                      0},
        ExpansionCase{"expand PORTS=256 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3",
                      false,
                      "error: number of available expansion ports not specified\n",
                      {},
                      0},
        ExpansionCase{"expand PORTS=x", false, "error: 'x': invalid number of ports\n", {}, 0},
        ExpansionCase{
            "expand CLOCK=a8", false, "error: '8': pin number out of range (0-7)\n", {}, 0},
        ExpansionCase{
            "expand CLOCK=c9", false, "error: '9': pin number out of range (0-7)\n", {}, 0},
        ExpansionCase{"expand CLOCK=ax", false, "error: 'ax': invalid pin number\n", {}, 0},
        ExpansionCase{"expand CLOCK=a", false, "error: 'a': invalid pin number\n", {}, 0},
        ExpansionCase{"expand CLOCK=x3", false, "error: 'x': invalid port name\n", {}, 0},
        ExpansionCase{"expand a0", false, "error: 'a0': expected <name>=<value>\n", {}, 0}));

TEST(Parser, ALaterDeclarationReplacesTheEarlierOne) {
    const auto parsed = parse_text(
        "expand PORTS=1 CLOCK=a0 DATA=a1 LATCH=a2 ENABLE=a3\n"
        "expand PORTS=4 CLOCK=b0 DATA=b1 LATCH=b2 ENABLE=b3\n"
        "expand PORTS=9\n");
    EXPECT_FALSE(parsed.ok);  // the broken third line goes on to the grammar and fails there
    ASSERT_TRUE(parsed.config.expansion);
    EXPECT_EQ(parsed.config.expansion->num_ports(), 4);
}

}  // namespace
}  // namespace vorlanex
