#include "vorlanex/output.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vorlanex/files.h"

namespace vorlanex {

namespace {

// --- the temporary file and the signals that end the tool -------------------

// The signals that end the tool while a user waits for it: each removes the
// temporary file before the tool ends as the signal would have ended it.
constexpr std::array<int, 3> kEndingSignals = {SIGINT, SIGTERM, SIGHUP};

// The temporary file that exists at the moment, where the handler can read it
// without allocating; empty when there is none. Convert makes one at a time.
// Only changed while the ending signals are blocked, so the handler never sees
// it half written.
char pending_temporary[PATH_MAX];

extern "C" void remove_temporary_and_end(int signal) {
    if (pending_temporary[0] != '\0') ::unlink(pending_temporary);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered when the handler returns
}

sigset_t ending_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEndingSignals) sigaddset(&set, signal);
    return set;
}

// Blocks the ending signals for its lifetime: a temporary file is created and
// recorded, or renamed or removed and forgotten, as one step.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        const sigset_t set = ending_signals();
        ::sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~EndingSignalsHeld() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t saved_;
};

// A signal that the user's shell told the tool to ignore stays ignored.
void handle_ending_signals() {
    static bool handled = false;
    if (handled) return;
    handled = true;
    struct sigaction action {};
    action.sa_handler = remove_temporary_and_end;
    action.sa_mask = ending_signals();
    for (const int signal : kEndingSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

// A temporary file in `directory`, recorded for the signal handler; -1 with
// errno when none can be made there. The name is short, so that it fits
// wherever the target's own name does.
int make_temporary(const std::string& directory, std::string& temporary) {
    temporary = directory + "/.vxXXXXXX";
    if (temporary.size() >= sizeof pending_temporary) {
        errno = ENAMETOOLONG;
        return -1;
    }
    handle_ending_signals();
    const EndingSignalsHeld held;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd >= 0) std::memcpy(pending_temporary, temporary.c_str(), temporary.size() + 1);
    return fd;
}

bool rename_temporary(const std::string& temporary, const std::string& target) {
    const EndingSignalsHeld held;
    const bool renamed = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (renamed) pending_temporary[0] = '\0';
    return renamed;
}

void remove_temporary(const std::string& temporary) {
    const EndingSignalsHeld held;
    ::unlink(temporary.c_str());
    pending_temporary[0] = '\0';
}

// --- names -------------------------------------------------------------------

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that `path` leads to through its symbolic links, which need not
// exist (a dangling link names the file to create); none, with errno ELOOP,
// after as many links as the system itself follows.
std::optional<std::string> follow_links(std::string path) {
    constexpr int kMaxLinks = 40;
    for (int links = 0; links < kMaxLinks; ++links) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) == sizeof target) return path;
        const std::string link(target, static_cast<std::size_t>(length));
        path = link.starts_with('/') ? link : directory_of(path) + "/" + link;
    }
    errno = ELOOP;
    return std::nullopt;
}

// --- writing -----------------------------------------------------------------

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

// A rename puts the new file's owner and group in place of the old file's.
bool same_owner(const struct stat& a, const struct stat& b) {
    return a.st_uid == b.st_uid && a.st_gid == b.st_gid;
}

}  // namespace

Output::Output(std::string name, int fd, Way way, std::string temporary, std::string target)
    : name_(std::move(name)),
      fd_(fd),
      way_(way),
      owns_fd_(true),
      temporary_(std::move(temporary)),
      target_(std::move(target)) {}

Output::Output(Output&& other) noexcept
    : name_(std::move(other.name_)),
      fd_(other.fd_),
      way_(other.way_),
      owns_fd_(other.owns_fd_),
      temporary_(std::move(other.temporary_)),
      target_(std::move(other.target_)) {
    other.fd_ = -1;
    other.owns_fd_ = false;
    other.temporary_.clear();
}

Output::~Output() {
    abandon();
}

Output Output::standard() {
    Output output("stdout", STDOUT_FILENO, Way::Direct);
    output.owns_fd_ = false;
    return output;
}

std::optional<Output> Output::open(const std::string& path) {
    const auto target = follow_links(path);
    if (!target) {
        report_file_error(path);
        return std::nullopt;
    }
    struct stat info;
    if (::stat(target->c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            report_file_error(path);
            return std::nullopt;
        }
        const int fd = ::open(target->c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            report_file_error(path);
            return std::nullopt;
        }
        return Output(path, fd, Way::Direct);
    }
    return open_file(path, *target);
}

// A regular file, or a new one.
std::optional<Output> Output::open_file(const std::string& name, const std::string& target) {
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        report_file_error(name);
        return std::nullopt;
    }
    if (exists && old.st_nlink > 1) return open_in_place(name, target);
    std::string temporary;
    const int fd = make_temporary(directory_of(target), temporary);
    if (fd < 0) {
        if (exists) return open_in_place(name, target);
        report_file_error(name);
        return std::nullopt;
    }
    Output output(name, fd, Way::Replace, std::move(temporary), target);
    struct stat made;
    if (exists && (::fstat(fd, &made) != 0 || !same_owner(made, old))) {
        output.abandon();
        return open_in_place(name, target);
    }
    ::fchmod(fd, exists ? (old.st_mode & 07777) : default_mode());
    return output;
}

// Opened now, so that a file that cannot be written is reported before the
// input is read; truncated only at commit.
std::optional<Output> Output::open_in_place(const std::string& name, const std::string& target) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        report_file_error(name);
        return std::nullopt;
    }
    return Output(name, fd, Way::InPlace);
}

bool Output::commit(std::string_view content) {
    bool ok = write_and_close(content);
    if (ok && way_ == Way::Replace) {
        ok = rename_temporary(temporary_, target_);
        if (ok) temporary_.clear();
    }
    if (!ok) {
        report_file_error(name_);
        abandon();
    }
    return ok;
}

bool Output::write_and_close(std::string_view content) {
    bool ok = (way_ != Way::InPlace || ::ftruncate(fd_, 0) == 0) && write_all(fd_, content);
    int error = ok ? 0 : errno;  // the first failure is the one to report
    if (owns_fd_ && ::close(fd_) != 0 && ok) {
        ok = false;
        error = errno;
    }
    owns_fd_ = false;
    fd_ = -1;
    errno = error;
    return ok;
}

void Output::abandon() {
    const int saved = errno;
    if (owns_fd_) ::close(fd_);
    owns_fd_ = false;
    fd_ = -1;
    if (!temporary_.empty()) remove_temporary(temporary_);
    temporary_.clear();
    errno = saved;
}

}  // namespace vorlanex
