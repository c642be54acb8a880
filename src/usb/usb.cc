#include "usb/usb.h"

#include <libusb.h>

#include <cstdio>
#include <memory>

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

// The first device the record selects. A device without a serial-number
// string satisfies any requested serial number and ends the search.
Handle usb_open(libusb_context* context, const DeviceRecord& record) {
    libusb_device** raw_list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &raw_list);
    if (count < 0) {
        say("error: could not get usb device list: %s\n", text_of(static_cast<int>(count)));
        return nullptr;
    }
    const DeviceList list(raw_list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = raw_list[i];
        libusb_device_descriptor descriptor;
        const int result = libusb_get_device_descriptor(device, &descriptor);
        if (result < 0) {
            say("warning: could not get usb device descriptor: %s\n", text_of(result));
            continue;
        }
        if (!matches(device, descriptor, record)) continue;
        if (record.serial && descriptor.iSerialNumber != 0) {
            if (Handle handle =
                    open_with_serial(device, descriptor.iSerialNumber, *record.serial)) {
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

int transfer(libusb_device_handle* handle, std::uint8_t direction, std::uint8_t request,
             std::uint16_t value, std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    const int result = libusb_control_transfer(
        handle, static_cast<std::uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR | direction), request, value,
        index, data, length, kUsbTimeoutMs);
    if (result < 0) say("error: could not send usb control message: %s\n", text_of(result));
    return result;
}

int usb_message(DeviceRecord& record, std::uint8_t direction, std::uint8_t request,
                std::uint16_t value, std::uint16_t index, std::uint8_t* data,
                std::uint16_t length) {
    int code = 0;
    const Context context = open_context(code);
    if (!context) return code;
    usb_lookup(record);
    const Handle handle = usb_open(context.get(), record);
    if (!handle) {
        say("error: could not open usb device \"%s\"\n", record.name.c_str());
        return -1;
    }
    return transfer(handle.get(), direction, request, value, index, data, length);
}

}  // namespace

struct UsbConnection::State {
    // Destroyed in reverse order: the handle closes before the context ends.
    Context context;
    Handle handle;
};

UsbConnection::UsbConnection(std::unique_ptr<State> state) : state_(std::move(state)) {}
UsbConnection::~UsbConnection() = default;

std::unique_ptr<UsbConnection> UsbConnection::open(DeviceRecord& record) {
    int code = 0;
    Context context = open_context(code);
    if (!context) return nullptr;
    usb_lookup(record);
    Handle handle = usb_open(context.get(), record);
    if (!handle) {
        say("error: could not open usb device \"%s\"\n", record.name.c_str());
        return nullptr;
    }
    return std::make_unique<UsbConnection>(
        std::make_unique<State>(State{std::move(context), std::move(handle)}));
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
bool usb_quiet() {
    return quiet;
}

const char* usb_open_hint(int libusb_error, bool is_quiet) {
    if (is_quiet || libusb_error != LIBUSB_ERROR_ACCESS) return nullptr;
    return "hint: permission denied: install the udev rule 60-vorlanex.rules (see the README), "
           "then unplug and replug the controller\n";
}

bool usb_ping(DeviceRecord& record) {
    int code = 0;
    const Context context = open_context(code);
    if (!context) return false;
    usb_lookup(record);
    return usb_open(context.get(), record) != nullptr;
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
