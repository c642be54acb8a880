#include "vorlanex/devices.h"

namespace vorlanex {

void prepare_devices(Devices& devices, const std::string& device) {
    devices.vorlanex = DeviceRecord{};
    devices.vorlanex.name = device.substr(0, kMaxSelectionLength);
    devices.vorlanex.label = "Vorlanex";
    devices.vorlanex.vendor_id = kConfiguratorVendorId;
    devices.vorlanex.product_id = kConfiguratorProductId;

    devices.usbasp = DeviceRecord{};
    devices.usbasp.name = "usbasp";
    devices.usbasp.label = "Bootloader";
    devices.usbasp.vendor_id = kBootloaderVendorId;
    devices.usbasp.product_id = kBootloaderProductId;
}

}  // namespace vorlanex
