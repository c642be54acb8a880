#include "vorlanex/reconnect.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "usb/timescale.h"

namespace vorlanex {

namespace {

constexpr auto kReconnectPause = std::chrono::milliseconds(1000);
constexpr int kReconnectTests = 9;

void pause_with_dot() {
    std::this_thread::sleep_for(scaled(kReconnectPause));
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

}  // namespace vorlanex
