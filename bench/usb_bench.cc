// The cost of the USB link's two ways of sending: a complete libusb cycle per
// transfer (initialise, enumerate, open, transfer, close, shut down) beside a
// transfer on a handle kept open. Run under the simulated controller:
//   build/bin/vorlanex-sim --start bootloader -- build/bin/usb_bench
#include <benchmark/benchmark.h>

#include <array>

#include "usb/usb.h"
#include "vorlanex/devices.h"
#include "vorlanex/requests.h"

namespace vorlanex {
namespace {

DeviceRecord bootloader() {
    Devices devices;
    prepare_devices(devices, "usb");
    return devices.usbasp;
}

const std::array<std::uint8_t, 64> kBlock{};

void BM_CompleteCycle(benchmark::State& state) {
    DeviceRecord record = bootloader();
    for (auto _ : state) {
        if (usb_send(record, USBASP_WRITEFLASH, 0, 0, kBlock.data(), kBlock.size()) != 64) {
            state.SkipWithError("no bootloader: run this under vorlanex-sim --start bootloader");
            return;
        }
    }
}
BENCHMARK(BM_CompleteCycle)->Unit(benchmark::kMicrosecond);

void BM_TransferOnOpenHandle(benchmark::State& state) {
    DeviceRecord record = bootloader();
    const auto connection = UsbConnection::open(record);
    if (!connection) {
        state.SkipWithError("no bootloader: run this under vorlanex-sim --start bootloader");
        return;
    }
    for (auto _ : state) {
        if (connection->send(USBASP_WRITEFLASH, 0, 0, kBlock.data(), kBlock.size()) != 64) {
            state.SkipWithError("the transfer failed");
            return;
        }
    }
}
BENCHMARK(BM_TransferOnOpenHandle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorlanex

BENCHMARK_MAIN();
