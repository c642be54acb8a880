// What a user installs: the files, the manual page and the shell completion.
#include <gtest/gtest.h>

#include "language/grammar.h"
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
    EXPECT_LT(std::string("60-vorlanex.rules"), std::string("73-seat-late.rules"));
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
    for (const Keyword& keyword : keywords) {
        EXPECT_NE(page.find(std::string(keyword.word)), std::string::npos) << keyword.word;
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

TEST(Distribution, CompletionOffersSubCommandsKeywordsAndKeys) {
    EXPECT_EQ(complete("vorlanex con", 1), "convert\nconfigure\n");
    EXPECT_EQ(complete("vorlanex --del", 1), "--delay\n");
    EXPECT_EQ(complete("vorlanex -D 5 res", 3), "reset\nrestore\n");
    EXPECT_EQ(complete("vorlanex press RET", 2), "RETURN\n");
    EXPECT_EQ(complete("vorlanex set port", 2), "port\n");
}

}  // namespace
}  // namespace vorlanex
