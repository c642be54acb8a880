#include <cstdio>

#include "strings/messages.h"
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

// A bootloader has no serial number to tell it by. With one selected, the
// blocks may only go to the bootloader that the selected controller became,
// which is known only while no other bootloader is attached.
bool selects_serial(DeviceRecord& configurator) {
    usb_lookup(configurator);
    return configurator.serial.has_value();
}

// Before anything is touched: the selected configurator is attached, and no
// bootloader, which its own could not be told apart from.
bool selected_controller_alone(Session& session) {
    Devices& devices = session.devices;
    if (!usb_ping(devices.vorlanex)) {
        std::fputs("error: could not connect to vorlanex\n", stderr);
        return false;
    }
    if (usb_count(devices.usbasp) == 0) return true;
    std::fprintf(stderr,
                 "error: another controller is in its bootloader: once \"%s\" is in its own, "
                 "the two cannot be told apart\n"
                 "hint: unplug that controller or finish its update first, then run the update "
                 "again\n",
                 printable(devices.vorlanex.name).c_str());
    return false;
}

// Just before the blocks: a bootloader that came meanwhile makes the
// selected controller's own one of several.
bool bootloader_alone(Devices& devices) {
    if (usb_count(devices.usbasp) <= 1) return true;
    std::fprintf(stderr,
                 "error: more than one bootloader is attached: the one that \"%s\" became "
                 "cannot be told apart\n"
                 "hint: unplug the other controllers, then run the update without -d and "
                 "without a configuration: the controller waits in its bootloader\n",
                 printable(devices.vorlanex.name).c_str());
    return false;
}

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

enum class Flash { Done, NoBootloader, Ambiguous, BlockRefused };

Flash flash_firmware(Session& session, const Firmware& firmware, bool by_serial) {
    Devices& devices = session.devices;
    if (usb_ping(devices.vorlanex)) {
        // Unchecked: the controller may restart before it answers.
        usb_control(devices.vorlanex, REQUEST_BOOTLOADER);
        expect(devices.usbasp, "Entering bootloader");
    }
    if (!usb_ping(devices.usbasp)) {
        std::fputs("error: could not connect to usbasp bootloader\n", stderr);
        return Flash::NoBootloader;
    }
    if (by_serial && !bootloader_alone(devices)) return Flash::Ambiguous;
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

    const bool by_serial = selects_serial(session.devices.vorlanex);
    // The configuration is read and encoded before anything reaches the
    // controller, so that a broken one stops the update while nothing changed.
    const bool with_configuration = words.size() == 2;
    std::optional<Bytes> configuration;
    if (with_configuration) {
        const auto input = read_input(words[1], kMaxTextInput, Dash::FileName);
        if (!input) return 1;
        configuration = controller_image(session, *input, false);
        if (!configuration) return 1;
    }
    if (by_serial && !selected_controller_alone(session)) return 1;
    if (with_configuration && !deactivate_configuration(session)) return 1;
    const Flash flashed = flash_firmware(session, *firmware, by_serial);
    // A refused block, or a bootloader that cannot be told apart, leaves the
    // controller in its bootloader, untouched further.
    if (flashed == Flash::BlockRefused || flashed == Flash::Ambiguous) return 1;
    // Without a bootloader the old firmware still runs: its configuration is
    // stored back all the same.
    if (with_configuration && !restore_configuration(session, *configuration)) return 1;
    return flashed == Flash::Done ? 0 : 1;
}

}  // namespace vorlanex
