// The firmware file of `update` and the blocks it becomes.
//
// A .bin file is the image itself, from flash address 0. A .hex file becomes
// the flat image of the Intel HEX reader, in which each byte already stands at
// its flash address. Either way the image is sent from offset 0 up to its end
// in 64-byte blocks, plus one block beyond, and every byte that the image does
// not hold is sent as 0xFF, the value of erased flash.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vorlanex/files.h"

namespace vorlanex {

inline constexpr std::uint32_t kFirmwareBlockSize = 64;

struct Firmware {
    Bytes image;              ///< the byte for flash address A at index A
    std::uint32_t start = 0;  ///< the lowest address with data: 0 for .bin
    std::uint32_t size = 0;   ///< bytes of data from `start`
    /// One past the last byte of data: how far the blocks must reach.
    std::uint32_t end() const { return start + size; }
};

/// Reads and converts the firmware file that `update` was given, writing the
/// file's progress and error lines. None, after its messages, when the file
/// cannot be read or is too large (a .bin beyond the flash, IHEX_IMAGE_SIZE;
/// a .hex beyond kMaxTextInput), its name ends in neither .bin nor .hex (any
/// case), the Intel HEX conversion fails, or the image holds no data: nothing
/// may then be sent to the controller.
std::optional<Firmware> load_firmware(const std::string& path);

struct FirmwareBlock {
    std::uint32_t offset = 0;  ///< flash address of the first byte
    std::array<std::uint8_t, kFirmwareBlockSize> bytes{};
    /// What the progress line reports after this block: the smaller of
    /// `offset` and the firmware's end.
    std::uint32_t transferred = 0;
};

/// The blocks at offsets 0, 64, ... for as long as the offset is below
/// end() + 64: every block that holds data and one more. The progress line
/// after each block reads "transferred of end()".
std::vector<FirmwareBlock> plan_blocks(const Firmware& firmware);

}  // namespace vorlanex
