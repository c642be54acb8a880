#include "vorlanex/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "vorlanex/files.h"

namespace vorlanex {

namespace {

mode_t default_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Output::Output(std::string name, int fd, std::string temporary, bool owns_fd)
    : name_(std::move(name)), fd_(fd), temporary_(std::move(temporary)), owns_fd_(owns_fd) {}

Output::Output(Output&& other) noexcept
    : name_(std::move(other.name_)),
      fd_(other.fd_),
      temporary_(std::move(other.temporary_)),
      owns_fd_(other.owns_fd_) {
    other.fd_ = -1;
    other.owns_fd_ = false;
    other.temporary_.clear();
}

Output::~Output() {
    abandon();
}

Output Output::standard() {
    return Output("stdout", STDOUT_FILENO, "", false);
}

std::optional<Output> Output::open(const std::string& path) {
    struct stat info;
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            report_file_error(path);
            return std::nullopt;
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            report_file_error(path);
            return std::nullopt;
        }
        return Output(path, fd, "", true);
    }
    if (exists && ::access(path.c_str(), W_OK) != 0) {
        report_file_error(path);
        return std::nullopt;
    }
    std::string temporary = directory_of(path) + "/." + base_of(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        report_file_error(path);
        return std::nullopt;
    }
    ::fchmod(fd, exists ? (info.st_mode & 07777) : default_mode());
    return Output(path, fd, std::move(temporary), true);
}

bool Output::commit(std::string_view content) {
    bool ok = write_all(fd_, content);
    if (owns_fd_) {
        ok = ::close(fd_) == 0 && ok;
        owns_fd_ = false;
    }
    fd_ = -1;
    if (ok && !temporary_.empty()) ok = ::rename(temporary_.c_str(), name_.c_str()) == 0;
    if (!ok) {
        report_file_error(name_);
        abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

void Output::abandon() {
    const int saved = errno;
    if (owns_fd_) ::close(fd_);
    owns_fd_ = false;
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    errno = saved;
}

}  // namespace vorlanex
