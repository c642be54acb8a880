#include "sim/testbed.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "sim/text.h"
#include "usb/timescale.h"

extern char** environ;

namespace vorlanex::sim {

namespace {

constexpr int kUsbDeviceMajor = 189;

// Where the device sits in sysfs: its hub port on the bus.
std::string device_path(const UsbDeviceSpec& spec) {
    return printed("/devices/pci0000:00/0000:00:14.0/usb%d/%d-%d", kBus, kBus, spec.port);
}

// A device in umockdev's record format. The ASCII attributes end in a line
// feed as in a real sysfs; libusb warns on every enumeration otherwise. The
// dev attribute lets umockdev remove the device node with the device.
std::string device_record(const UsbDeviceSpec& spec) {
    const std::string node = printed("bus/usb/%03d/%03d", kBus, spec.address);
    std::string record = "P: " + device_path(spec) + "\n";
    if (spec.openable) record += "N: " + node + "\n";
    record += "E: SUBSYSTEM=usb\n";
    record += "E: DEVTYPE=usb_device\n";
    record += "E: DEVNAME=/dev/" + node + "\n";
    record += printed("E: BUSNUM=%03d\nE: DEVNUM=%03d\n", kBus, spec.address);
    record += printed("A: busnum=%d\\n\nA: devnum=%d\\n\n", kBus, spec.address);
    record += "A: speed=12\\n\nA: bConfigurationValue=1\\n\n";
    record += printed("A: dev=%d:%d\\n\n", kUsbDeviceMajor, (kBus - 1) * 128 + spec.address - 1);
    record += "H: descriptors=" + hex(spec.descriptors) + "\n";
    return record;
}

std::string with_added(std::string_view variable, const char* value, std::string_view addition,
                       char separator) {
    std::string entry(variable);
    entry += '=';
    if (value && *value) {
        entry += value;
        entry += separator;
    }
    entry += addition;
    return entry;
}

}  // namespace

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    root_ = root;
    g_free(root);
}

Testbed::~Testbed() {
    g_object_unref(testbed_);
}

std::string Testbed::devnode(const UsbDeviceSpec& spec) {
    return printed("/dev/bus/usb/%03d/%03d", kBus, spec.address);
}

namespace {

// umockdev announces every device it adds or removes with a uevent. Where
// /sys is not mounted (a chroot) it cannot, and says so on standard error,
// which the program under test shares. Nothing here listens to uevents (each
// libusb cycle enumerates afresh), so that complaint is kept out of the
// program's output.
class UeventComplaintsSilenced {
  public:
    UeventComplaintsSilenced() : saved_(::dup(STDERR_FILENO)) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~UeventComplaintsSilenced() {
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    UeventComplaintsSilenced(const UeventComplaintsSilenced&) = delete;
    UeventComplaintsSilenced& operator=(const UeventComplaintsSilenced&) = delete;

  private:
    int saved_;
};

}  // namespace

std::optional<std::string> Testbed::add_usb_device(const UsbDeviceSpec& spec) {
    GError* error = nullptr;
    bool added = false;
    {
        const UeventComplaintsSilenced quiet;
        added = umockdev_testbed_add_from_string(testbed_, device_record(spec).c_str(), &error);
    }
    if (!added) {
        std::fprintf(stderr, "vorlanex-sim: could not add a device: %s\n", error->message);
        g_error_free(error);
        return std::nullopt;
    }
    if (!spec.openable) {
        std::error_code ignored;
        std::filesystem::create_directories(root_ + devnode(spec), ignored);
    }
    return "/sys" + device_path(spec);
}

void Testbed::remove_usb_device(const std::string& syspath, const UsbDeviceSpec& spec) {
    {
        const UeventComplaintsSilenced quiet;
        umockdev_testbed_remove_device(testbed_, syspath.c_str());
    }
    if (!spec.openable) {
        std::error_code ignored;
        std::filesystem::remove(root_ + devnode(spec), ignored);
    }
}

std::vector<std::string> program_environment(const std::string& root, unsigned time_scale) {
    const std::string scale_prefix = std::string(kTimescaleVariable) + "=";
    std::vector<std::string> environment;
    const char* preload = nullptr;
    const char* asan = nullptr;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (text.starts_with("LD_PRELOAD=")) {
            preload = *entry + 11;
        } else if (text.starts_with("ASAN_OPTIONS=")) {
            asan = *entry + 13;
        } else if (!text.starts_with("UMOCKDEV_DIR=") && !text.starts_with(scale_prefix)) {
            environment.emplace_back(text);
        }
    }
    environment.push_back(with_added("LD_PRELOAD", preload, "libumockdev-preload.so.0", ':'));
    environment.push_back("UMOCKDEV_DIR=" + root);
    // A program built with AddressSanitizer refuses to start when another
    // library is preloaded before the runtime.
    environment.push_back(with_added("ASAN_OPTIONS", asan, "verify_asan_link_order=0", ':'));
    if (time_scale != 1) environment.push_back(scale_prefix + std::to_string(time_scale));
    return environment;
}

}  // namespace vorlanex::sim
