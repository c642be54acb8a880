#include "sim/options.h"

#include <getopt.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "usb/timescale.h"

namespace vorlanex::sim {

void usage() {
    std::fputs(
        "Usage: vorlanex-sim [<options>] [--] <program> [<arguments>]\n"
        "Runs the program against emulated keyboard controllers (through umockdev) and\n"
        "exits with its exit status.\n"
        "\n"
        "  --start FACE          face at start: configurator (default), bootloader or none\n"
        "  --serial TEXT         add a controller with that serial number (repeatable)\n"
        "  --no-serial           add a controller without serial number (repeatable)\n"
        "                        (no --serial or --no-serial: one controller without)\n"
        "  --unopenable N        the N-th controller (from 1) cannot be opened\n"
        "  --in-bootloader N     the N-th controller starts in its bootloader\n"
        "  --restart-delay MS    from vanishing to coming back after a restart (300)\n"
        "  --time-scale N        run N times faster (1 to 100): the restart delay, and the\n"
        "                        program's waits through VORLANEX_TEST_TIMESCALE\n"
        "  --no-return           a controller that restarts never comes back\n"
        "  --return-as FACE      a controller that restarts comes back as this face\n"
        "  --vanish-after N      a controller vanishes for good once opened N times\n"
        "  --stall [FACE:]REQ    the face (default configurator) stalls vendor request REQ\n"
        "  --short [FACE:]REQ=N  it answers or takes at most N bytes of request REQ\n"
        "  --hang [FACE:]REQ     it never answers request REQ (the program's time-out runs)\n"
        "  --vanish [FACE:]REQ[=N] it answers request REQ, but vanishes for good once it\n"
        "                        has answered it N times (1)\n"
        "  --identification TEXT the identification text (default: \"vorlanex-sim\"\n"
        "                        and the serial number)\n"
        "  --log FILE            one line per vendor request received:\n"
        "                        FACE SERIAL|- REQUEST VALUE INDEX DATA-HEX|-\n"
        "  --log-times           begin each line of the log with the milliseconds from\n"
        "                        the start to the request\n"
        "  --flash FILE          write the first controller's flash there at the end\n"
        "  --show                tell on standard error what the controllers received\n"
        "  --help                this text\n",
        stdout);
}

namespace {

enum OptionCode {
    kStart = 1,
    kSerial,
    kNoSerial,
    kUnopenable,
    kInBootloader,
    kRestartDelay,
    kTimeScale,
    kNoReturn,
    kReturnAs,
    kVanishAfter,
    kStall,
    kShort,
    kHang,
    kVanish,
    kIdentification,
    kLog,
    kLogTimes,
    kFlash,
    kShow,
    kHelp,
};

constexpr std::array<option, 21> kLongOptions = {{
    {"start", required_argument, nullptr, kStart},
    {"serial", required_argument, nullptr, kSerial},
    {"no-serial", no_argument, nullptr, kNoSerial},
    {"unopenable", required_argument, nullptr, kUnopenable},
    {"in-bootloader", required_argument, nullptr, kInBootloader},
    {"restart-delay", required_argument, nullptr, kRestartDelay},
    {"time-scale", required_argument, nullptr, kTimeScale},
    {"no-return", no_argument, nullptr, kNoReturn},
    {"return-as", required_argument, nullptr, kReturnAs},
    {"vanish-after", required_argument, nullptr, kVanishAfter},
    {"stall", required_argument, nullptr, kStall},
    {"short", required_argument, nullptr, kShort},
    {"hang", required_argument, nullptr, kHang},
    {"vanish", required_argument, nullptr, kVanish},
    {"identification", required_argument, nullptr, kIdentification},
    {"log", required_argument, nullptr, kLog},
    {"log-times", no_argument, nullptr, kLogTimes},
    {"flash", required_argument, nullptr, kFlash},
    {"show", no_argument, nullptr, kShow},
    {"help", no_argument, nullptr, kHelp},
    {nullptr, 0, nullptr, 0},
}};

// One digit of hub port each, so that their order on the bus is that of the options.
constexpr std::size_t kMaxControllers = 9;

bool complain(const char* what, const char* text) {
    std::fprintf(stderr, "vorlanex-sim: %s: \"%s\"\n", what, text);
    return false;
}

std::optional<unsigned long> parse_count(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    const unsigned long value = std::strtoul(copy.c_str(), &end, 0);
    if (copy.empty() || *end != '\0' || copy.front() == '-') return std::nullopt;
    return value;
}

std::optional<Face> parse_face(std::string_view text) {
    if (text == "configurator") return Face::Configurator;
    if (text == "bootloader") return Face::Bootloader;
    return std::nullopt;
}

enum class Count { Forbidden, Required, Optional };

// [FACE:]REQUEST[=COUNT]: the fault's face and request, and the count.
struct FaultText {
    Fault fault;
    std::optional<std::size_t> count;
};

std::optional<FaultText> parse_fault(std::string_view text, Count count_rule) {
    FaultText parsed;
    if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        const std::optional<Face> face = parse_face(text.substr(0, colon));
        if (!face) return std::nullopt;
        parsed.fault.face = *face;
        text.remove_prefix(colon + 1);
    }
    const std::size_t equals = text.find('=');
    const bool with_count = equals != std::string_view::npos;
    if (with_count ? count_rule == Count::Forbidden : count_rule == Count::Required) {
        return std::nullopt;
    }
    const std::optional<unsigned long> request = parse_count(text.substr(0, equals));
    if (!request || *request > 255) return std::nullopt;
    parsed.fault.request = static_cast<std::uint8_t>(*request);
    if (with_count) {
        const std::optional<unsigned long> count = parse_count(text.substr(equals + 1));
        if (!count) return std::nullopt;
        parsed.count = *count;
    }
    return parsed;
}

// The fault an option names; none when its text is no fault of that kind.
std::optional<Fault> fault_option(int code, std::string_view text) {
    const Count count_rule = code == kShort    ? Count::Required
                             : code == kVanish ? Count::Optional
                                               : Count::Forbidden;
    std::optional<FaultText> parsed = parse_fault(text, count_rule);
    if (!parsed) return std::nullopt;
    Fault& fault = parsed->fault;
    fault.hang = code == kHang;
    if (code == kShort) fault.short_count = parsed->count;
    if (code == kVanish) {
        fault.vanish_after = parsed->count.value_or(1);
        if (*fault.vanish_after == 0) return std::nullopt;
    }
    return fault;
}

// An option about the N-th controller, applied once all are named.
struct Numbered {
    int code;
    unsigned long n;
};

bool apply_option(Options& options, int code, const char* argument,
                  std::vector<Numbered>& numbered) {
    switch (code) {
        case kStart:
            if (std::string_view(argument) == "none") {
                options.start.reset();
                return true;
            }
            options.start = parse_face(argument);
            return options.start || complain("unknown face", argument);
        case kSerial:
            options.controllers.push_back({argument, true});
            return true;
        case kNoSerial:
            options.controllers.push_back({std::nullopt, true});
            return true;
        case kUnopenable:
        case kInBootloader: {
            const std::optional<unsigned long> n = parse_count(argument);
            if (!n || *n == 0) return complain("not a controller number", argument);
            numbered.push_back({code, *n});
            return true;
        }
        case kRestartDelay: {
            const std::optional<unsigned long> ms = parse_count(argument);
            if (!ms || *ms > 60000) return complain("not a delay in milliseconds", argument);
            options.restart_ms = static_cast<unsigned>(*ms);
            return true;
        }
        case kTimeScale: {
            const std::optional<unsigned long> scale = parse_count(argument);
            if (!scale || *scale == 0 || *scale > kMaxTimescale)
                return complain("not a time scale", argument);
            options.time_scale = static_cast<unsigned>(*scale);
            return true;
        }
        case kNoReturn:
            options.comes_back = false;
            return true;
        case kVanishAfter: {
            const std::optional<unsigned long> opens = parse_count(argument);
            if (!opens || *opens == 0 || *opens > 1000)
                return complain("not a number of opens", argument);
            options.vanish_after_opens = static_cast<unsigned>(*opens);
            return true;
        }
        case kReturnAs:
            options.return_as = parse_face(argument);
            return options.return_as || complain("unknown face", argument);
        case kStall:
        case kShort:
        case kHang:
        case kVanish: {
            const std::optional<Fault> fault = fault_option(code, argument);
            if (!fault) return complain("not a request", argument);
            options.faults.push_back(*fault);
            return true;
        }
        case kIdentification:
            options.identification = argument;
            return true;
        case kLog:
            options.log_file = argument;
            return true;
        case kLogTimes:
            options.log_times = true;
            return true;
        case kFlash:
            options.flash_file = argument;
            return true;
        case kShow:
            options.show = true;
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv, int& exit_status) {
    Options options;
    std::vector<Numbered> numbered;
    exit_status = 2;
    optind = 1;
    // "+": the options end at the program's name, so that its own options stay its own.
    for (int code; (code = getopt_long(argc, argv, "+", kLongOptions.data(), nullptr)) != -1;) {
        if (code == kHelp) {
            usage();
            exit_status = 0;
            return std::nullopt;
        }
        if (!apply_option(options, code, optarg, numbered)) return std::nullopt;
    }
    if (options.controllers.empty()) options.controllers.push_back({});
    if (options.controllers.size() > kMaxControllers) {
        std::fprintf(stderr, "vorlanex-sim: at most %zu controllers\n", kMaxControllers);
        return std::nullopt;
    }
    for (const Numbered& entry : numbered) {
        if (entry.n > options.controllers.size()) {
            std::fprintf(stderr, "vorlanex-sim: there is no controller %lu\n", entry.n);
            return std::nullopt;
        }
        ControllerSetup& setup = options.controllers[entry.n - 1];
        if (entry.code == kUnopenable) setup.openable = false;
        if (entry.code == kInBootloader) setup.in_bootloader = true;
    }
    options.program.assign(argv + optind, argv + argc);
    if (options.program.empty()) {
        std::fputs("vorlanex-sim: no program to run (--help tells more)\n", stderr);
        return std::nullopt;
    }
    return options;
}

}  // namespace vorlanex::sim
