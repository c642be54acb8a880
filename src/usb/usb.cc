#include "usb/usb.h"

#include <libusb.h>

#include <cstdio>
#include <memory>

#include "usb/timescale.h"

namespace vorlanex {

namespace {

bool quiet = false;

template <typename... Args>
void say(const char* format, Args... args) {
    if (!quiet) std::fprintf(stderr, format, args...);
}

const char* text_of(int code) {
    return usb_error_text(code);
}

struct ContextDeleter {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
using Context = std::unique_ptr<libusb_context, ContextDeleter>;

struct HandleDeleter {
    void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using Handle = std::unique_ptr<libusb_device_handle, HandleDeleter>;

struct ListDeleter {
    void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};
using DeviceList = std::unique_ptr<libusb_device*, ListDeleter>;

// A fresh context; none, with `code` set, after its message.
Context open_context(int& code) {
    libusb_context* context = nullptr;
    code = libusb_init(&context);
    if (code < 0) {
        say("error: could not initialize libusb-1.0: %s\n", text_of(code));
        return nullptr;
    }
    return Context(context);
}

void report_open_failure(libusb_device* device, int error) {
    say("error: could not open usb device %03d/%03d: %s\n", libusb_get_bus_number(device),
        libusb_get_device_address(device), text_of(error));
    if (const char* hint = usb_open_hint(error, quiet)) std::fputs(hint, stderr);
}

bool matches(libusb_device* device, const libusb_device_descriptor& descriptor,
             const DeviceRecord& record) {
    if (descriptor.idVendor != record.vendor_id || descriptor.idProduct != record.product_id) {
        return false;
    }
    if (record.bus >= 0 && libusb_get_bus_number(device) != record.bus) return false;
    if (record.address >= 0 && libusb_get_device_address(device) != record.address) return false;
    return true;
}

// A candidate of the requested serial number: opened and kept when its
// serial-number string equals it, closed and skipped otherwise.
Handle open_with_serial(libusb_device* device, std::uint8_t serial_index,
                        const std::string& serial) {
    libusb_device_handle* raw = nullptr;
    const int result = libusb_open(device, &raw);
    if (result < 0) {
        say("warning: could not open usb device %03d/%03d: %s\n", libusb_get_bus_number(device),
            libusb_get_device_address(device), text_of(result));
        return nullptr;
    }
    Handle handle(raw);
    unsigned char text[256] = {};
    const int length = libusb_get_string_descriptor_ascii(raw, serial_index, text, sizeof text);
    if (length < 0) {
        say("warning: could not get serial number from device: %s\n", text_of(length));
        return nullptr;
    }
    if (std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)) !=
        serial) {
        return nullptr;
    }
    return handle;
}

// Every device on the bus, or none after a message; `count` entries.
DeviceList list_devices(libusb_context* context, ssize_t& count) {
    libusb_device** raw_list = nullptr;
    count = libusb_get_device_list(context, &raw_list);
    if (count < 0) {
        say("error: could not get usb device list: %s\n", text_of(static_cast<int>(count)));
        return nullptr;
    }
    return DeviceList(raw_list);
}

// The device's descriptor when it has the record's IDs and place on the bus.
std::optional<libusb_device_descriptor> matching(libusb_device* device,
                                                 const DeviceRecord& record) {
    libusb_device_descriptor descriptor;
    const int result = libusb_get_device_descriptor(device, &descriptor);
    if (result < 0) {
        say("warning: could not get usb device descriptor: %s\n", text_of(result));
        return std::nullopt;
    }
    if (!matches(device, descriptor, record)) return std::nullopt;
    return descriptor;
}

// The first device the record selects. A device without a serial-number
// string satisfies any requested serial number and ends the search.
Handle usb_open(libusb_context* context, const DeviceRecord& record) {
    ssize_t count = 0;
    const DeviceList list = list_devices(context, count);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list.get()[i];
        const auto descriptor = matching(device, record);
        if (!descriptor) continue;
        if (record.serial && descriptor->iSerialNumber != 0) {
            if (Handle handle =
                    open_with_serial(device, descriptor->iSerialNumber, *record.serial)) {
                return handle;
            }
            continue;
        }
        libusb_device_handle* handle = nullptr;
        const int opened = libusb_open(device, &handle);
        if (opened < 0) {
            report_open_failure(device, opened);
            return nullptr;
        }
        return Handle(handle);
    }
    return nullptr;
}

unsigned timeout_ms() {
    return static_cast<unsigned>(scaled(std::chrono::milliseconds(kUsbTimeoutMs)).count());
}

int transfer(libusb_device_handle* handle, std::uint8_t direction, std::uint8_t request,
             std::uint16_t value, std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    const int result = libusb_control_transfer(
        handle, static_cast<std::uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR | direction), request, value,
        index, data, length, timeout_ms());
    if (result < 0) say("error: could not send usb control message: %s\n", text_of(result));
    return result;
}

}  // namespace

