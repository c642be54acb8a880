// The browser build's device link. Until the page reaches the controller
// through WebUSB, it finds no device: every operation fails as the libusb
// link does on a machine without a controller, with the same messages and
// results.
#include <cstdio>
#include <memory>

#include "usb/usb.h"

namespace vorlanex {

namespace {

bool quiet = false;

// What the libusb link says and returns when its search finds nothing.
int missing(DeviceRecord& record) {
    usb_lookup(record);
    if (!quiet) std::fputs(usb_not_found(record).c_str(), stderr);
    return -1;
}

}  // namespace

struct UsbConnection::State {};

UsbConnection::UsbConnection(std::unique_ptr<State> state) : state_(std::move(state)) {}
UsbConnection::~UsbConnection() = default;

std::unique_ptr<UsbConnection> UsbConnection::open(DeviceRecord& record) {
    missing(record);
    return nullptr;
}

int UsbConnection::send(std::uint8_t, std::uint16_t, std::uint16_t, const std::uint8_t*,
                        std::uint16_t) {
    return -1;
}

void usb_set_quiet() {
    quiet = true;
}

// The one code this link returns is -1, libusb's LIBUSB_ERROR_IO.
const char* usb_error_text(int code) {
    return code == -1 ? "Input/Output Error" : "Other error";
}

// Without a device there is no permission to be denied.
const char* usb_open_hint(int, bool) {
    return nullptr;
}

bool usb_ping(DeviceRecord& record) {
    usb_lookup(record);
    return false;
}

std::size_t usb_count(DeviceRecord& record) {
    usb_lookup(record);
    return 0;
}

int usb_control(DeviceRecord& record, std::uint8_t) {
    return missing(record);
}

int usb_send(DeviceRecord& record, std::uint8_t, std::uint16_t, std::uint16_t, const std::uint8_t*,
             std::uint16_t) {
    return missing(record);
}

int usb_receive(DeviceRecord& record, std::uint8_t, std::uint16_t, std::uint16_t, std::uint8_t*,
                std::uint16_t) {
    return missing(record);
}

}  // namespace vorlanex
