#include "language/escape.h"

#include <gtest/gtest.h>

#include <random>

namespace vorlanex {
namespace {

std::string round_trip(const std::string& bytes, bool immediate) {
    Messages messages;
    const std::string back = unescape_text(escape_text(bytes, immediate), messages);
    EXPECT_TRUE(messages.empty()) << messages.joined();
    return back;
}

// Every text without a 0 byte comes back byte for byte, wherever it stands.
TEST(Escape, EveryTextReadsBackAsItsBytes) {
    std::string every_byte;
    for (int byte = 1; byte < 256; ++byte) every_byte.push_back(static_cast<char>(byte));
    std::mt19937 random(7);
    std::vector<std::string> texts = {every_byte, "=x", " \t=:#", "\\x41", "\\{65}", "\\"};
    for (int i = 0; i < 200; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text) c = static_cast<char>(1 + random() % 255);
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        EXPECT_EQ(round_trip(text, false), text);
        EXPECT_EQ(round_trip(text, true), text);
    }
}

TEST(Escape, OnlyWhatTheReaderWouldMisreadIsEscaped) {
    EXPECT_EQ(escape_text("Hi there!", true), "Hi there!");
    EXPECT_EQ(escape_text("a:b=c", false), "a:b=c");
    EXPECT_EQ(escape_text(" =a:b", true), " \\{61}a\\{58}b");
    EXPECT_EQ(escape_text("#\n\r\f\\\x01\xC5\xA0\xE0", false),
              "\\{35}\\n\\r\\f\\\\\\{1}\xC5\\{160}\\{224}");
}

}  // namespace
}  // namespace vorlanex
