#include <cstdio>

#include "vorlanex/configure.h"
#include "vorlanex/controller_image.h"
#include "vorlanex/firmware.h"
#include "vorlanex/operations.h"
#include "vorlanex/reconnect.h"
#include "vorlanex/requests.h"

namespace vorlanex {

namespace {

constexpr const char* kRebootMessage = "Waiting for vorlanex to reboot";
const std::uint8_t kDeactivation[2] = {0, 0};

// The stored configuration is switched off before the firmware changes, so
// that the new firmware does not start with a configuration it may misread.
bool deactivate_configuration(Session& session) {
    if (!usb_ping(session.devices.vorlanex)) {
        std::fputs("error: could not connect to vorlanex\n", stderr);
        return false;
    }
    std::fputs("Deactivating existing configuration...", stderr);
    std::fflush(stderr);
    if (usb_send(session.devices.vorlanex, REQUEST_CONFIGURE, 0, 0, kDeactivation, 2) != 2) {
        std::fputs("failed!\n", stderr);
        return false;
    }
    std::fputs("ok\n", stderr);
    expect(session.devices.vorlanex, kRebootMessage);
    return true;
}

// All blocks go through one open handle: the bootloader cannot restart while
// it receives them. At the first block it does not take, stop: the controller
// stays in its bootloader, where the update can simply be run again.
bool write_blocks(DeviceRecord& bootloader, const Firmware& firmware) {
    const auto connection = UsbConnection::open(bootloader);
    if (!connection) {
        std::fputs("error: could not connect to usbasp bootloader\n", stderr);
        return false;
    }
    for (const FirmwareBlock& block : plan_blocks(firmware)) {
        const int result = connection->send(
            USBASP_WRITEFLASH, static_cast<std::uint16_t>(block.offset & 0xFFFF),
            static_cast<std::uint16_t>(block.offset >> 16), block.bytes.data(), kFirmwareBlockSize);
        if (result != static_cast<int>(kFirmwareBlockSize)) {
            std::fprintf(stderr,
                         "failed!\nerror: the bootloader did not take the block at 0x%05X\n",
                         block.offset);
            return false;
        }
        std::fprintf(stderr, "\rUpdating application: %u of %u bytes transferred...",
                     block.transferred, firmware.end());
        std::fflush(stderr);
    }
    std::fputs("ok\n", stderr);
    return true;
}

enum class Flash { Done, NoBootloader, BlockRefused };

Flash flash_firmware(Session& session, const Firmware& firmware) {
    Devices& devices = session.devices;
    if (usb_ping(devices.vorlanex)) {
        usb_control(devices.vorlanex, REQUEST_BOOTLOADER);
        expect(devices.usbasp, "Entering bootloader");
    }
    if (!usb_ping(devices.usbasp)) {
        std::fputs("error: could not connect to usbasp bootloader\n", stderr);
        return Flash::NoBootloader;
    }
    usb_control(devices.usbasp, USBASP_CONNECT);
    if (!write_blocks(devices.usbasp, firmware)) return Flash::BlockRefused;
    usb_set_quiet();
    usb_control(devices.usbasp, USBASP_DISCONNECT);
    return Flash::Done;
}

// After the new firmware is in: store the given configuration and show the
// new firmware's identification.
bool restore_configuration(Session& session, const Bytes& image) {
    expect(session.devices.vorlanex, kRebootMessage);
    const bool stored = store_configuration(session, image);
    if (!expect(session.devices.vorlanex, kRebootMessage)) {
        failed(session.devices.vorlanex);
        return false;
    }
    identify(session);
    return stored;
}

}  // namespace

int update(Session& session, const Words& words) {
    if (words.empty()) {
        usage();
        return 1;
    }
    const auto firmware = load_firmware(words[0]);
    if (!firmware) return 1;

    // The configuration is read and encoded before anything reaches the
    // controller, so that a broken one stops the update while nothing changed.
    const bool with_configuration = words.size() == 2;
    std::optional<Bytes> configuration;
    if (with_configuration) {
        const auto input = read_file(words[1]);
        if (!input) return 1;
        configuration = controller_image(session, *input, false);
        if (!configuration) return 1;
        if (!deactivate_configuration(session)) return 1;
    }
    const Flash flashed = flash_firmware(session, *firmware);
    // A refused block leaves the controller in its bootloader, untouched further.
    if (flashed == Flash::BlockRefused) return 1;
    // Without a bootloader the old firmware still runs: its configuration is
    // stored back all the same.
    if (with_configuration && !restore_configuration(session, *configuration)) return 1;
    return flashed == Flash::Done ? 0 : 1;
}

}  // namespace vorlanex
