#include <sys/stat.h>

#include <cstdio>

#include "vorlanex/controller_image.h"
#include "vorlanex/operations.h"
#include "vorlanex/requests.h"

namespace vorlanex {

namespace {

std::string join(const Words& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty() || &word != &words.front()) line += ' ';
        line += word;
    }
    return line;
}

bool names_existing_file(const std::string& word) {
    struct stat info;
    return ::stat(word.c_str(), &info) == 0;
}

// The commands: standard input for "-", the file the first word names when it
// exists (a script that cannot be read is reported, not run as a command), or
// else the words themselves as one line.
std::optional<Bytes> command_input(const Words& words) {
    const std::string& first = words.front();
    if (first == kStandardInput) std::fputs("reading commands from stdin...\n", stderr);
    if (first == kStandardInput || names_existing_file(first))
        return read_input(first, kMaxTextInput);
    const std::string line = join(words);
    if (line.empty()) return std::nullopt;
    return Bytes(line.begin(), line.end());
}

}  // namespace

int command(Session& session, const Words& words) {
    const auto input = command_input(words);
    if (!input) return 1;
    // The controller already holds its expansion: every port letter goes.
    const auto image = controller_image(session, *input, true);
    if (!image) return 1;
    const int result = usb_send(session.devices.vorlanex, REQUEST_RUN, session.delay, 0,
                                image->data(), static_cast<std::uint16_t>(image->size()));
    if (result < 0) {
        std::fprintf(stderr, "error: could not send usb control message: %s\n",
                     usb_error_text(result));
        return result;
    }
    if (static_cast<std::size_t>(result) != image->size()) {
        std::fprintf(stderr, "error: the controller took %d of %zu bytes\n", result, image->size());
        return 1;
    }
    return 0;
}

}  // namespace vorlanex