struct UsbConnection::State {
    // Destroyed in reverse order: the handle closes before the context ends.
    Context context;
    Handle handle;
};

namespace {

// The steps that start every call: a fresh context, the search filter from
// the selection, the device. Without a handle when they fail; `code` is then
// libusb's code of a context that could not start, or -1.
UsbConnection::State find_device(DeviceRecord& record, int& code) {
    UsbConnection::State found{open_context(code), nullptr};
    if (!found.context) return found;
    usb_lookup(record);
    found.handle = usb_open(found.context.get(), record);
    if (!found.handle) code = -1;
    return found;
}

// find_device for a transfer: a device that cannot be found is named.
UsbConnection::State open_device(DeviceRecord& record, int& code) {
    UsbConnection::State opened = find_device(record, code);
    if (opened.context && !opened.handle) {
        say("%s", usb_not_found(record).c_str());
    }
    return opened;
}

int usb_message(DeviceRecord& record, std::uint8_t direction, std::uint8_t request,
                std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                std::uint16_t length) {
    int code = 0;
    const UsbConnection::State opened = open_device(record, code);
    if (!opened.handle) return code;
    return transfer(opened.handle.get(), direction, request, value, index, data, length);
}

}  // namespace

UsbConnection::UsbConnection(std::unique_ptr<State> state) : state_(std::move(state)) {}
UsbConnection::~UsbConnection() = default;

std::unique_ptr<UsbConnection> UsbConnection::open(DeviceRecord& record) {
    int code = 0;
    State opened = open_device(record, code);
    if (!opened.handle) return nullptr;
    return std::make_unique<UsbConnection>(std::make_unique<State>(std::move(opened)));
}

int UsbConnection::send(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                        const std::uint8_t* data, std::uint16_t length) {
    return transfer(state_->handle.get(), USB_OUT, request, value, index,
                    const_cast<std::uint8_t*>(data), length);
}

const char* usb_error_text(int code) {
    return libusb_strerror(static_cast<libusb_error>(code));
}

void usb_set_quiet() {
    quiet = true;
}

const char* usb_open_hint(int libusb_error, bool is_quiet) {
    if (is_quiet || libusb_error != LIBUSB_ERROR_ACCESS) return nullptr;
    return "hint: permission denied: install the udev rule 60-vorlanex.rules (see the README), "
           "then unplug and replug the controller\n";
}

bool usb_ping(DeviceRecord& record) {
    int code = 0;
    return find_device(record, code).handle != nullptr;
}

std::size_t usb_count(DeviceRecord& record) {
    int code = 0;
    const Context context = open_context(code);
    if (!context) return 0;
    usb_lookup(record);
    ssize_t count = 0;
    const DeviceList list = list_devices(context.get(), count);
    std::size_t found = 0;
    for (ssize_t i = 0; i < count; ++i) {
        if (matching(list.get()[i], record)) ++found;
    }
    return found;
}

int usb_control(DeviceRecord& record, std::uint8_t request) {
    return usb_message(record, USB_OUT, request, 0, 0, nullptr, 0);
}

int usb_send(DeviceRecord& record, std::uint8_t request, std::uint16_t value, std::uint16_t index,
             const std::uint8_t* data, std::uint16_t length) {
    // libusb takes one buffer for both directions; an OUT transfer only reads it.
    return usb_message(record, USB_OUT, request, value, index, const_cast<std::uint8_t*>(data),
                       length);
}

int usb_receive(DeviceRecord& record, std::uint8_t request, std::uint16_t value,
                std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    return usb_message(record, USB_IN, request, value, index, data, length);
}

}  // namespace vorlanex
