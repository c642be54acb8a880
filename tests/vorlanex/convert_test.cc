#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::file_exists;
using testing::ProgramRun;
using testing::read_file_content;
using testing::run_program;
using testing::run_vorlanex;
using testing::TempDir;

const std::string kSetA3Image("\x1C\xCF\xFE\x01\x01\x00\x00\x00\x08\x01\xFF", 11);

// What a run left in a directory, in order.
std::vector<std::string> names_in(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A keyed type and a long sleep, and an immediate command with a policy.
const std::string kTextConfig = "T: type hi\nT: sleep 65536ms\n1 set a3\n";

TEST(Convert, StandardStreamsCarryImages) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"convert"}, {"convert", "-"}, {"convert", "-", "-"}}) {
        const auto result = run_vorlanex(args, "set a3\n");
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, kSetA3Image);
        EXPECT_EQ(result.err, "reading from stdin...\nwriting to stdout...\n");
    }
    // A piped image reads like the same bytes in a file.
    const auto piped = run_vorlanex({"convert"}, kSetA3Image);
    EXPECT_EQ(piped.out, kSetA3Image);
}

TEST(Convert, OutputFormatFollowsTheName) {
    TempDir dir;
    const std::string input = dir.write("in.conf", kTextConfig);
    struct Case {
        const char* name;
        bool text;
    };
    for (const Case& c : {Case{"out.conf", true}, Case{"OUT.CONF", true}, Case{"x.Conf", true},
                          Case{"out.bin", false}, Case{"out.txt", false}, Case{"out", false},
                          Case{"conf", false}}) {
        const auto result = run_vorlanex({"convert", input, dir.file(c.name)});
        EXPECT_EQ(result.status, 0) << c.name << result.err;
        EXPECT_EQ(result.err, "");
        const std::string content = read_file_content(dir.file(c.name));
        EXPECT_EQ(content.starts_with("\x1C\xCF"), !c.text) << c.name;
    }
    EXPECT_EQ(
        read_file_content(dir.file("out.conf")),
        "$32: requires 1x\n$32: type hi\n$32: sleep 65536\nrequires 1x\n1 set port a bit 3 $01\n");
    EXPECT_EQ(read_file_content(dir.file("out.bin")).size(), 33u);
    // An image renders as text, and that text compiles to the same image.
    ASSERT_EQ(run_vorlanex({"convert", dir.file("out.bin"), dir.file("back.conf")}).status, 0);
    ASSERT_EQ(run_vorlanex({"convert", dir.file("back.conf"), dir.file("again.bin")}).status, 0);
    EXPECT_EQ(read_file_content(dir.file("again.bin")), read_file_content(dir.file("out.bin")));
}

TEST(Convert, EmptyInput) {
    TempDir dir;
    const std::string input = dir.write("empty", "");
    EXPECT_EQ(run_vorlanex({"convert", input}).out, std::string("\x1C\xCF\xFF"));
    ASSERT_EQ(run_vorlanex({"convert", input, dir.file("e.conf")}).status, 0);
    EXPECT_TRUE(file_exists(dir.file("e.conf")));
    EXPECT_EQ(read_file_content(dir.file("e.conf")), "");
}

