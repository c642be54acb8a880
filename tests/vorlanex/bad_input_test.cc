// Whatever a user feeds the tool: one clear message, the right exit status,
// and nothing sent. Without a controller attached, any attempt to send would
// show as "could not open usb device"; none of these rows get that far.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::run_vorlanex;
using testing::TempDir;

struct BadInput {
    const char* name;
    std::string content;            // written to the file `name`, or what `name` is:
                                    // "<directory>", "<socket>", "<none>"
    std::vector<std::string> args;  // "FILE" stands for the file's path
    std::string first_message;      // the beginning of standard error
    int lines;                      // lines on standard error
    off_t size = 0;                 // when not 0, the file holds this many zero bytes
};

std::ostream& operator<<(std::ostream& out, const BadInput& c) {
    return out << c.name;
}

// A file that exists but that open() refuses, even to root.
void make_socket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

class BadInputs : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputs, AreRefusedWithOneMessage) {
    TempDir dir;
    const BadInput& c = GetParam();
    std::string path = dir.file(c.name);
    if (c.content == "<directory>") {
        mkdir(path.c_str(), 0755);
    } else if (c.content == "<socket>") {
        make_socket(path);
    } else if (c.content != "<none>") {
        dir.write(c.name, c.content);
        if (c.size != 0) truncate(path.c_str(), c.size);
    }
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        std::string expanded = arg;
        if (const auto at = expanded.find("FILE"); at != std::string::npos)
            expanded.replace(at, 4, path);
        if (const auto at = expanded.find("DIR"); at != std::string::npos)
            expanded.replace(at, 3, dir.path());
        args.push_back(expanded);
    }
    const auto result = run_vorlanex(args);
    EXPECT_EQ(result.status, 1);
    std::string expected = c.first_message;
    if (const auto at = expected.find("FILE"); at != std::string::npos)
        expected.replace(at, 4, path);
    if (const auto at = expected.find("DIR"); at != std::string::npos)
        expected.replace(at, 3, dir.path());
    EXPECT_TRUE(result.err.starts_with(expected)) << result.err.substr(0, 300);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), c.lines)
        << result.err.substr(0, 300);
    EXPECT_EQ(result.err.find("usb"), std::string::npos);
    EXPECT_EQ(result.out, "");
}

const std::string kCyclic = "PING = PONG\nPONG = PING\nset a3 PING\n";
const std::string kHalfImage("\x1C\xCF\x32\x01\x05\x0C\x00", 7);
const std::string kCutHex = ":10000000000102030405060708090A0B0C0D0E0F78\n:1000100010111213";
const std::string kBadChecksum = ":0400000001020304F0\n:00000001FF\n";

INSTANTIATE_TEST_SUITE_P(
    Table, BadInputs,
    ::testing::Values(
        BadInput{"nul.conf",
                 std::string("set a3\nset \0a4\n", 15),
                 {"convert", "FILE", "/dev/null"},
                 "error: line 2: the text holds a NUL byte\n",
                 1},
        BadInput{"nul-command",
                 std::string("set a3\0\n", 8),
                 {"FILE"},
                 "error: line 1: the text holds a NUL byte\n",
                 1},
        // Words are quoted with what a terminal would obey escaped.
        BadInput{"binary.conf",
                 "\xFF\xFE\x1B[2J\x7F set a3\n",
                 {"convert", "FILE", "/dev/null"},
                 "error: '\\xFF\\xFE\\x1B[2J\\x7F': invalid command\n",
                 2},
        BadInput{"long-line.conf",
                 std::string(5000, 'x'),
                 {"convert", "FILE", "/dev/null"},
                 "error: line 1: the line is longer than 4095 bytes\n",
                 1},
        // Inputs beyond any real file's size are refused unread.
        BadInput{"large.conf",
                 "",
                 {"convert", "FILE", "/dev/null"},
                 "error: FILE: larger than 16 MiB\n",
                 1,
                 (off_t{16} << 20) + 1},
        BadInput{"large.hex",
                 "",
                 {"update", "FILE"},
                 "error: FILE: larger than 16 MiB\n",
                 1,
                 (off_t{16} << 20) + 1},
        BadInput{
            "flash.bin", "", {"update", "FILE"}, "error: FILE: larger than 128 KiB\n", 1, 0x20001},
        BadInput{"half.bin",
                 kHalfImage,
                 {"convert", "FILE", "/dev/null"},
                 "error: broken image: the input ends inside a binding record\n",
                 1},
        BadInput{"half-script.bin",
                 kHalfImage,
                 {"FILE"},
                 "error: broken image: the input ends inside a binding record\n",
                 1},
        BadInput{"half-configure.bin",
                 kHalfImage,
                 {"configure", "FILE"},
                 "error: broken image: the input ends inside a binding record\n",
                 1},
        // A script that exists but cannot be read is no command line.
        BadInput{"script.conf", "<directory>", {"FILE"}, "FILE: Is a directory\n", 1},
        BadInput{"socket.conf", "<socket>", {"FILE"}, "FILE: No such device or address\n", 1},
        BadInput{"cyclic.conf", kCyclic, {"FILE"}, "error: 'PING': symbol refers to itself\n", 2},
        BadInput{"big-number.conf",
                 "set a3 123456789012345678901234567890\n",
                 {"configure", "FILE"},
                 "error: '123456789012345678901234567890': invalid value\n",
                 2},
        BadInput{"cut.hex",
                 kCutHex,
                 {"update", "FILE"},
                 "Trying to parse Intel HEX format...FAILED!\nerror: line 2: ",
                 3},
        BadInput{"checksum.hex",
                 kBadChecksum,
                 {"update", "FILE"},
                 "Trying to parse Intel HEX format...FAILED!\nerror: line 1: ",
                 3},
        BadInput{"firmware.bin", "<directory>", {"update", "FILE"}, "FILE: Is a directory\n", 1},
        BadInput{"empty.bin", "", {"update", "FILE"}, "error: ", 1},
        BadInput{"missing.conf",
                 "<none>",
                 {"configure", "FILE"},
                 "FILE: No such file or directory\n",
                 1},
        BadInput{"in.conf",
                 "set a3\n",
                 {"convert", "FILE", "DIR/missing/out.bin"},
                 "DIR/missing/out.bin: No such file or directory\n",
                 1}));

TEST(BadInputs, NamesInMessagesCannotSteerTheTerminal) {
    auto result = run_vorlanex({"convert", "no\x1B[2Jsuch.conf", "/dev/null"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "no\\x1B[2Jsuch.conf: No such file or directory\n");
    // No controller is attached here: the selection is named as it fails.
    result = run_vorlanex({"-d", "usb:\x1B[2J", "set", "a3"});
    EXPECT_TRUE(result.err.starts_with("error: could not open usb device \"usb:\\x1B[2J\"\n"))
        << result.err;
}

// Root reads every file, so the unreadable case needs an ordinary user.
TEST(BadInputs, AnUnreadableFileIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "root can read every file";
    TempDir dir;
    const std::string path = dir.write("secret.conf", "set a3\n");
    chmod(path.c_str(), 0);
    const auto result = run_vorlanex({"convert", path, "/dev/null"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, path + ": Permission denied\n");
}

}  // namespace
}  // namespace vorlanex
