// Waiting for the controller to come back after a restart, and naming one
// that does not.
#pragma once

#include <string_view>

#include "usb/usb.h"

namespace vorlanex {

/// Writes the message and a dot a second while it tests, up to 9 times,
/// whether the device is back; blanks the line when it is. Silences the USB
/// link for the rest of the process.
bool expect(DeviceRecord& record, std::string_view message);

/// "error: failed to open %s device ..." for the record.
void failed(const DeviceRecord& record);

}  // namespace vorlanex
