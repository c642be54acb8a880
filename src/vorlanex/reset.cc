#include "vorlanex/reset.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "vorlanex/operations.h"
#include "vorlanex/requests.h"

namespace vorlanex {

namespace {

constexpr auto kReconnectPause = std::chrono::milliseconds(1000);
constexpr int kReconnectTests = 9;

void pause_with_dot() {
    std::this_thread::sleep_for(kReconnectPause);
    std::fputc('.', stderr);
    std::fflush(stderr);
}

}  // namespace

bool expect(DeviceRecord& record, std::string_view message) {
    std::fprintf(stderr, "%.*s", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    usb_set_quiet();
    pause_with_dot();
    for (int test = 0; test < kReconnectTests; ++test) {
        if (usb_ping(record)) {
            const std::string blank(message.size() + 10, ' ');
            std::fprintf(stderr, "\r%s\r", blank.c_str());
            std::fflush(stderr);
            return true;
        }
        pause_with_dot();
    }
    return false;
}

void failed(const DeviceRecord& record) {
    std::fprintf(stderr, "error: failed to open %s device \"%s\" (%04X:%04X)\n",
                 record.label.c_str(), record.name.c_str(), record.vendor_id, record.product_id);
}

int identify(Session& session) {
    prepare_devices(session.devices, session.device);
    std::uint8_t text[kIdentificationSize] = {};
    const int received = usb_receive(session.devices.vorlanex, REQUEST_IDENTIFY, 0, 0, text,
                                     static_cast<std::uint16_t>(sizeof text));
    if (received <= 0) return 1;
    // The firmware sends NUL-terminated text; a reply without a 0 byte ends
    // where the reply ends.
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(received) && text[length] != 0) ++length;
    std::printf("%.*s\n", static_cast<int>(length), reinterpret_cast<const char*>(text));
    return 0;
}

int reset(Session& session, const Words&) {
    Devices& devices = session.devices;
    if (usb_ping(devices.vorlanex)) {
        usb_control(devices.vorlanex, REQUEST_RESET);
    } else if (usb_ping(devices.usbasp)) {
        usb_set_quiet();
        usb_control(devices.usbasp, USBASP_CONNECT);
        usb_control(devices.usbasp, USBASP_DISCONNECT);
    } else {
        failed(devices.vorlanex);
        failed(devices.usbasp);
        return 1;
    }
    if (!expect(devices.vorlanex, "Resetting device")) {
        failed(devices.vorlanex);
        return 1;
    }
    identify(session);
    return 0;
}

}  // namespace vorlanex
