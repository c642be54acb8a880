// Vendor control transfers to the controller.
//
// One interface, one implementation per device link: usb.cc over libusb-1.0,
// usb_web.cc in the browser build. The selection string's grammar and the
// words for a device that is not there (lookup.cc) are the same for all.
//
// Every call is one complete libusb cycle: initialise, enumerate, open the
// device a record selects, transfer, close, shut down. Nothing survives from
// one call to the next, so the controller may restart between any two calls
// (reset, bootloader, reboot after storing a configuration) and the next call
// simply finds it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vorlanex {

/// Selects one attached device.
struct DeviceRecord {
    std::string name;   ///< selection string; the text after its first ':' is a serial number
    std::string label;  ///< the kind of device, for messages
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    // The search filter, derived from `name` at every search.
    int bus = -1;
    int address = -1;
    std::optional<std::string> serial;
};

inline constexpr std::uint8_t USB_OUT = 0x00;
inline constexpr std::uint8_t USB_IN = 0x80;
/// libusb's time-out for one transfer (shorter only in tests: usb/timescale.h).
inline constexpr unsigned kUsbTimeoutMs = 5000;

/// Silences every message of the USB link for the rest of the process. The
/// reconnection waits set it: a device that is away for a while is expected.
void usb_set_quiet();

/// True when the record's device could be found and opened.
bool usb_ping(DeviceRecord& record);
/// How many attached devices have the record's IDs (and bus place); serial
/// numbers are not compared, which would take an open. 0 when the bus cannot
/// be listed.
std::size_t usb_count(DeviceRecord& record);
/// An OUT request without data. Results of transfers: the bytes moved, a
/// negative libusb code, or -1 when no device could be opened.
int usb_control(DeviceRecord& record, std::uint8_t request);
int usb_send(DeviceRecord& record, std::uint8_t request, std::uint16_t value, std::uint16_t index,
             const std::uint8_t* data, std::uint16_t length);
int usb_receive(DeviceRecord& record, std::uint8_t request, std::uint16_t value,
                std::uint16_t index, std::uint8_t* data, std::uint16_t length);

/// One device kept open for a run of transfers to a device that cannot
/// restart between them (the bootloader while it receives firmware blocks):
/// the requests on the wire are the same as with usb_send, without
/// enumerating the bus for each.
class UsbConnection {
  public:
    struct State;  ///< libusb's context and handle

    /// None, after the link's messages, when the device cannot be opened.
    static std::unique_ptr<UsbConnection> open(DeviceRecord& record);
    explicit UsbConnection(std::unique_ptr<State> state);
    ~UsbConnection();
    UsbConnection(const UsbConnection&) = delete;
    UsbConnection& operator=(const UsbConnection&) = delete;

    int send(std::uint8_t request, std::uint16_t value, std::uint16_t index,
             const std::uint8_t* data, std::uint16_t length);

  private:
    std::unique_ptr<State> state_;
};

/// The text for a negative result of a transfer, in libusb's words.
const char* usb_error_text(int code);

/// Derives the search filter from the selection string.
void usb_lookup(DeviceRecord& record);
/// The line, with its line end, that says no device of the record's
/// selection could be opened.
std::string usb_not_found(const DeviceRecord& record);

/// The "hint: " line that follows a failed open, or none: only a permission
/// failure gets one, and nothing is said while the link is quiet.
const char* usb_open_hint(int libusb_error, bool quiet);

}  // namespace vorlanex
