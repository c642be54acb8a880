#include "sim/child.h"

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vorlanex::sim {

namespace {

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (const std::string& s : strings) result.push_back(const_cast<char*>(s.c_str()));
    result.push_back(nullptr);
    return result;
}

struct Ending {
    GMainLoop* loop;
    int status = 127;
};

void on_exit(GPid, gint wait_status, gpointer data) {
    auto* ending = static_cast<Ending*>(data);
    ending->status =
        WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    g_main_loop_quit(ending->loop);
}

}  // namespace

int run_program(const std::vector<std::string>& program,
                const std::vector<std::string>& environment) {
    // Built before the fork: the child may only exec.
    const std::vector<char*> argv = pointers(program);
    const std::vector<char*> envp = pointers(environment);
    const std::string cannot_run = "vorlanex-sim: cannot run " + program[0] + "\n";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::fprintf(stderr, "vorlanex-sim: cannot start a process: %s\n", std::strerror(errno));
        return 127;
    }
    if (pid == 0) {
        execvpe(argv[0], argv.data(), envp.data());
        (void)!write(STDERR_FILENO, cannot_run.data(), cannot_run.size());
        _exit(127);
    }
    Ending ending{g_main_loop_new(nullptr, FALSE)};
    g_child_watch_add(pid, on_exit, &ending);
    g_main_loop_run(ending.loop);
    g_main_loop_unref(ending.loop);
    return ending.status;
}

}  // namespace vorlanex::sim
