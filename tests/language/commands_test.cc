#include "language/commands.h"

#include <gtest/gtest.h>

#include <set>

#include "language/grammar.h"

namespace vorlanex {
namespace {

TEST(Commands, RowsStandAtTheirActionCodes) {
    for (std::size_t code = 0; code < kCommands.size(); ++code)
        EXPECT_EQ(kCommands[code].action, code);
    EXPECT_EQ(command_info(200).name, "unknown");
}

TEST(Commands, EveryKeywordNamesOneActionInAnyCase) {
    std::set<std::string> seen;
    for (const CommandInfo& info : kCommands) {
        for (const std::string_view keyword : info.keywords) {
            if (keyword.empty()) continue;
            EXPECT_TRUE(seen.emplace(keyword).second) << keyword;
            std::string upper(keyword);
            for (char& c : upper) c = static_cast<char>(std::toupper(c));
            EXPECT_EQ(parseAction(upper), info.action) << keyword;
        }
    }
    EXPECT_EQ(seen.size(), 33u);
}

}  // namespace
}  // namespace vorlanex
