// One emulated device node: answers the usbfs ioctls that libusb makes on
// /dev/bus/usb/BBB/DDD and hands control transfers to the controller.
#pragma once

#include <umockdev.h>

#include <deque>
#include <functional>
#include <memory>
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
    /// Called once the program has collected the transfer after which the
    /// controller restarts. The node may be destroyed only after the handler
    /// returns, so this should schedule the restart rather than do it.
    using RestartRequest = std::function<void(Face)>;

    /// Serves the node `devnode` of the testbed; false from attached() when
    /// umockdev refused.
    UsbfsNode(Testbed& testbed, std::string devnode, Controller& controller,
              RestartRequest restart);
    ~UsbfsNode();
    UsbfsNode(const UsbfsNode&) = delete;
    UsbfsNode& operator=(const UsbfsNode&) = delete;

    bool attached() const { return attached_; }

  private:
    static gboolean on_ioctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client,
                             gpointer self);
    void handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client);
    void reap(UMockdevIoctlClient* client);
    void capabilities(UMockdevIoctlClient* client);

    struct Completed {
        DataRef urb;
        std::optional<Face> restart_into;
    };

    Testbed& testbed_;
    std::string devnode_;
    Controller& controller_;
    RestartRequest restart_;
    UMockdevIoctlBase* handler_;
    bool attached_ = false;
    std::deque<Completed> completed_;
};

}  // namespace vorlanex::sim
