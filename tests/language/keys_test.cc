#include "language/keys.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlanex {
namespace {

struct KeyCase {
    const char* text;
    int code;  // -1: refused
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << '"' << c.text << '"';
}

class KeyParse : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyParse, GivesTheCodeOrRefuses) {
    Definitions defs;
    defs.add("FIRE", "RUNSTOP");
    defs.add("PAIR", "RUN STOP");
    defs.add("LOOP", "LOOP");
    defs.add("PING", "PONG");
    defs.add("PONG", "$PING");
    std::uint8_t code = 0x77;
    bool accepted = false;
    Messages messages;
    accepted = Key_parse(code, GetParam().text, defs, messages);
    EXPECT_EQ(accepted, GetParam().code >= 0);
    EXPECT_EQ(code, accepted ? GetParam().code : 0x77);  // unchanged on failure
    EXPECT_EQ(messages.joined(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyParse,
    ::testing::Values(KeyCase{"$3F", 63, ""}, KeyCase{"63", 63, ""}, KeyCase{"0x3F", 63, ""},
                      KeyCase{"077", 63, ""}, KeyCase{"runstop", 63, ""}, KeyCase{"Stop", 63, ""},
                      KeyCase{"$40", 0x40, ""}, KeyCase{"$F8", 0xF8, ""}, KeyCase{"$FA", 0xFA, ""},
                      KeyCase{"LOCKED", 0xFA, ""}, KeyCase{"$F9", 0xF9, ""},
                      KeyCase{"unlocked", 0xF9, ""},
                      KeyCase{"$FB", -1, "error: '$FB': reserved slot, not a key\n"},
                      KeyCase{"$FE", -1, "error: '$FE': reserved slot, not a key\n"},
                      KeyCase{"$FF", -1, "error: '$FF': reserved slot, not a key\n"},
                      KeyCase{"-1", -1, "error: '$FF': reserved slot, not a key\n"},
                      KeyCase{"-6", 0xFA, ""}, KeyCase{"$A", 0x0A, ""}, KeyCase{"$F1", 0xF1, ""},
                      KeyCase{"$K", 0x2C, ""}, KeyCase{"300", 0x2C, ""}, KeyCase{"$140", 0x40, ""},
                      KeyCase{"5x", 5, ""}, KeyCase{"5 ", 5, ""}, KeyCase{" 7", 7, ""},
                      KeyCase{"RUN ", -1, ""}, KeyCase{"c=", 0x2F, ""}, KeyCase{"+", 0x05, ""},
                      KeyCase{"shiftright", 0x26, ""}, KeyCase{"COLON", 0x2D, ""},
                      KeyCase{":", -1, ""}, KeyCase{"#", -1, ""}, KeyCase{"", -1, ""},
                      KeyCase{"xyz", -1, ""}, KeyCase{"FIRE", 63, ""}, KeyCase{"$FIRE", 0x0F, ""},
                      KeyCase{"fire", -1, ""}, KeyCase{"PAIR", -1, ""},
                      KeyCase{"LOOP", -1, "error: 'LOOP': symbol refers to itself\n"},
                      KeyCase{"PING", -1, "error: 'PING': symbol refers to itself\n"}));

struct DataCase {
    const char* text;
    int value;  // -1: refused
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const DataCase& c) {
    return out << '"' << c.text << '"';
}

class ParseData : public ::testing::TestWithParam<DataCase> {};

TEST_P(ParseData, GivesTheByteOrRefuses) {
    std::uint8_t value = 0x77;
    bool accepted = false;
    Messages messages;
    accepted = parseData(std::string_view(GetParam().text), value, {}, messages);
    EXPECT_EQ(accepted, GetParam().value >= 0);
    EXPECT_EQ(value, accepted ? GetParam().value : 0x77);
    EXPECT_EQ(messages.joined(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseData,
    ::testing::Values(DataCase{"%1010", 10, ""}, DataCase{"%", -1, ""}, DataCase{"%2", -1, ""},
                      DataCase{"%111111111", 0xFF, ""},
                      DataCase{"255", 255, "error: '$FF': reserved slot, not a key\n"},
                      DataCase{"$FF", -1, "error: '$FF': reserved slot, not a key\n"},
                      DataCase{"0xFF", 0, "error: '$FF': reserved slot, not a key\n"},
                      DataCase{"A", 0x11, ""}, DataCase{"RETURN", 8, ""}, DataCase{"$10", 16, ""},
                      DataCase{"0x10", 16, ""}, DataCase{"16", 16, ""}, DataCase{"xyz", -1, ""}));

TEST(ParseData, NoWordIsNoValue) {
    std::uint8_t value = 3;
    Messages messages;
    EXPECT_FALSE(parseData(std::nullopt, value, {}, messages));
    EXPECT_EQ(value, 3);
}

TEST(Symbols, PrimaryRowsAreInCodeOrderAndSynonymsFollow) {
    for (std::size_t i = 0; i < kNumMatrixKeys; ++i) EXPECT_EQ(symbols[i].code, i);
    EXPECT_EQ(symbols[64].name, "ENTER");
    EXPECT_EQ(symbols[96].name, "UNLOCKED");
}

}  // namespace
}  // namespace vorlanex
