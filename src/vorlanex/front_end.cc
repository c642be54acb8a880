#include "vorlanex/front_end.h"

#include <getopt.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/keys.h"
#include "strings/messages.h"
#include "strings/numbers.h"
#include "vorlanex/operations.h"

namespace vorlanex {

void version() {
    std::printf("Vorlanex v%s\n", kVersion);
    std::fputs(
        "Copyright (C) 2026 the vorlanex developers.\n"
        "Released under the MIT licence: you may use, change and share it freely.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n"
        "Programs the keyboard controller through libusb-1.0.\n",
        stdout);
}

void usage() {
    version();
    std::fputs(
        "\n"
        "Usage:\n"
        "      vorlanex [<options>] convert [<infile>|-] [<outfile>|-]\n"
        "      vorlanex [<options>] configure [<infile>]\n"
        "      vorlanex [<options>] update <firmware> [<config>]\n"
        "      vorlanex [<options>] reset\n"
        "      vorlanex [<options>] <command>\n"
        "      vorlanex [<options>] <script>|-\n"
        "\n"
        "  Options:\n"
        "           -v, --version  : print version information\n"
        "           -h, --help     : print this help text\n"
        "           -d, --device   : specify usb device (default: usb)\n"
        "           -D, --delay    : delay in ms between commands\n"
        "           -k, --keys     : list key names and synonyms\n"
        "           -p, --preserve : deprecated as of version 1.5\n"
        "           -i, --identify : request firmware identification via USB\n"
        "\n"
        "  Files:\n"
        "           <infile>   : input file, format is autodetected\n"
        "           <outfile>  : output file, format determined by extension\n"
        "           <script>   : script file containing vorlanex commands\n"
        "           <firmware> : binary or ihex firmware image (.bin or .hex)\n"
        "\n"
        "           *.conf : plain text config file format\n"
        "           *.bin  : binary file format (default)\n"
        "\n"
        "           Optional arguments default to stdin or stdout\n"
        "\n"
        "  Command:\n"
        "            (any valid vorlanex command)\n"
        "\n",
        stdout);
}

void keys() {
    for (std::size_t code = 0; code < kNumMatrixKeys; ++code) {
        std::printf("$%02zX %2zu   %.*s", code, code, static_cast<int>(symbols[code].name.size()),
                    symbols[code].name.data());
        for (std::size_t row = kNumMatrixKeys; row < symbols.size(); ++row) {
            if (symbols[row].code != code) continue;
            std::printf(", %.*s", static_cast<int>(symbols[row].name.size()),
                        symbols[row].name.data());
        }
        std::putchar('\n');
    }
}

void complain() {}

std::uint16_t parse_delay(const char* text) {
    return static_cast<std::uint16_t>(number_or_zero(text) & 0xFFFF);
}

namespace {

constexpr std::array<Dispatch, 4> kSubCommands = {{
    {"convert", convert, false},
    {"configure", configure, false},
    {"update", update, false},
    {"reset", reset, false},
}};
constexpr Dispatch kCommand = {"", command, true};

// The leading ':' makes a missing argument ':' and unknown options '?', so
// that report_option_error can tell them apart.
constexpr const char* kShortOptions = ":hvd:kD:pi";
constexpr std::array<option, 8> kLongOptions = {{
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},
    {"device", required_argument, nullptr, 'd'},
    {"keys", no_argument, nullptr, 'k'},
    {"delay", required_argument, nullptr, 'D'},
    {"preserve", no_argument, nullptr, 'p'},
    {"identify", no_argument, nullptr, 'i'},
    {nullptr, 0, nullptr, 0},
}};

// The result of one option: go on, or end the program with a status.
struct OptionOutcome {
    bool ends;
    int status;
};

OptionOutcome handle_option(Session& session, int option) {
    switch (option) {
        case 'd':
            session.device = optarg;
            return {false, 0};
        case 'D':
            session.delay = parse_delay(optarg);
            return {false, 0};
        case 'p':
            std::fputs(
                "hint: option --preserve is no longer needed and has been deprecated in v1.5\n",
                stderr);
            return {false, 0};
        case 'h':
            usage();
            return {true, 0};
        case 'v':
            version();
            return {true, 0};
        case 'k':
            keys();
            return {true, 0};
        case 'i':
            return {true, identify(session)};
        case '?':
        case ':':
            return {true, 1};  // report_option_error has written the diagnostic
        default:
            return {false, 0};
    }
}

const option* long_option_of(int value) {
    for (const option& entry : kLongOptions) {
        if (entry.name != nullptr && entry.val == value) return &entry;
    }
    return nullptr;
}

bool is_short_option(int value) {
    return value != 0 && value != ':' && std::strchr(kShortOptions, value) != nullptr;
}

// "--NAME" or "--NAME=VALUE" matches no long option, or several by their
// beginning.
void report_unknown_long_option(const char* program, std::string_view element) {
    std::string_view name = element.substr(2);
    name = name.substr(0, name.find('='));
    std::string matches;
    int count = 0;
    for (const option& entry : kLongOptions) {
        if (entry.name == nullptr || !std::string_view(entry.name).starts_with(name)) continue;
        matches += format(" '--%s'", entry.name);
        ++count;
    }
    if (count > 1) {
        std::fprintf(stderr, "%s: option '%.*s' is ambiguous; possibilities:%s\n", program,
                     static_cast<int>(element.size()), element.data(), matches.c_str());
    } else {
        std::fprintf(stderr, "%s: unrecognized option '%.*s'\n", program,
                     static_cast<int>(element.size()), element.data());
    }
}

// The diagnostic of a failed option in GNU getopt's words, written here
// rather than by the C library (opterr is 0), whose words differ from one
// platform to the next. The option at fault: optopt for a short one, the
// element before optind for a long one (getopt_long has passed it).
void report_option_error(int result, int argc, char** argv) {
    const char* program = argv[0];
    const std::string_view element = optind > 0 && optind <= argc ? argv[optind - 1] : "";
    const option* long_option = long_option_of(optopt);
    if (result == ':') {
        if (element.starts_with("--") && long_option != nullptr) {
            std::fprintf(stderr, "%s: option '--%s' requires an argument\n", program,
                         long_option->name);
        } else {
            std::fprintf(stderr, "%s: option requires an argument -- '%c'\n", program, optopt);
        }
    } else if (optopt == 0) {
        report_unknown_long_option(program, element);
    } else if (is_short_option(optopt) && long_option != nullptr) {
        // A short option is never refused, so this is "--NAME=VALUE" for a
        // long option without argument.
        std::fprintf(stderr, "%s: option '--%s' doesn't allow an argument\n", program,
                     long_option->name);
    } else {
        std::fprintf(stderr, "%s: invalid option -- '%c'\n", program, optopt);
    }
}

}  // namespace

std::vector<std::string_view> long_option_names() {
    std::vector<std::string_view> names;
    for (const option& entry : kLongOptions) {
        if (entry.name != nullptr) names.emplace_back(entry.name);
    }
    return names;
}

const Dispatch& dispatch(std::string_view first_word) {
    for (const Dispatch& entry : kSubCommands) {
        if (entry.word == first_word) return entry;
    }
    return kCommand;
}

int run(int argc, char** argv) {
    Session session;
    prepare_devices(session.devices, session.device);
    opterr = 0;
    for (;;) {
        const int option = getopt_long(argc, argv, kShortOptions, kLongOptions.data(), nullptr);
        if (option == -1) break;
        if (option == '?' || option == ':') report_option_error(option, argc, argv);
        const OptionOutcome outcome = handle_option(session, option);
        if (outcome.ends) return outcome.status;
    }
    if (optind >= argc) {
        usage();
        complain();
        return 0;
    }
    prepare_devices(session.devices, session.device);
    const Words words(argv + optind, argv + argc);
    const Dispatch& entry = dispatch(words.front());
    const Words operands = entry.pass_first_word ? words : Words(words.begin() + 1, words.end());
    return entry.operation(session, operands);
}

}  // namespace vorlanex
