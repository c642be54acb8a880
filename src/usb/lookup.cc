// The selection string's grammar, the same for every device link.
#include "usb/usb.h"

namespace vorlanex {

void usb_lookup(DeviceRecord& record) {
    record.bus = -1;
    record.address = -1;
    const std::size_t colon = record.name.find(':');
    record.serial =
        colon == std::string::npos ? std::nullopt : std::optional(record.name.substr(colon + 1));
}

}  // namespace vorlanex
