#include "language/load.h"

#include "config/image.h"
#include "config/stream.h"
#include "language/parser.h"

namespace vorlanex {

bool Config_load(Config& config, std::span<const std::uint8_t> bytes, Definitions& definitions,
                 Messages& messages, bool ignoreMissingPorts) {
    InputStream in(bytes);
    switch (Config_read(config, in, messages)) {
        case ReadResult::Image:
            return true;
        case ReadResult::Broken:
            return false;
        case ReadResult::NotAnImage:
            break;
    }
    return Config_parse(config, in, definitions, messages, ignoreMissingPorts);
}

}  // namespace vorlanex
