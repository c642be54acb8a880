// The command line of vorlanex-sim: how the emulated controllers start and
// misbehave, what to write at the end, and the program to run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/controller.h"

namespace vorlanex::sim {

struct ControllerSetup {
    std::optional<std::string> serial;  ///< none: the device has no serial-number string
    bool openable = true;               ///< false: its device node cannot be opened
    bool in_bootloader = false;         ///< starts in its bootloader, whatever --start says
};

struct Options {
    std::optional<Face> start = Face::Configurator;  ///< none: nothing attached
    std::vector<ControllerSetup> controllers;        ///< in the order of the device list
    unsigned restart_ms = 300;                       ///< from vanishing to coming back
    unsigned time_scale = 1;  ///< the program's waits and the restart delay this many times shorter
    bool comes_back = true;
    /// A restart brings this face back, whatever was asked.
    std::optional<Face> return_as;
    /// The device vanishes after that many opens.
    std::optional<unsigned> vanish_after_opens;
    std::vector<Fault> faults;
    std::optional<std::string> identification;  ///< none: derived from the serial number
    std::string log_file;
    bool log_times = false;  ///< each log line begins with the request's time
    std::string flash_file;
    bool show = false;
    std::vector<std::string> program;
};

/// The options, with one controller without serial number when none is
/// named. None after a message (or the usage text, with `exit_status` 0).
std::optional<Options> parse_options(int argc, char** argv, int& exit_status);

void usage();

}  // namespace vorlanex::sim
