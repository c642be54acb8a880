// Runs a program as a user would run it: arguments, standard input, extra
// environment; collects its standard output, standard error and exit status.
#pragma once

#include <string>
#include <vector>

namespace vorlanex::testing {

struct ProgramResult {
    int status = -1;  ///< exit status, or 128 + signal number
    std::string out;
    std::string err;
};

struct ProgramRun {
    std::vector<std::string> args;  ///< args[0] is the program
    std::string input;              ///< standard input
    std::string input_file;         ///< standard input from this file, in place of `input`
    bool close_input = false;       ///< start with standard input closed
    bool close_output = false;      ///< start with standard output closed
    std::vector<std::string> env;   ///< NAME=VALUE added to the environment
    std::string cwd;                ///< working directory, or the current one
};

ProgramResult run_program(const ProgramRun& run);

/// A program that runs while the test acts on it, its standard streams on
/// /dev/null; killed and reaped at the latest when this ends.
class StartedProgram {
  public:
    explicit StartedProgram(const std::vector<std::string>& args);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    int pid() const { return pid_; }
    /// Has not ended yet.
    bool running();
    /// Waits for the end: the exit status, or 128 + signal number.
    int wait();

  private:
    int pid_ = -1;
    int status_ = -1;
};

/// The built vorlanex with these arguments.
ProgramResult run_vorlanex(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace vorlanex::testing
