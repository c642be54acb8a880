// The emulated controllers on the testbed: each appears as the device of its
// current face, and after a restart vanishes and comes back (with a new
// device address, as on a real bus) after the restart delay.
//
// The program's requests are served on umockdev's thread, restarts on the
// main loop's: one lock guards the controllers, the journal and the testbed.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
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
    /// When the simulation was made: the origin of the log's times.
    std::chrono::steady_clock::time_point started() const { return started_; }
    /// What the controllers received; a copy, taken under the lock.
    Journal journal();
    /// The flash of the first controller; a copy, taken under the lock.
    std::vector<std::uint8_t> first_flash();

  private:
    struct Slot {
        Slot(Simulation& simulation, const ControllerSetup& setup, int port);

        Controller controller;
        int port;
        bool openable;
        UsbDeviceSpec spec;
        std::optional<std::string> syspath;  ///< set while attached
        UsbfsNode node;
    };

    bool attach(Slot& slot);
    void detach(Slot& slot);
    void restart(Slot& slot, std::optional<Face> face);

    const Options& options_;
    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::mutex lock_;
    Journal journal_;
    Testbed testbed_;
    std::vector<std::unique_ptr<Slot>> slots_;  // stable addresses for the callbacks
    Scheduler scheduler_;                       // dropped first: its jobs refer to the slots
    int next_address_ = 2;
};

}  // namespace vorlanex::sim
