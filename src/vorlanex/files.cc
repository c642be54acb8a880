#include "vorlanex/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "strings/messages.h"
#include "strings/numbers.h"

namespace vorlanex {

namespace {

constexpr std::size_t kChunk = 65536;

enum class Read { Whole, TooLarge, Failed };

// Reads to the end, but never more than limit + 1 bytes: one byte past the
// limit is enough to know that the input is too large.
Read read_all(int fd, std::size_t limit, Bytes& bytes) {
    for (;;) {
        const std::size_t held = bytes.size();
        if (held > limit) return Read::TooLarge;
        bytes.resize(held + std::min(kChunk, limit + 1 - held));
        const ssize_t n = ::read(fd, bytes.data() + held, bytes.size() - held);
        bytes.resize(held + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n == 0) return Read::Whole;
        if (n < 0 && errno != EINTR) return Read::Failed;
    }
}

// A regular file tells its size before it is read: one that is too large is
// refused without reading it.
Read read_descriptor(int fd, std::size_t limit, Bytes& bytes) {
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) > limit)
        return Read::TooLarge;
    return read_all(fd, limit, bytes);
}

std::string size_text(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    constexpr std::size_t kMiB = kKiB * kKiB;
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace

std::optional<Bytes> read_input(const std::string& word, std::size_t limit, Dash dash) {
    const bool standard = dash == Dash::StandardInput && word == kStandardInput;
    const std::string name = standard ? "stdin" : word;
    const int fd = standard ? STDIN_FILENO : ::open(word.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        report_file_error(name);
        return std::nullopt;
    }
    Bytes bytes;
    const Read outcome = read_descriptor(fd, limit, bytes);
    const int saved = errno;
    if (!standard) ::close(fd);
    errno = saved;
    switch (outcome) {
        case Read::Whole:
            return bytes;
        case Read::TooLarge:
            std::fprintf(stderr, "error: %s: larger than %s\n", printable(name).c_str(),
                         size_text(limit).c_str());
            return std::nullopt;
        case Read::Failed:
            break;
    }
    report_file_error(name);
    return std::nullopt;
}

void occupy_closed_standard_streams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // The lowest free number: `fd` itself, as the lower ones are open by now.
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return suffix.size() <= text.size() &&
           equal_ignoring_case(text.substr(text.size() - suffix.size()), suffix);
}

void report_file_error(const std::string& name) {
    // A name may come from a listing of anybody's files: a terminal must not obey it.
    std::fprintf(stderr, "%s: %s\n", printable(name).c_str(), std::strerror(errno));
}

}  // namespace vorlanex
