// The vendor requests that the controller and its bootloader understand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlanex {

// The configurator (normal operation).
inline constexpr std::uint8_t REQUEST_RUN = 0;       ///< OUT image: run its commands now
inline constexpr std::uint8_t REQUEST_IDENTIFY = 2;  ///< IN: identification text
inline constexpr std::uint8_t REQUEST_CONFIGURE =
    3;  ///< OUT image: store it; two 0 bytes deactivate
inline constexpr std::uint8_t REQUEST_BOOTLOADER = 4;  ///< restart into the bootloader
inline constexpr std::uint8_t REQUEST_RESET = 7;       ///< restart

// The USBasp-compatible bootloader.
inline constexpr std::uint8_t USBASP_CONNECT = 1;
inline constexpr std::uint8_t USBASP_DISCONNECT = 2;  ///< start the firmware
inline constexpr std::uint8_t USBASP_WRITEFLASH = 6;  ///< 64 bytes at offset wIndex << 16 | wValue

/// The identification reply: NUL-terminated text within this many bytes.
inline constexpr std::size_t kIdentificationSize = 64;

}  // namespace vorlanex
