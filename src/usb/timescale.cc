#include "usb/timescale.h"

#include <algorithm>
#include <cstdlib>

namespace vorlanex {

namespace {

unsigned read_timescale() {
    const char* text = std::getenv(kTimescaleVariable);
    if (text == nullptr || *text < '1' || *text > '9') return 1;
    char* end = nullptr;
    const unsigned long scale = std::strtoul(text, &end, 10);
    return *end == '\0' && scale <= kMaxTimescale ? static_cast<unsigned>(scale) : 1;
}

}  // namespace

std::chrono::milliseconds scaled(std::chrono::milliseconds duration) {
    static const unsigned scale = read_timescale();
    return std::max(duration / scale, std::chrono::milliseconds(1));
}

}  // namespace vorlanex
