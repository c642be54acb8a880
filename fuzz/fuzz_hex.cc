// The Intel HEX reader over arbitrary bytes: it must end without a fault,
// and a converted image holds its data within the 128 KiB it has.
#include <cstdint>
#include <cstdlib>

#include "intelhex/intelhex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vorlanex::HexResult result = vorlanex::readhex({data, size});
    if (!result.image) return 0;
    const vorlanex::HexImage& image = *result.image;
    if (image.bytes.size() != vorlanex::IHEX_IMAGE_SIZE) std::abort();
    if (image.size > 0 && image.start + image.size > vorlanex::IHEX_IMAGE_SIZE) std::abort();
    return 0;
}
