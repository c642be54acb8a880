// The two faces of the controller and how the tool selects them.
#pragma once

#include <cstdint>

#include "usb/usb.h"

namespace vorlanex {

/// The configurator's USB IDs.
inline constexpr std::uint16_t kConfiguratorVendorId = 0x1209;
inline constexpr std::uint16_t kConfiguratorProductId = 0x7661;
/// The USBasp-compatible bootloader's.
inline constexpr std::uint16_t kBootloaderVendorId = 0x16C0;
inline constexpr std::uint16_t kBootloaderProductId = 0x05DC;

inline constexpr std::size_t kMaxSelectionLength = 4095;

struct Devices {
    DeviceRecord vorlanex;  ///< the configurator
    DeviceRecord usbasp;    ///< the bootloader, never selected by serial number
};

/// Fills both records; the configurator's from the selection string (-d).
void prepare_devices(Devices& devices, const std::string& device);

}  // namespace vorlanex
