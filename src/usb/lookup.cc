// The selection string's grammar and the words for a device that is not
// there, the same for every device link.
#include "strings/messages.h"
#include "usb/usb.h"

namespace vorlanex {

void usb_lookup(DeviceRecord& record) {
    record.bus = -1;
    record.address = -1;
    const std::size_t colon = record.name.find(':');
    record.serial =
        colon == std::string::npos ? std::nullopt : std::optional(record.name.substr(colon + 1));
}

std::string usb_not_found(const DeviceRecord& record) {
    return format("error: could not open usb device \"%s\"\n", printable(record.name).c_str());
}

}  // namespace vorlanex
