#include "usb/usb.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <string>

#include "vorlanex/front_end.h"

namespace vorlanex {
namespace {

TEST(UsbLookup, TheSerialNumberIsEverythingAfterTheFirstColon) {
    const struct {
        const char* name;
        std::optional<std::string> serial;
    } cases[] = {
        {"usb", std::nullopt}, {"anything", std::nullopt}, {"usb:S1", "S1"},
        {"usb:", ""},          {"usb:x:y", "x:y"},         {":S", "S"},
    };
    for (const auto& c : cases) {
        DeviceRecord record;
        record.name = c.name;
        record.bus = 3;
        record.address = 7;
        record.serial = "stale";
        usb_lookup(record);
        EXPECT_EQ(record.serial, c.serial) << c.name;
        EXPECT_EQ(record.bus, -1) << c.name;
        EXPECT_EQ(record.address, -1) << c.name;
    }
}

TEST(UsbOpenHint, OnlyAPermissionFailureGetsTheHintAndNotWhileQuiet) {
    const char* hint = usb_open_hint(LIBUSB_ERROR_ACCESS, false);
    ASSERT_NE(hint, nullptr);
    const std::string text(hint);
    EXPECT_TRUE(text.starts_with("hint: ")) << text;
    EXPECT_NE(text.find("60-vorlanex.rules"), std::string::npos) << text;
    EXPECT_NE(text.find("unplug and replug"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line: " << text;

    EXPECT_EQ(usb_open_hint(LIBUSB_ERROR_ACCESS, true), nullptr);
    for (const int error : {LIBUSB_ERROR_IO, LIBUSB_ERROR_NO_DEVICE, LIBUSB_ERROR_BUSY,
                            LIBUSB_ERROR_NOT_FOUND, LIBUSB_ERROR_OTHER}) {
        EXPECT_EQ(usb_open_hint(error, false), nullptr) << error;
    }
}

// No configurator is attached to the machine that runs the tests.
TEST(UsbQuiet, SilencesTheMessagesButNotTheResults) {
    Session session;
    session.device = "usb:nothing";
    prepare_devices(session.devices, session.device);
    std::uint8_t reply[64];

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(usb_ping(session.devices.vorlanex));
    EXPECT_EQ(usb_receive(session.devices.vorlanex, 2, 0, 0, reply, sizeof reply), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "error: could not open usb device \"usb:nothing\"\n");

    usb_set_quiet();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(usb_ping(session.devices.vorlanex));
    EXPECT_EQ(usb_receive(session.devices.vorlanex, 2, 0, 0, reply, sizeof reply), -1);
    EXPECT_EQ(usb_control(session.devices.vorlanex, 7), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// The labels and IDs show in the "failed to open" lines that the reset tests pin.
TEST(PrepareDevices, CutsALongSelectionAndFollowsTheDevice) {
    Session session;
    session.device = std::string(5000, 'x');
    prepare_devices(session.devices, session.device);
    EXPECT_EQ(session.devices.vorlanex.name, std::string(kMaxSelectionLength, 'x'));

    session.device = "usb:B";
    prepare_devices(session.devices, session.device);
    EXPECT_EQ(session.devices.vorlanex.name, "usb:B");
    EXPECT_EQ(session.devices.usbasp.name, "usbasp");
}

}  // namespace
}  // namespace vorlanex
