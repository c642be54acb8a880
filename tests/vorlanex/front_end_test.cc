#include "vorlanex/front_end.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/run_program.h"

namespace vorlanex {
namespace {

using testing::run_vorlanex;

const std::string kVersionLine = "Vorlanex v1.6\n";

const std::string kUsageAfterVersion =
    "\n"
    "Usage:\n"
    "      vorlanex [<options>] convert [<infile>|-] [<outfile>|-]\n"
    "      vorlanex [<options>] configure [<infile>]\n"
    "      vorlanex [<options>] update <firmware> [<config>]\n"
    "      vorlanex [<options>] reset\n"
    "      vorlanex [<options>] <command>\n"
    "      vorlanex [<options>] <script>|-\n"
    "\n"
    "  Options:\n"
    "           -v, --version  : print version information\n"
    "           -h, --help     : print this help text\n"
    "           -d, --device   : specify usb device (default: usb)\n"
    "           -D, --delay    : delay in ms between commands\n"
    "           -k, --keys     : list key names and synonyms\n"
    "           -p, --preserve : deprecated as of version 1.5\n"
    "           -i, --identify : request firmware identification via USB\n"
    "\n"
    "  Files:\n"
    "           <infile>   : input file, format is autodetected\n"
    "           <outfile>  : output file, format determined by extension\n"
    "           <script>   : script file containing vorlanex commands\n"
    "           <firmware> : binary or ihex firmware image (.bin or .hex)\n"
    "\n"
    "           *.conf : plain text config file format\n"
    "           *.bin  : binary file format (default)\n"
    "\n"
    "           Optional arguments default to stdin or stdout\n"
    "\n"
    "  Command:\n"
    "            (any valid vorlanex command)\n"
    "\n";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// The banner and four lines of notice.
std::string banner() {
    const auto result = run_vorlanex({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with(kVersionLine));
    EXPECT_EQ(lines(result.out).size(), 5u);
    return result.out;
}

TEST(FrontEnd, HelpAndNoArgumentsPrintTheUsage) {
    const std::string usage = banner() + kUsageAfterVersion;
    for (const auto& args : std::vector<std::vector<std::string>>{{"-h"}, {"--help"}, {}}) {
        const auto result = run_vorlanex(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, usage);
        EXPECT_EQ(result.err, "");
    }
}

TEST(FrontEnd, OptionsThatGoOnAloneEndInTheUsage) {
    const std::string usage = banner() + kUsageAfterVersion;
    const auto preserve = run_vorlanex({"-p"});
    EXPECT_EQ(preserve.status, 0);
    EXPECT_EQ(preserve.err,
              "hint: option --preserve is no longer needed and has been deprecated in v1.5\n");
    EXPECT_EQ(preserve.out, usage);
    const auto delay = run_vorlanex({"--delay=100", "-d", "usb:1"});
    EXPECT_EQ(delay.status, 0);
    EXPECT_EQ(delay.out, usage);
}

TEST(FrontEnd, KeysListsTheSixtyFourMatrixKeys) {
    const auto result = run_vorlanex({"-k"});
    EXPECT_EQ(result.status, 0);
    const auto listed = lines(result.out);
    ASSERT_EQ(listed.size(), 64u);
    EXPECT_EQ(listed[0], "$00  0   INSTDEL, INST, DEL");
    EXPECT_EQ(listed[1], "$01  1   THREE");
    EXPECT_EQ(listed[8], "$08  8   RETURN, ENTER");
    EXPECT_EQ(listed[16], "$10 16   CURSORLEFT, RIGHTCURSOR, CURSORRIGHT, LEFTCURSOR");
    EXPECT_EQ(listed[38], "$26 38   SHIFTRIGHT, SHIFTRIGHT, RIGHTSHIFT");
    EXPECT_EQ(listed[57], "$39 57   SHIFTLEFT, SHIFT, SHIFTLEFT, LEFTSHIFT");
    EXPECT_EQ(listed[63], "$3F 63   RUNSTOP, RUN, STOP");
    EXPECT_EQ(result.out.find("LOCKED"), std::string::npos);
}

TEST(FrontEnd, OptionsActInCommandLineOrderAndEndAtTheFirstThatEnds) {
    EXPECT_EQ(run_vorlanex({"-k", "-h"}).out.substr(0, 3), "$00");
    EXPECT_EQ(run_vorlanex({"-v", "-k"}).out, banner());
    // Options are found after the first word too, and "--" ends them.
    EXPECT_EQ(run_vorlanex({"convert", "in.conf", "-v"}).out, banner());
}

// The tool words these itself, as GNU getopt does, so that every platform's
// C library gives the same lines.
TEST(FrontEnd, BadOptionsFailWithOneDiagnosticInGnuGetoptsWords) {
    const struct {
        std::vector<std::string> args;
        const char* diagnostic;
    } cases[] = {
        {{"-x"}, "invalid option -- 'x'"},
        {{"-xk"}, "invalid option -- 'x'"},
        {{"--delay=5", "-yk"}, "invalid option -- 'y'"},
        {{"-D"}, "option requires an argument -- 'D'"},
        {{"--device"}, "option '--device' requires an argument"},
        {{"--dev"}, "option '--device' requires an argument"},
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--bogus=1"}, "unrecognized option '--bogus=1'"},
        {{"--he=1"}, "option '--help' doesn't allow an argument"},
        {{"--de=3"}, "option '--de=3' is ambiguous; possibilities: '--device' '--delay'"},
        {{"set", "a", "bits", "-3"}, "invalid option -- '3'"},
    };
    for (const auto& c : cases) {
        const auto result = run_vorlanex(c.args);
        EXPECT_EQ(result.status, 1) << c.args.front();
        EXPECT_EQ(result.out, "") << c.args.front();
        EXPECT_EQ(result.err, std::string(VORLANEX_BINARY) + ": " + c.diagnostic + "\n");
    }
}

TEST(FrontEnd, DelayReadsLikeStrtolCutToSixteenBits) {
    struct Case {
        const char* text;
        std::uint16_t delay;
    };
    for (const Case& c : {Case{"0x3E8", 1000}, Case{"010", 8}, Case{"250", 250}, Case{"65536", 0},
                          Case{"65537", 1}, Case{"abc", 0}, Case{"12ms", 12}, Case{"-1", 0xFFFF}}) {
        EXPECT_EQ(parse_delay(c.text), c.delay) << c.text;
    }
}

TEST(FrontEnd, SubCommandWordsAreExactAndCaseSensitive) {
    EXPECT_EQ(dispatch("convert").word, "convert");
    EXPECT_EQ(dispatch("configure").word, "configure");
    EXPECT_EQ(dispatch("update").word, "update");
    EXPECT_EQ(dispatch("reset").word, "reset");
    for (const char* word : {"Convert", "resets", "set", "-", ""}) {
        EXPECT_TRUE(dispatch(word).pass_first_word) << word;
    }
    EXPECT_FALSE(dispatch("reset").pass_first_word);
}

}  // namespace
}  // namespace vorlanex
