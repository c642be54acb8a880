// The text parser over arbitrary bytes: it must end, without crashing or
// reading out of bounds, whatever the input.
#include <cstdint>

#include "config/stream.h"
#include "language/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorlanex::Config config;
    vorlanex::Definitions definitions;
    vorlanex::Messages messages;
    vorlanex::InputStream in({data, size});
    vorlanex::Config_parse(config, in, definitions, messages, size % 2 == 0);
    return 0;
}
