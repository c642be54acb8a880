#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vorlanex::testing {

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (pipe2(fd, O_CLOEXEC) != 0) std::abort();
    }
    ~Pipe() {
        for (int f : fd)
            if (f >= 0) close(f);
    }
    void close_end(int i) {
        if (fd[i] >= 0) close(fd[i]);
        fd[i] = -1;
    }
};

// The signals as a user's shell hands them over, whatever the test runner
// ignores or blocks.
void default_signals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

[[noreturn]] void exec_args(const std::vector<std::string>& args) {
    default_signals();
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void redirect(const char* path, int flags, int fd) {
    const int opened = open(path, flags);
    if (opened < 0) _exit(127);
    dup2(opened, fd);
    close(opened);
}

[[noreturn]] void exec_child(const ProgramRun& run, Pipe& in, Pipe& out, Pipe& err) {
    if (run.close_input) {
        close(0);
    } else if (!run.input_file.empty()) {
        redirect(run.input_file.c_str(), O_RDONLY, 0);
    } else {
        dup2(in.fd[0], 0);
    }
    if (run.close_output) {
        close(1);
    } else {
        dup2(out.fd[1], 1);
    }
    dup2(err.fd[1], 2);
    for (const std::string& assignment : run.env) putenv(const_cast<char*>(assignment.c_str()));
    if (!run.cwd.empty() && chdir(run.cwd.c_str()) != 0) _exit(127);
    exec_args(run.args);
}

int status_of(int wstatus) {
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

// Feeds standard input and drains both outputs at once, so that a child that
// writes much before reading cannot block on a full pipe.
void pump(const std::string& input, Pipe& in, Pipe& out, Pipe& err, ProgramResult& result) {
    std::size_t written = 0;
    if (input.empty()) in.close_end(1);
    for (;;) {
        pollfd fds[3] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}, {in.fd[1], POLLOUT, 0}};
        const nfds_t count = in.fd[1] >= 0 ? 3 : 2;
        if (out.fd[0] < 0 && err.fd[0] < 0) return;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            Pipe& p = i == 0 ? out : err;
            std::string& sink = i == 0 ? result.out : result.err;
            if (p.fd[0] < 0 || fds[i].revents == 0) continue;
            const ssize_t n = read(p.fd[0], buffer, sizeof buffer);
            if (n > 0) {
                sink.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                p.close_end(0);
            }
        }
        if (count == 3 && fds[2].revents != 0) {
            const ssize_t n = write(in.fd[1], input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) in.close_end(1);
        }
    }
}

}  // namespace

ProgramResult run_program(const ProgramRun& run) {
    signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    ProgramResult result;
    const pid_t pid = fork();
    if (pid < 0) std::abort();
    if (pid == 0) exec_child(run, in, out, err);
    in.close_end(0);
    out.close_end(1);
    err.close_end(1);
    pump(run.input, in, out, err, result);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    result.status = status_of(wstatus);
    return result;
}

StartedProgram::StartedProgram(const std::vector<std::string>& args) {
    pid_ = fork();
    if (pid_ < 0) std::abort();
    if (pid_ > 0) return;
    redirect("/dev/null", O_RDONLY, 0);
    redirect("/dev/null", O_WRONLY, 1);
    redirect("/dev/null", O_WRONLY, 2);
    exec_args(args);
}

StartedProgram::~StartedProgram() {
    if (!running()) return;
    kill(pid_, SIGKILL);
    wait();
}

bool StartedProgram::running() {
    if (status_ >= 0) return false;
    int wstatus = 0;
    if (waitpid(pid_, &wstatus, WNOHANG) != pid_) return true;
    status_ = status_of(wstatus);
    return false;
}

int StartedProgram::wait() {
    int wstatus = 0;
    while (status_ < 0) {
        if (waitpid(pid_, &wstatus, 0) == pid_) {
            status_ = status_of(wstatus);
        } else if (errno != EINTR) {
            break;
        }
    }
    return status_;
}

ProgramResult run_vorlanex(const std::vector<std::string>& args, const std::string& input) {
    ProgramRun run;
    run.args.push_back(VORLANEX_BINARY);
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    return run_program(run);
}

}  // namespace vorlanex::testing
