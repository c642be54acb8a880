// Waiting for the controller to come back after a restart, and naming one
// that does not.
#pragma once

#include <string_view>

#include "usb/usb.h"

namespace vorlanex {

/// Writes the message, pauses a second, then tests every 100 ms whether the
/// device is back, with a dot at each whole second, and gives up after ten
/// seconds (and ten dots); blanks the line when the device is back. Silences
/// the USB link for the rest of the process.
bool expect(DeviceRecord& record, std::string_view message);

/// "error: failed to open %s device ..." for the record.
void failed(const DeviceRecord& record);

}  // namespace vorlanex
