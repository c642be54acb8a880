#include "vorlanex/controller_image.h"

#include <cstdio>

#include "config/image.h"
#include "language/load.h"

namespace vorlanex {

std::optional<Bytes> controller_image(Session& session, const Bytes& input,
                                      bool ignoreMissingPorts) {
    Config config;
    Messages messages;
    const bool loaded =
        Config_load(config, input, session.definitions, messages, ignoreMissingPorts);
    print(messages);
    if (!loaded) return std::nullopt;
    Bytes image;
    Config_write(config, image);
    if (image.size() > kMaxControllerImage) {
        std::fprintf(stderr,
                     "error: the configuration image has %zu bytes, more than the %zu bytes the "
                     "controller can take\n",
                     image.size(), kMaxControllerImage);
        return std::nullopt;
    }
    return image;
}

}  // namespace vorlanex
