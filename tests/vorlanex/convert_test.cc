#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::file_exists;
using testing::ProgramRun;
using testing::read_file_content;
using testing::run_program;
using testing::run_vorlanex;
using testing::StartedProgram;
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

// The writer's end of a FIFO, once the program has opened it to read: the
// program is then reading its input.
int open_when_read(const std::string& fifo, StartedProgram& program) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (program.running() && std::chrono::steady_clock::now() < deadline) {
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

TEST(Convert, AnEndingSignalLeavesNoTemporaryFileBehind) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        const std::string fifo = dir.file("fifo");
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const std::string target = dir.write("t.bin", "old");
        StartedProgram program({VORLANEX_BINARY, "convert", fifo, target});
        const int writer = open_when_read(fifo, program);
        ASSERT_GE(writer, 0) << signal;
        // The output is prepared before the input is read.
        EXPECT_EQ(names_in(dir.path()).size(), 3u);
        kill(program.pid(), signal);
        EXPECT_EQ(program.wait(), 128 + signal);
        close(writer);
        EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"fifo", "t.bin"})) << signal;
        EXPECT_EQ(read_file_content(target), "old");
    }
}

TEST(Convert, WritesThroughSymbolicLinks) {
    TempDir dir;
    const std::string input = dir.write("in.conf", "set a3\n");
    mkdir(dir.file("sub").c_str(), 0755);
    struct Case {
        const char* link;
        std::string points_to;  // "@" stands for the directory
        const char* target;     // where the image goes
        bool exists;
    };
    const Case cases[] = {
        {"link.bin", "real.bin", "real.bin", true},
        {"absolute.bin", "@/absolute-target.bin", "absolute-target.bin", true},
        {"dangling.bin", "new.bin", "new.bin", false},
        {"sub/up.bin", "../up-target.bin", "up-target.bin", false},
        {"chain.bin", "sub/link.bin", "sub/chain-target.bin", true},
    };
    symlink("chain-target.bin", dir.file("sub/link.bin").c_str());
    for (const Case& c : cases) {
        std::string points_to = c.points_to;
        if (points_to.starts_with('@')) points_to.replace(0, 1, dir.path());
        if (c.exists) dir.write(c.target, "old");
        const std::string link = dir.file(c.link);
        ASSERT_EQ(symlink(points_to.c_str(), link.c_str()), 0);
        const auto result = run_vorlanex({"convert", input, link});
        EXPECT_EQ(result.status, 0) << c.link << result.err;
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), points_to) << c.link;
        EXPECT_EQ(read_file_content(dir.file(c.target)), kSetA3Image) << c.link;
    }
    for (const std::string& directory : {dir.path(), dir.file("sub")}) {
        for (const std::string& name : names_in(directory))
            EXPECT_FALSE(name.starts_with('.')) << name;  // no temporary file left
    }
}

// Sets up the file for one way of writing in place; false when this system
// cannot show it.
using InPlaceSetup = std::function<bool(const TempDir& dir, const std::string& file)>;

// Root can make files that it cannot replace by a rename: an immutable
// directory admits no new name, while its files can still be written.
bool lock_directory(const std::string& directory, bool locked) {
    if (geteuid() != 0) return chmod(directory.c_str(), locked ? 0555 : 0755) == 0;
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
}

// A rename would change more than the content: the file is written where it
// is, and only once the whole input has been read.
TEST(Convert, WritesInPlaceWhatARenameWouldChange) {
    struct Case {
        const char* name;
        InPlaceSetup setup;
    };
    const Case cases[] = {
        {"hard link",
         [](const TempDir& dir, const std::string& file) {
             return link(file.c_str(), dir.file("other-name").c_str()) == 0;
         }},
        {"other owner",
         [](const TempDir&, const std::string& file) {
             return geteuid() == 0 && chown(file.c_str(), 1234, 1234) == 0;
         }},
        {"no room for a temporary file",
         [](const TempDir&, const std::string& file) {
             return lock_directory(file.substr(0, file.rfind('/')), true);
         }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string good = dir.write("good.conf", "set a3\n");
        const std::string bad = dir.write("bad.conf", "bogus\n");
        mkdir(dir.file("out").c_str(), 0755);
        const std::string file = dir.write("out/file.bin", "old");
        chmod(file.c_str(), 0640);
        if (!c.setup(dir, file)) {
            lock_directory(dir.file("out"), false);
            continue;
        }
        struct stat before {};
        stat(file.c_str(), &before);

        EXPECT_EQ(run_vorlanex({"convert", bad, file}).status, 1) << c.name;
        EXPECT_EQ(read_file_content(file), "old") << c.name;
        const auto result = run_vorlanex({"convert", good, file});
        EXPECT_EQ(result.status, 0) << c.name << result.err;
        EXPECT_EQ(read_file_content(file), kSetA3Image) << c.name;
        struct stat after {};
        stat(file.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.name;
        EXPECT_EQ(after.st_gid, before.st_gid) << c.name;
        EXPECT_EQ(after.st_mode & 0777, 0640u) << c.name;
        EXPECT_EQ(names_in(dir.file("out")), std::vector<std::string>{"file.bin"}) << c.name;
        lock_directory(dir.file("out"), false);
    }
}

// The temporary file's name is short, so an output name may take all of
// NAME_MAX.
TEST(Convert, OutputNamesAsLongAsTheSystemAllows) {
    TempDir dir;
    const std::string input = dir.write("in.conf", "set a3\n");
    for (const std::size_t length : {248, 255}) {
        const std::string out = dir.file(std::string(length - 4, 'n') + ".bin");
        const auto result = run_vorlanex({"convert", input, out});
        EXPECT_EQ(result.status, 0) << length << result.err;
        EXPECT_EQ(read_file_content(out), kSetA3Image) << length;
    }
    const std::string too_long = dir.file(std::string(256, 'n'));
    EXPECT_EQ(run_vorlanex({"convert", input, too_long}).err, too_long + ": File name too long\n");
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
