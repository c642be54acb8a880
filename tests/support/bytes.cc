#include "support/bytes.h"

#include <random>

namespace vorlanex::testing {

std::string bytes(std::initializer_list<std::uint8_t> values) {
    return std::string(values.begin(), values.end());
}

std::string hex(std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : data) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::string random_bytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string result(size, '\0');
    for (char& byte : result) byte = static_cast<char>(generator() & 0xFF);
    return result;
}

const std::string kSetA3Image =
    bytes({0x1C, 0xCF, 0xFE, 0x01, 0x01, 0x00, 0x00, 0x00, 0x08, 0x01, 0xFF});

}  // namespace vorlanex::testing
