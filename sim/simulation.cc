#include "sim/simulation.h"

namespace vorlanex::sim {

namespace {

constexpr int kFirstAddress = 2;  // 1 is the root hub's
constexpr int kLastAddress = 127;

std::string identification_for(const Options& options, const ControllerSetup& setup) {
    if (options.identification) return *options.identification;
    return setup.serial ? "vorlanex-sim " + *setup.serial : "vorlanex-sim";
}

}  // namespace

Simulation::Slot::Slot(Simulation& simulation, const ControllerSetup& setup, int hub_port)
    : controller(setup.serial,
                 setup.in_bootloader ? Face::Bootloader
                                     : simulation.options_.start.value_or(Face::Configurator),
                 identification_for(simulation.options_, setup), simulation.options_.faults,
                 simulation.journal_),
      port(hub_port),
      openable(setup.openable),
      node(
          simulation.testbed_, controller, simulation.lock_,
          [&simulation, this](std::optional<Face> face) { simulation.restart(*this, face); },
          simulation.options_.vanish_after_opens) {}

Simulation::Simulation(const Options& options) : options_(options) {
    // libusb lists the devices of a bus by descending port (the reverse of
    // udev's order), so the first controller takes the highest port and stays
    // first across restarts.
    int port = static_cast<int>(options.controllers.size());
    for (const ControllerSetup& setup : options.controllers) {
        slots_.push_back(std::make_unique<Slot>(*this, setup, port--));
    }
}

bool Simulation::start() {
    if (!options_.start) return true;
    const std::lock_guard held(lock_);
    for (const auto& slot : slots_) {
        if (!attach(*slot)) return false;
    }
    return true;
}

Journal Simulation::journal() {
    const std::lock_guard held(lock_);
    return journal_;
}

std::vector<std::uint8_t> Simulation::first_flash() {
    const std::lock_guard held(lock_);
    return slots_.front()->controller.flash();
}

bool Simulation::attach(Slot& slot) {
    slot.spec =
        UsbDeviceSpec{slot.port, next_address_, slot.controller.descriptors(), slot.openable};
    next_address_ = next_address_ == kLastAddress ? kFirstAddress : next_address_ + 1;
    slot.syspath = testbed_.add_usb_device(slot.spec);
    if (!slot.syspath) return false;
    return !slot.openable || slot.node.attach(Testbed::devnode(slot.spec));
}

void Simulation::detach(Slot& slot) {
    slot.node.vanish();
    if (slot.syspath) testbed_.remove_usb_device(*slot.syspath, slot.spec);
    slot.syspath.reset();
}

// Called while the program is being answered. The device goes at once (its
// node keeps answering late ioctls with ENODEV), so that no later look at the
// bus finds it; only its coming back waits for the main loop.
void Simulation::restart(Slot& slot, std::optional<Face> asked) {
    const Face face = options_.return_as.value_or(asked.value_or(Face::Configurator));
    detach(slot);
    if (!asked || !options_.comes_back) return;
    scheduler_.after(options_.restart_ms / options_.time_scale, [this, &slot, face] {
        const std::lock_guard held(lock_);
        slot.controller.restart(face);
        attach(slot);
    });
}

}  // namespace vorlanex::sim
