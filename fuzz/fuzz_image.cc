// The image reader over arbitrary bytes, and what it reads written back: a
// configuration read from an image is written again without a fault, and
// rendered without reading past its tables.
#include <cstdint>
#include <string>

#include "config/image.h"
#include "language/render.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorlanex::Config config;
    vorlanex::Messages messages;
    vorlanex::InputStream in({data, size});
    if (vorlanex::Config_read(config, in, messages) != vorlanex::ReadResult::Image) return 0;
    std::vector<std::uint8_t> image;
    vorlanex::Config_write(config, image);
    std::string text;
    vorlanex::Config_print(config, text, messages);
    return 0;
}
