#include "strings/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlanex {
namespace {

std::vector<std::string> tokens(const std::string& text, const Definitions& definitions = {}) {
    StringList list;
    Messages messages;
    EXPECT_TRUE(StringList_append_tokenized(list, text, definitions, messages));
    EXPECT_TRUE(messages.empty());
    return list.items;
}

using Words = std::vector<std::string>;

TEST(StringList, SplitsAtBlanksAndTabsOnly) {
    EXPECT_EQ(tokens("  set\tport  a  "), (Words{"set", "port", "a"}));
    EXPECT_EQ(tokens("a"), (Words{"a"}));
    EXPECT_EQ(tokens("a "), (Words{"a"}));
    EXPECT_EQ(tokens("a,b\nc"), (Words{"a,b\nc"}));
    EXPECT_TRUE(tokens("").empty());
    EXPECT_TRUE(tokens(" \t \t").empty());
}

TEST(StringList, GetIsNoneOutsideTheList) {
    StringList list;
    Messages messages;
    ASSERT_TRUE(StringList_append_tokenized(list, "x y", {}, messages));
    EXPECT_EQ(StringList_get(list, 0), "x");
    EXPECT_EQ(StringList_get(list, 1), "y");
    EXPECT_EQ(StringList_get(list, 2), std::nullopt);
    EXPECT_EQ(StringList_get(list, -1), std::nullopt);
    EXPECT_EQ(StringList_get(StringList{}, 0), std::nullopt);
}

TEST(StringList, SubstitutesDefinitionsDepthFirst) {
    Definitions defs;
    ASSERT_TRUE(StringList_add_definition(defs, "A", "1 2"));
    ASSERT_TRUE(StringList_add_definition(defs, "B", "A 3"));
    ASSERT_TRUE(StringList_add_definition(defs, "E", " \t "));
    EXPECT_EQ(tokens("x B y", defs), (Words{"x", "1", "2", "3", "y"}));
    EXPECT_EQ(tokens("set E 5", defs), (Words{"set", "5"}));
    // Only whole tokens are names, and names are case-sensitive.
    EXPECT_EQ(tokens("A1 a B", defs), (Words{"A1", "a", "1", "2", "3"}));
}

TEST(StringList, DefinitionsMayNameSymbolsDefinedLater) {
    Definitions defs;
    ASSERT_TRUE(StringList_add_definition(defs, "FIRST", "SECOND"));
    EXPECT_EQ(tokens("FIRST", defs), (Words{"SECOND"}));
    ASSERT_TRUE(StringList_add_definition(defs, "SECOND", "2"));
    EXPECT_EQ(tokens("FIRST", defs), (Words{"2"}));
}

TEST(Definitions, FirstDefinitionStaysInForce) {
    Definitions defs;
    EXPECT_TRUE(StringList_add_definition(defs, "X", "5"));
    EXPECT_FALSE(StringList_add_definition(defs, "X", "6"));
    EXPECT_TRUE(StringList_add_definition(defs, "x", "7"));
    ASSERT_TRUE(StringList_has_definition(defs, "X"));
    EXPECT_EQ(defs.find("X")->text, "5");
    EXPECT_EQ(defs.find("x")->text, "7");
    EXPECT_EQ(defs.find("Y"), nullptr);
}

struct FailingCase {
    std::vector<std::pair<std::string, std::string>> definitions;
    std::string statement;
    std::string message;
};

std::ostream& operator<<(std::ostream& out, const FailingCase& c) {
    return out << '"' << c.statement << '"';
}

class SelfReference : public ::testing::TestWithParam<FailingCase> {};

TEST_P(SelfReference, FailsNamingTheSymbol) {
    Definitions defs;
    for (const auto& [name, text] : GetParam().definitions)
        StringList_add_definition(defs, name, text);
    StringList list;
    Messages messages;
    EXPECT_FALSE(StringList_append_tokenized(list, GetParam().statement, defs, messages));
    EXPECT_EQ(messages.joined(), GetParam().message);
}

// A symbol name such as "L12". Appending, because GCC 12 at -O3 warns falsely
// (-Wrestrict) about "L" + std::to_string(12).
std::string numbered(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

// Exponential growth: each level doubles the words of the one below.
std::vector<std::pair<std::string, std::string>> doubling(int levels, const std::string& leaf) {
    std::vector<std::pair<std::string, std::string>> defs{{"L0", leaf}};
    for (int i = 1; i <= levels; ++i) {
        const std::string below = numbered("L", i - 1);
        defs.emplace_back(numbered("L", i), below + " " + below);
    }
    return defs;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelfReference,
    ::testing::Values(
        FailingCase{{{"A", "A"}}, "set A", "error: 'A': symbol refers to itself\n"},
        FailingCase{{{"A", "x A"}}, "A", "error: 'A': symbol refers to itself\n"},
        FailingCase{{{"A", "B"}, {"B", "A"}}, "press A", "error: 'A': symbol refers to itself\n"},
        FailingCase{
            {{"A", "B"}, {"B", "C 1"}, {"C", "B"}}, "A", "error: 'B': symbol refers to itself\n"},
        FailingCase{doubling(40, "w"), "L40", "error: 'L40': symbol expands beyond 65536 words\n"},
        // Symbols that expand to nothing still count as work.
        FailingCase{doubling(40, ""), "x L40",
                    "error: 'L40': symbol expands beyond 65536 words\n"}));

TEST(StringList, ExpandsToExactly65536Words) {
    Definitions defs;
    for (const auto& [name, text] : doubling(16, "w")) StringList_add_definition(defs, name, text);
    StringList list;
    Messages messages;
    EXPECT_TRUE(StringList_append_tokenized(list, "L16", defs, messages));
    EXPECT_EQ(list.items.size(), 65536u);

    StringList longer;
    EXPECT_FALSE(StringList_append_tokenized(longer, "L16 one_more", defs, messages));
    EXPECT_EQ(messages.joined(), "error: 'L16': symbol expands beyond 65536 words\n");
}

TEST(StringList, LongChainsOfDefinitionsNeedNoDeepRecursion) {
    Definitions defs;
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) {
        StringList_add_definition(defs, numbered("D", i), numbered("D", i + 1));
    }
    StringList_add_definition(defs, numbered("D", depth), "end");
    EXPECT_EQ(tokens("D0", defs), (Words{"end"}));
}

}  // namespace
}  // namespace vorlanex
