#include "strings/messages.h"

#include <gtest/gtest.h>

namespace vorlanex {
namespace {

TEST(Messages, KeepTheirOrderAndTheirLines) {
    Messages messages;
    messages.add("Warning: first");
    messages.set_line(7);
    EXPECT_FALSE(messages.fail_at_line("second"));
    EXPECT_EQ(messages.joined(), "Warning: first\nerror: line 7: second\n");
    EXPECT_EQ(messages.list()[0].line, 0);
    EXPECT_EQ(messages.list()[1].line, 7);
}

TEST(Messages, QuotedWordsCannotSteerTheTerminal) {
    EXPECT_EQ(quote("RUNSTOP"), "'RUNSTOP'");
    EXPECT_EQ(quote(std::string("\x1B[2J\x07\x7F\x9B\xC3\xA9\0", 10)),
              "'\\x1B[2J\\x07\\x7F\\x9B\\xC3\\xA9\\x00'");
    EXPECT_EQ(word_error("", "invalid command"), "error: '': invalid command");
}

}  // namespace
}  // namespace vorlanex
