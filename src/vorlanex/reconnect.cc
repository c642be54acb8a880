#include "vorlanex/reconnect.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "strings/messages.h"
#include "usb/timescale.h"

namespace vorlanex {

namespace {

// The wait in steps of 100 ms from the message on: the first test after a
// second, a dot at each whole second, and no test at ten seconds, where the
// wait gives up. The steps are read off the clock, so that slow tests (a
// large bus) neither stretch the wait nor hold back its dots.
constexpr std::chrono::milliseconds kStep(100);
constexpr int kStepsPerDot = 10;
constexpr int kFirstTest = 10;
constexpr int kGiveUp = 100;

void dot() {
    std::fputc('.', stderr);
    std::fflush(stderr);
}

// Whole steps since `start`.
int steps_since(std::chrono::steady_clock::time_point start, std::chrono::milliseconds step) {
    return static_cast<int>((std::chrono::steady_clock::now() - start) / step);
}

}  // namespace

bool expect(DeviceRecord& record, std::string_view message) {
    std::fprintf(stderr, "%.*s", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    usb_set_quiet();
    const auto step = scaled(kStep);
    const auto start = std::chrono::steady_clock::now();
    int dots = 0;
    for (int next = kFirstTest;;) {
        std::this_thread::sleep_until(start + next * step);
        const int now = std::min(steps_since(start, step), kGiveUp);
        for (; dots < now / kStepsPerDot; ++dots) dot();
        if (now == kGiveUp) return false;
        if (usb_ping(record)) {
            const std::string blank(message.size() + 10, ' ');
            std::fprintf(stderr, "\r%s\r", blank.c_str());
            std::fflush(stderr);
            return true;
        }
        next = std::max(next + 1, steps_since(start, step) + 1);
    }
}

void failed(const DeviceRecord& record) {
    std::fprintf(stderr, "error: failed to open %s device \"%s\" (%04X:%04X)\n",
                 record.label.c_str(), printable(record.name).c_str(), record.vendor_id,
                 record.product_id);
}

}  // namespace vorlanex
