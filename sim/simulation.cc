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

Simulation::Simulation(const Options& options) : options_(options) {
    // libusb lists the devices of a bus by descending port (the reverse of
    // udev's order), so the first controller takes the highest port and stays
    // first across restarts.
    int port = static_cast<int>(options.controllers.size());
    for (const ControllerSetup& setup : options.controllers) {
        slots_.push_back(std::make_unique<Slot>(
            Slot{Controller(setup.serial, options.start.value_or(Face::Configurator),
                            identification_for(options, setup), options.faults, journal_),
                 port--,
                 setup.openable,
                 {},
                 std::nullopt,
                 nullptr}));
    }
}

bool Simulation::start() {
    if (!options_.start) return true;
    for (const auto& slot : slots_) {
        if (!attach(*slot)) return false;
    }
    return true;
}

bool Simulation::attach(Slot& slot) {
    slot.spec =
        UsbDeviceSpec{slot.port, next_address_, slot.controller.descriptors(), slot.openable};
    next_address_ = next_address_ == kLastAddress ? kFirstAddress : next_address_ + 1;
    slot.syspath = testbed_.add_usb_device(slot.spec);
    if (!slot.syspath) return false;
    if (!slot.openable) return true;
    slot.node = std::make_unique<UsbfsNode>(testbed_, Testbed::devnode(slot.spec), slot.controller,
                                            [this, &slot](Face face) { restart(slot, face); });
    return slot.node->attached();
}

void Simulation::detach(Slot& slot) {
    slot.node.reset();
    if (slot.syspath) testbed_.remove_usb_device(*slot.syspath, slot.spec);
    slot.syspath.reset();
}

// Called while the node serves the program, so the node goes only once the
// loop is idle again.
void Simulation::restart(Slot& slot, Face face) {
    scheduler_.after(0, [this, &slot, face] {
        detach(slot);
        if (!options_.comes_back) return;
        scheduler_.after(options_.restart_ms, [this, &slot, face] {
            slot.controller.restart(face);
            attach(slot);
        });
    });
}

}  // namespace vorlanex::sim
