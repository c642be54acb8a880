// What a user installs: the files, the manual page and the shell completion.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "language/commands.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "vorlanex/front_end.h"

namespace vorlanex {
namespace {

using testing::file_exists;
using testing::read_file_content;
using testing::run_program;
using testing::TempDir;

const std::string kManualPage = VORLANEX_BUILD_DIR "/doc/vorlanex.1";

std::set<std::string> keywords_of_the_language() {
    std::set<std::string> words;
    for (const CommandInfo& command : kCommands) {
        for (const std::string_view keyword : command.keywords) {
            if (!keyword.empty()) words.emplace(keyword);
        }
    }
    return words;
}

TEST(Distribution, InstallLaysOutEveryFile) {
    TempDir root;
    testing::ProgramRun install;
    install.args = {"cmake", "--install", VORLANEX_BUILD_DIR, "--prefix", "/usr"};
    install.env = {"DESTDIR=" + root.path()};
    const auto result = run_program(install);
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* file :
         {"/usr/bin/vorlanex", "/usr/lib/udev/rules.d/60-vorlanex.rules",
          "/usr/share/man/man1/vorlanex.1", "/usr/share/bash-completion/completions/vorlanex",
          "/usr/share/doc/vorlanex/examples/hello.conf"}) {
        EXPECT_TRUE(file_exists(root.path() + file)) << file;
    }
    // logind grants the seat's user access in 73-seat-late.rules, which must
    // come after the rule that tags the controller.
    int rules = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(root.path() + "/usr/lib/udev/rules.d")) {
        ++rules;
        EXPECT_LT(entry.path().filename().string(), "73-seat-late.rules");
    }
    EXPECT_EQ(rules, 1);
    testing::ProgramRun version;
    version.args = {root.path() + "/usr/bin/vorlanex", "--version"};
    EXPECT_TRUE(run_program(version).out.starts_with("Vorlanex v1.6\n"));
}

TEST(Distribution, TheUdevRuleGrantsBothFacesBeforeLogindAppliesIt) {
    const std::string rule = read_file_content(VORLANEX_SOURCE_DIR "/dist/60-vorlanex.rules");
    EXPECT_NE(rule.find(R"(ATTR{idVendor}=="1209", ATTR{idProduct}=="7661", TAG+="uaccess")"),
              std::string::npos);
    EXPECT_NE(rule.find(R"(ATTR{idVendor}=="16c0", ATTR{idProduct}=="05dc", TAG+="uaccess")"),
              std::string::npos);
    EXPECT_NE(rule.find("#SUBSYSTEM==\"usb\", ATTR{idVendor}==\"1209\""), std::string::npos);
}

TEST(Distribution, TheManualPageRendersWithoutWarnings) {
    testing::ProgramRun groff;
    groff.args = {"groff", "-man", "-ww", "-z", kManualPage};
    const auto result = run_program(groff);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
}

// The page and the tool's own tables cannot drift apart.
TEST(Distribution, TheManualPageNamesEveryKeywordAndOption) {
    testing::ProgramRun text;
    text.args = {"groff", "-man", "-rHY=0", "-Tutf8", "-P", "-cbou", kManualPage};
    const std::string page = run_program(text).out;
    ASSERT_FALSE(page.empty());
    for (const std::string& keyword : keywords_of_the_language()) {
        EXPECT_NE(page.find(keyword), std::string::npos) << keyword;
    }
    for (std::string_view option : long_option_names()) {
        EXPECT_NE(page.find("--" + std::string(option)), std::string::npos) << option;
    }
    for (const char* word : {"convert", "configure", "update", "reset"}) {
        EXPECT_NE(page.find(word), std::string::npos) << word;
    }
}

std::string complete(const std::string& line_words, int cword) {
    testing::ProgramRun bash;
    bash.args = {"bash", "-c",
                 "source " VORLANEX_SOURCE_DIR "/dist/vorlanex.bash; COMP_WORDS=(" + line_words +
                     "); COMP_CWORD=" + std::to_string(cword) +
                     "; _vorlanex; printf '%s\\n' \"${COMPREPLY[@]}\""};
    bash.env = {"PATH=" VORLANEX_BUILD_DIR "/bin:/usr/bin:/bin"};
    return run_program(bash).out;
}

// A keyword added to the language must reach the completion too.
TEST(Distribution, CompletionOffersEveryKeywordOfTheLanguage) {
    testing::ProgramRun bash;
    bash.args = {"bash", "-c",
                 "source " VORLANEX_SOURCE_DIR "/dist/vorlanex.bash; _vorlanex_words"};
    std::istringstream offered(run_program(bash).out);
    std::set<std::string> words;
    for (std::string word; offered >> word;) words.insert(word);
    std::set<std::string> expected = keywords_of_the_language();
    expected.insert({"convert", "configure", "update", "reset"});
    EXPECT_EQ(words, expected);
}

TEST(Distribution, CompletionOffersSubCommandsKeywordsAndKeys) {
    EXPECT_EQ(complete("vorlanex con", 1), "convert\nconfigure\n");
    EXPECT_EQ(complete("vorlanex --del", 1), "--delay\n");
    EXPECT_EQ(complete("vorlanex -D 5 res", 3), "reset\nrestore\n");
    EXPECT_EQ(complete("vorlanex press RET", 2), "RETURN\n");
    EXPECT_EQ(complete("vorlanex set port", 2), "port\n");
}

}  // namespace
}  // namespace vorlanex
