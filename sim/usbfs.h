// The device node of one controller: answers the usbfs ioctls that libusb
// makes on /dev/bus/usb/BBB/DDD and hands control transfers to the controller.
//
// umockdev serves the ioctls on a thread of its own; every call into the
// controller is made with the simulation's lock held. The object lives as
// long as the simulation, across restarts (each of which gives the device a
// new node), so that an ioctl still on its way after the device vanished finds it.
#pragma once

#include <umockdev.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "sim/controller.h"
#include "sim/testbed.h"

namespace vorlanex::sim {

struct DataUnref {
    void operator()(UMockdevIoctlData* data) const { g_object_unref(data); }
};
/// One reference to data of the program's memory.
using DataRef = std::unique_ptr<UMockdevIoctlData, DataUnref>;

class UsbfsNode {
  public:
    /// Called, with the lock held, once the program has collected the
    /// transfer after which the controller restarts (none: it vanishes for
    /// good). It may make the node vanish but must not detach it: the
    /// program is still being answered.
    using RestartRequest = std::function<void(std::optional<Face>)>;

    /// With `vanish_after_opens`, the device vanishes once the program has
    /// opened it that many times.
    UsbfsNode(Testbed& testbed, Controller& controller, std::mutex& lock, RestartRequest restart,
              std::optional<unsigned> vanish_after_opens = std::nullopt);
    ~UsbfsNode();
    UsbfsNode(const UsbfsNode&) = delete;
    UsbfsNode& operator=(const UsbfsNode&) = delete;

    /// Serves `devnode` from now on; false after a message. Call with the lock held.
    bool attach(const std::string& devnode);
    /// The device is gone: from now on every open and transfer fails with
    /// ENODEV, until the next attach. Call with the lock held, before the
    /// device is removed.
    void vanish();
    /// Stops serving. Call with the lock held.
    void detach();

  private:
    static gboolean on_ioctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client,
                             gpointer self);
    void handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client);
    void reap(UMockdevIoctlClient* client);
    void capabilities(UMockdevIoctlClient* client);
    void discard(UMockdevIoctlClient* client);

    struct Completed {
        DataRef urb;
        std::optional<Face> restart_into;
        bool vanish = false;
    };

    Testbed& testbed_;
    Controller& controller_;
    std::mutex& lock_;
    RestartRequest restart_;
    std::optional<unsigned> vanish_after_opens_;
    unsigned opens_ = 0;
    bool gone_ = false;                     ///< vanished; the handler stays to answer late ioctls
    std::string devnode_;                   ///< empty while detached
    UMockdevIoctlBase* handler_ = nullptr;  ///< one per attachment
    std::deque<Completed> completed_;
    std::deque<DataRef> pending_;  ///< transfers never answered, until discarded
};

}  // namespace vorlanex::sim
