// The emulated controllers on the testbed: each appears as the device of its
// current face, and after a restart vanishes and comes back (with a new
// device address, as on a real bus) after the restart delay.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/options.h"
#include "sim/scheduler.h"
#include "sim/testbed.h"
#include "sim/usbfs.h"

namespace vorlanex::sim {

class Simulation {
  public:
    /// `options` must outlive the simulation.
    explicit Simulation(const Options& options);

    /// Attaches every controller in the start face (none with --start none);
    /// false after a message.
    bool start();

    const std::string& root() const { return testbed_.root(); }
    const Journal& journal() const { return journal_; }
    const Controller& first_controller() const { return slots_.front()->controller; }

  private:
    struct Slot {
        Controller controller;
        int port;
        bool openable;
        UsbDeviceSpec spec;
        std::optional<std::string> syspath;  ///< set while attached
        std::unique_ptr<UsbfsNode> node;
    };

    bool attach(Slot& slot);
    void detach(Slot& slot);
    void restart(Slot& slot, Face face);

    const Options& options_;
    Journal journal_;
    Testbed testbed_;
    std::vector<std::unique_ptr<Slot>> slots_;  // stable addresses for the callbacks
    Scheduler scheduler_;                       // dropped first: its jobs refer to the slots
    int next_address_ = 2;
};

}  // namespace vorlanex::sim
