#include "language/render.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/image.h"
#include "parse_helpers.h"

namespace vorlanex {
namespace {

using testing::parse_text;

std::string render(const Config& config) {
    std::string out;
    Messages messages;
    EXPECT_TRUE(Config_print(config, out, messages));
    EXPECT_TRUE(messages.empty());
    return out;
}

std::string render_text(const std::string& text) {
    const auto parsed = parse_text(text);
    EXPECT_TRUE(parsed.ok) << parsed.messages;
    return render(parsed.config);
}

std::vector<std::uint8_t> image_of(const Config& config) {
    std::vector<std::uint8_t> image;
    Config_write(config, image);
    return image;
}

Config config_with(std::uint8_t key, Command command) {
    Config config;
    Binding_add(*Config_get_or_create_binding(config, key), command);
    return config;
}

TEST(Render, WritesKeysAndValuesAsNumbers) {
    EXPECT_EQ(render_text("RUNSTOP: requires 2\nRUNSTOP: 1 set a3 0\n"),
              "$3F: requires 2x\n$3F: 1 set port a bit 3 $00\n");
    EXPECT_EQ(render_text("sleep 1m\nsleep 3000000000\n"),
              "requires 1x\nsleep 60000\nsleep -1294967296\n");
    EXPECT_EQ(render_text("A: type Hi\\n\n"), "$11: requires 1x\n$11: type Hi\\n\n");
    EXPECT_EQ(render_text("$40: boot\n"), "$40: requires 1x\n$40: boot\n");
    EXPECT_EQ(render_text("set port a bits 0-7 $05\ntristate port b bit 7\n"),
              "requires 1x\nset port a bits 0-7 $05\ntristate port b bit 7 \n");
    EXPECT_EQ(render_text("using 8808\nspeed slow\nswap A B\npress RETURN\n"),
              "requires 1x\nusing MT8808\nspeed slow\nswap $11 $23\npress $08\n");
    EXPECT_EQ(render_text("expand PORTS=2 CLOCK=a0 DATA=b1 LATCH=a2 ENABLE=b7\n"),
              "expand PORTS=2 CLOCK=a0 DATA=b1 LATCH=a2 ENABLE=b7\n");
    EXPECT_EQ(render(Config{}), "");
}

TEST(Render, CommandsWithoutANameAreUnknown) {
    EXPECT_EQ(render(config_with(KEY_IMMEDIATE, Command{30, 0, 0xFF, 0xFF, 0})),
              "requires 1x\nunknown port a bits 0-7 \n");
    Config zero_times = config_with(0x05, Command{ACTION_BOOT, 0, 0xFF, 0xFF, 0});
    zero_times.bindings[0].times = 0;
    EXPECT_EQ(render(zero_times), "$05: boot\n");
}

TEST(Render, TypeTextsAreEscapedToReadBackAsTheSameBytes) {
    Config config;
    Config_add_string(config, "a\tb\xC5\xA0#\\:=");
    Config_add_string(config, "=x:y");
    Config_add_string(config, " \t=z=");
    Binding_add(*Config_get_or_create_binding(config, 0x11), Command{ACTION_TYPE, 0, 0, 0, 0});
    Binding_add(*Config_get_or_create_binding(config, KEY_IMMEDIATE),
                Command{ACTION_TYPE, 0, 1, 0, 0});
    Binding_add(*Config_get_or_create_binding(config, KEY_IMMEDIATE),
                Command{ACTION_TYPE, 0, 2, 0, 0});
    const std::string text = render(config);
    EXPECT_EQ(text,
              "$11: requires 1x\n$11: type a\\{9}b\xC5\\{160}\\{35}\\\\:=\n"
              "requires 1x\ntype \\{61}x\\{58}y\ntype  \\{9}\\{61}z=\n");
    const auto reread = parse_text(text);
    ASSERT_TRUE(reread.ok) << reread.messages;
    EXPECT_EQ(reread.config.string_table, config.string_table);
}

TEST(Render, EntriesBeyondTheirTablesFail) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {ACTION_TYPE, "error: the configuration refers to text entry 2, which it does not hold\n"},
        {ACTION_LONG_SLEEP,
         "error: the configuration refers to long sleep entry 2, which it does not hold\n"},
    };
    for (const auto& [action, message] : cases) {
        std::string out;
        Messages messages;
        EXPECT_FALSE(Config_print(config_with(0x11, Command{action, 0, 2, 0, 0}), out, messages));
        EXPECT_EQ(messages.joined(), message);
    }
}

TEST(Render, LinesTheReaderWouldSplitAreRefused) {
    Config config;
    Config_add_string(config, std::string(4000, '\x01'));  // each byte becomes "\{1}"
    Binding_add(*Config_get_or_create_binding(config, 0x11), Command{ACTION_TYPE, 0, 0, 0, 0});
    std::string out;
    Messages messages;
    EXPECT_FALSE(Config_print(config, out, messages));
    EXPECT_EQ(messages.joined(),
              "error: the text of a binding for $11 is too long to write as one line\n");
}

// Text that the parser accepts renders to text that parses to the same image.
TEST(Render, RenderedTextReadsBackToTheSameImage) {
    const char* const texts[] = {
        ("expand PORTS=3 CLOCK=a0 DATA=a1 LATCH=b2 ENABLE=b3\n"
         "A: set port e bits 2-5 7\nB: 0 invert c1\nC: 1 map b0 RETURN\nsleep 1d2h3m4s5ms\n"),
        "type  two blanks \\x01\\{200}\\{255}\\{58}\n1 type =\\{35}\nA: type :=#\\{0}\n",
        "$F9: requires 0x10\n$FA: swap 1 2\nUNLOCKED: using 22106\nspeed fast\n",
    };
    for (const char* text : texts) {
        const auto parsed = parse_text(text);
        ASSERT_TRUE(parsed.ok) << parsed.messages;
        const auto reread = parse_text(render(parsed.config));
        ASSERT_TRUE(reread.ok) << reread.messages;
        EXPECT_EQ(image_of(reread.config), image_of(parsed.config)) << text;
    }
}

TEST(Render, ExamplesReadBackToTheSameImage) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VORLANEX_SOURCE_DIR "/examples")) {
        if (entry.path().extension() != ".conf") continue;
        ++examples;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const auto parsed = parse_text(text.str());
        ASSERT_TRUE(parsed.ok) << entry.path() << parsed.messages;
        const auto reread = parse_text(render(parsed.config));
        ASSERT_TRUE(reread.ok) << entry.path() << reread.messages;
        EXPECT_EQ(image_of(reread.config), image_of(parsed.config)) << entry.path();
    }
    EXPECT_GE(examples, 6);
}

}  // namespace
}  // namespace vorlanex
