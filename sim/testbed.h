// The umockdev testbed: a private sysfs and /dev in which the emulated USB
// devices appear and vanish, and the environment that lets a program see them.
#pragma once

#include <umockdev.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorlanex::sim {

/// A bus number no real machine has, so that nothing of the host's /dev
/// shows through.
inline constexpr int kBus = 42;

struct UsbDeviceSpec {
    int port = 1;     ///< the hub port: one per controller
    int address = 2;  ///< device address on the bus
    std::vector<std::uint8_t> descriptors;
    bool openable = true;  ///< false: a directory stands where the device node should be
};

class Testbed {
  public:
    Testbed();
    ~Testbed();
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    UMockdevTestbed* get() const { return testbed_; }
    /// The root that UMOCKDEV_DIR names for the program.
    const std::string& root() const { return root_; }

    /// Adds the device; its sysfs path, or none after a message.
    std::optional<std::string> add_usb_device(const UsbDeviceSpec& spec);
    void remove_usb_device(const std::string& syspath, const UsbDeviceSpec& spec);

    /// The device node's path as the program sees it.
    static std::string devnode(const UsbDeviceSpec& spec);

  private:
    UMockdevTestbed* testbed_;
    std::string root_;
};

/// The environment of the program: the preload and the testbed's root added,
/// and the time scale when it is not 1 (an inherited one is dropped, so that
/// only the option shortens the program's waits).
std::vector<std::string> program_environment(const std::string& root, unsigned time_scale);

}  // namespace vorlanex::sim
