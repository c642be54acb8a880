#include "vorlanex/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "strings/numbers.h"

namespace vorlanex {

namespace {

std::optional<Bytes> read_all(int fd) {
    Bytes bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) return bytes;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

}  // namespace

std::optional<Bytes> read_whole_file(const std::string& path, bool* opened) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (opened != nullptr) *opened = fd >= 0;
    if (fd < 0) return std::nullopt;
    auto bytes = read_all(fd);
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return bytes;
}

std::optional<Bytes> read_standard_input() {
    return read_all(STDIN_FILENO);
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return suffix.size() <= text.size() &&
           equal_ignoring_case(text.substr(text.size() - suffix.size()), suffix);
}

void report_file_error(const std::string& name) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), std::strerror(errno));
}

}  // namespace vorlanex