TEST(Convert, FailuresLeaveOutputsAlone) {
    TempDir dir;
    const std::string bad = dir.write("bad.conf", "set a3\nbogus\n");
    const std::string existing = dir.write("keep.bin", "old content");
    chmod(existing.c_str(), 0640);

    auto result = run_vorlanex({"convert", dir.file("missing.conf"), dir.file("new.bin")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, dir.file("missing.conf") + ": No such file or directory\n");
    EXPECT_FALSE(file_exists(dir.file("new.bin")));

    result = run_vorlanex({"convert", bad, dir.file("new.bin")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(
        result.err,
        "error: 'bogus': invalid command\nerror: line 2: 'bogus': invalid command specification\n");
    EXPECT_FALSE(file_exists(dir.file("new.bin")));

    result = run_vorlanex({"convert", bad, existing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read_file_content(existing), "old content");

    // Broken images and unrenderable ones fail the same way.
    dir.write("cut.bin", std::string("\x1C\xCF\x32\x01", 4));
    result = run_vorlanex({"convert", dir.file("cut.bin"), existing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "error: broken image: the input ends inside a binding record\n");
    dir.write("dangling.bin", std::string("\x1C\xCF\x32\x01\x01\x0C\x00\x00\x05\x00\xFF", 11));
    result = run_vorlanex({"convert", dir.file("dangling.bin"), dir.file("d.conf")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.starts_with("error: ")) << result.err;
    EXPECT_FALSE(file_exists(dir.file("d.conf")));

    // A successful conversion replaces the file and keeps its mode; no temporary is left.
    ASSERT_EQ(run_vorlanex({"convert", dir.write("ok.conf", "set a3\n"), existing}).status, 0);
    EXPECT_EQ(read_file_content(existing), kSetA3Image);
    struct stat info;
    ASSERT_EQ(stat(existing.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 5);  // the five inputs above
}

TEST(Convert, OutputsThatCannotBeWrittenAreReported) {
    TempDir dir;
    const std::string input = dir.write("in.conf", "set a3\n");
    struct Case {
        std::string output;
        std::string message;
    };
    for (const Case& c : {Case{"/dev/full", "/dev/full: No space left on device\n"},
                          Case{dir.file("no/such/dir.bin"),
                               dir.file("no/such/dir.bin") + ": No such file or directory\n"},
                          Case{dir.path(), dir.path() + ": Is a directory\n"}}) {
        const auto result = run_vorlanex({"convert", input, c.output});
        EXPECT_EQ(result.status, 1) << c.output;
        EXPECT_EQ(result.err, c.message);
    }
    const auto checked = run_vorlanex({"convert", input, "/dev/null"});
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.err, "");
}

// A closed stream stays closed for the tool: no file it opens can take its
// number and pass for it.
TEST(Convert, ClosedStandardStreamsFailAsClosed) {
    TempDir dir;
    const std::string out = dir.write("out.bin", "old");
    struct Case {
        std::vector<std::string> args;
        bool close_input;
        std::string err;
    };
    const Case cases[] = {
        {{"convert", "-", out}, true, "reading from stdin...\nstdin: Bad file descriptor\n"},
        {{"convert", dir.write("in.conf", "set a3\n")},
         false,
         "writing to stdout...\nstdout: Bad file descriptor\n"},
    };
    for (const Case& c : cases) {
        ProgramRun run;
        run.args = {VORLANEX_BINARY};
        run.args.insert(run.args.end(), c.args.begin(), c.args.end());
        run.close_input = c.close_input;
        run.close_output = !c.close_input;
        const auto result = run_program(run);
        EXPECT_EQ(result.status, 1) << c.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(read_file_content(out), "old");
        EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"in.conf", "out.bin"}));
    }
}

TEST(Convert, EndlessInputsEndInOneMessage) {
    TempDir dir;
    const std::string out = dir.file("out.bin");
    struct Case {
        std::vector<std::string> args;
        const char* input_file;
        std::string err;
    };
    const Case cases[] = {
        {{"convert", "/dev/zero", out}, "/dev/null", "error: /dev/zero: larger than 16 MiB\n"},
        {{"convert", "-", out},
         "/dev/zero",
         "reading from stdin...\nerror: stdin: larger than 16 MiB\n"},
        {{"configure"}, "/dev/zero", "reading from stdin...\nerror: stdin: larger than 16 MiB\n"},
        {{"-"}, "/dev/zero", "reading commands from stdin...\nerror: stdin: larger than 16 MiB\n"},
        {{"update", "/dev/zero"}, "/dev/null", "error: /dev/zero: larger than 16 MiB\n"},
    };
    for (const Case& c : cases) {
        ProgramRun run;
        run.args = {VORLANEX_BINARY};
        run.args.insert(run.args.end(), c.args.begin(), c.args.end());
        run.input_file = c.input_file;
        const auto result = run_program(run);
        EXPECT_EQ(result.status, 1) << c.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{});
    }
}

TEST(Convert, AnOutputThatCannotBeWrittenIsReportedBeforeTheInputIsRead) {
    TempDir dir;
    const std::string out = dir.file("nodir/out.bin");
    for (const std::string& input : {dir.file("missing.conf"), std::string("/dev/zero")}) {
        const auto result = run_vorlanex({"convert", input, out});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, out + ": No such file or directory\n");
    }
}

TEST(Convert, ThePortsOfTheDeclaredExpansionOnly) {
    const auto result = run_vorlanex({"convert"}, "set port e bit 1\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "reading from stdin...\nwriting to stdout...\n"
              "error: 'e': invalid port, available ports: a, b\n"
              "error: line 1: 'set port e bit 1': invalid command specification\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace vorlanex
