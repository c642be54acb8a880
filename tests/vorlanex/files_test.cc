#include "vorlanex/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "intelhex/intelhex.h"
#include "support/temp_dir.h"

namespace vorlanex {
namespace {

using testing::TempDir;

// The input as text, or the one message that refused it.
std::string read_or_message(const std::string& word, std::size_t limit,
                            Dash dash = Dash::StandardInput) {
    ::testing::internal::CaptureStderr();
    const auto bytes = read_input(word, limit, dash);
    const std::string message = ::testing::internal::GetCapturedStderr();
    if (!bytes) return message;
    EXPECT_EQ(message, "");
    return "read: " + std::string(bytes->begin(), bytes->end());
}

std::string sized_file(const TempDir& dir, const std::string& name, off_t size) {
    const std::string path = dir.write(name, "");
    EXPECT_EQ(truncate(path.c_str(), size), 0);
    return path;
}

TEST(ReadInput, ReadsUpToTheLimitAndNamesTheFileItRefuses) {
    const TempDir dir;
    struct Case {
        std::string path;
        std::size_t limit;
        std::string expected;
    };
    const std::string directory = dir.path();
    const std::string missing = dir.file("missing.conf");
    const std::string above = dir.write("above", "12345");
    const std::string huge = sized_file(dir, "huge.conf", (off_t{16} << 20) + 1);
    const std::string flash = sized_file(dir, "flash.bin", IHEX_IMAGE_SIZE + 1);
    const Case cases[] = {
        {dir.write("fits", "1234"), 4, "read: 1234"},
        {dir.write("empty", ""), 4, "read: "},
        {above, 4, "error: " + above + ": larger than 4 bytes\n"},
        {above, 1, "error: " + above + ": larger than 1 byte\n"},
        {"/dev/zero", 1000, "error: /dev/zero: larger than 1000 bytes\n"},
        {huge, kMaxTextInput, "error: " + huge + ": larger than 16 MiB\n"},
        {flash, IHEX_IMAGE_SIZE, "error: " + flash + ": larger than 128 KiB\n"},
        {directory, 4, directory + ": Is a directory\n"},
        {missing, 4, missing + ": No such file or directory\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(read_or_message(c.path, c.limit), c.expected) << c.path;
}

// What is not read stays for whoever reads next: a pipe shows how far the
// reading went.
TEST(ReadInput, StopsOneBytePastTheLimit) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string data(300, 'x');
    ASSERT_EQ(write(fds[1], data.data(), data.size()), 300);
    close(fds[1]);
    EXPECT_EQ(read_or_message("/dev/fd/" + std::to_string(fds[0]), 100),
              "error: /dev/fd/" + std::to_string(fds[0]) + ": larger than 100 bytes\n");
    char rest[300];
    EXPECT_EQ(read(fds[0], rest, sizeof rest), 199);
    close(fds[0]);
}

// Standard input for "-", except where the caller reads every word as a file.
TEST(ReadInput, DashIsStandardInputUnlessItIsAFileName) {
    const TempDir dir;
    const int saved_input = dup(STDIN_FILENO);
    const int saved_directory = open(".", O_RDONLY | O_DIRECTORY);
    const int input = open(dir.write("piped", "from stdin").c_str(), O_RDONLY);
    dup2(input, STDIN_FILENO);
    close(input);
    dir.write("-", "from the file named -");
    ASSERT_EQ(chdir(dir.path().c_str()), 0);

    EXPECT_EQ(read_or_message("-", 100, Dash::FileName), "read: from the file named -");
    EXPECT_EQ(read_or_message("-", 4), "error: stdin: larger than 4 bytes\n");
    EXPECT_EQ(read_or_message("-", 100), "read: from stdin");

    ASSERT_EQ(fchdir(saved_directory), 0);
    dup2(saved_input, STDIN_FILENO);
    close(saved_input);
    close(saved_directory);
}

}  // namespace
}  // namespace vorlanex
