#include "vorlanex/configure.h"

#include <cstdio>

#include "vorlanex/controller_image.h"
#include "vorlanex/operations.h"
#include "vorlanex/requests.h"

namespace vorlanex {

int configure(Session& session, const Words& words) {
    const bool from_stdin = words.empty() || words.front().starts_with('-');
    if (from_stdin) std::fputs("reading from stdin...\n", stderr);
    const auto input =
        read_input(from_stdin ? std::string(kStandardInput) : words.front(), kMaxTextInput);
    if (!input) return 1;
    const auto image = controller_image(session, *input, false);
    if (!image) return 1;
    if (!usb_ping(session.devices.vorlanex)) {
        std::fputs("error: could not connect to vorlanex\n", stderr);
        return 1;
    }
    return store_configuration(session, *image) ? 0 : 1;
}

bool store_configuration(Session& session, const Bytes& image) {
    std::fprintf(stderr, "Flashing configuration: %zu bytes...", image.size());
    std::fflush(stderr);
    const int result = usb_send(session.devices.vorlanex, REQUEST_CONFIGURE, 0, 0, image.data(),
                                static_cast<std::uint16_t>(image.size()));
    const bool stored = result == static_cast<int>(image.size());
    std::fputs(stored ? "ok\n" : "failed!\n", stderr);
    return stored;
}

}  // namespace vorlanex
