// The entry point's pieces: the process-wide values, the texts the options
// print, the option parser and the dispatch of the sub-command words.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "strings/strings.h"
#include "vorlanex/devices.h"
#include "vorlanex/version.h"

namespace vorlanex {

/// The process-wide values of one run of the tool.
struct Session {
    std::string device = "usb";  ///< selection string of the controller (-d)
    std::uint16_t delay = 0;     ///< milliseconds between commands (-D)
    Definitions definitions;     ///< symbol definitions; live until the process ends
    Devices devices;             ///< filled from `device` before and after the options
};

using Words = std::vector<std::string>;
/// An operation named by the first word: its words and its exit status.
using Operation = int (*)(Session& session, const Words& words);

void usage();
void version();
void keys();
/// Would keep the window of a tool started outside a command prompt open;
/// a terminal program on this platform has no such window, so it does nothing.
void complain();

/// The -D argument: a number as strtoll with base 0 reads it, cut to 16 bits;
/// no number gives 0.
std::uint16_t parse_delay(const char* text);

/// The operation for the first word; `command` for every word that is no
/// sub-command. `pass_first_word` tells whether the operation gets the first
/// word too.
struct Dispatch {
    std::string_view word;
    Operation operation;
    bool pass_first_word;
};
const Dispatch& dispatch(std::string_view first_word);

/// The long forms of the options, as getopt_long knows them.
std::vector<std::string_view> long_option_names();

/// The whole program: options, then one operation; returns the exit status.
int run(int argc, char** argv);

}  // namespace vorlanex
