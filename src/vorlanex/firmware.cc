#include "vorlanex/firmware.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "intelhex/intelhex.h"
#include "strings/messages.h"
#include "strings/numbers.h"

namespace vorlanex {

namespace {

// A .bin file is the flash image itself, so it can hold no more than the
// flash; Intel HEX text may hold much more than the data it gives.
std::size_t read_limit(const std::string& path) {
    return ends_with(path, ".bin") ? IHEX_IMAGE_SIZE : kMaxTextInput;
}

std::optional<Firmware> convert_hex(const std::string& path, const Bytes& text) {
    std::fputs("Trying to parse Intel HEX format...", stderr);
    std::fflush(stderr);
    HexResult result = readhex(text);
    if (!result.image) {
        std::fputs("FAILED!\n", stderr);
        std::fprintf(stderr, "error: line %d: %s\n", result.error.line,
                     result.error.reason.c_str());
        errno = EINVAL;
        report_file_error(path);
        return std::nullopt;
    }
    HexImage& image = *result.image;
    std::fprintf(stderr, "OK\nParsed %d bytes starting at 0x%02X\n", static_cast<int>(image.size),
                 image.start);
    return Firmware{std::move(image.bytes), image.start, image.size};
}

// The read limit has kept the file within the flash.
std::optional<Firmware> take_binary(Bytes bytes) {
    const auto size = static_cast<std::uint32_t>(bytes.size());
    return Firmware{std::move(bytes), 0, size};
}

std::optional<Firmware> convert_firmware(const std::string& path, Bytes bytes) {
    if (ends_with(path, ".hex")) return convert_hex(path, bytes);
    if (ends_with(path, ".bin")) return take_binary(std::move(bytes));
    std::fputs("error: please supply firmware as a .bin or .hex file\n", stderr);
    return std::nullopt;
}

FirmwareBlock make_block(const Firmware& firmware, std::uint32_t offset) {
    FirmwareBlock block;
    block.offset = offset;
    block.bytes.fill(0xFF);
    const std::size_t held = std::min<std::size_t>(firmware.image.size(), firmware.end());
    if (offset < held) {
        const std::size_t count = std::min<std::size_t>(kFirmwareBlockSize, held - offset);
        std::copy_n(firmware.image.begin() + offset, count, block.bytes.begin());
    }
    block.transferred = std::min(offset, firmware.end());
    return block;
}

}  // namespace

std::optional<Firmware> load_firmware(const std::string& path) {
    auto bytes = read_input(path, read_limit(path), Dash::FileName);
    if (!bytes) return std::nullopt;
    auto firmware = convert_firmware(path, std::move(*bytes));
    if (firmware && firmware->size == 0) {
        std::fprintf(stderr, "error: no firmware data in %s\n", printable(path).c_str());
        return std::nullopt;
    }
    return firmware;
}

std::vector<FirmwareBlock> plan_blocks(const Firmware& firmware) {
    std::vector<FirmwareBlock> blocks;
    const std::uint64_t limit = std::uint64_t{firmware.end()} + kFirmwareBlockSize;
    for (std::uint64_t offset = 0; offset < limit; offset += kFirmwareBlockSize)
        blocks.push_back(make_block(firmware, static_cast<std::uint32_t>(offset)));
    return blocks;
}

}  // namespace vorlanex
