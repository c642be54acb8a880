#include "sim/controller.h"

#include <algorithm>

#include "vorlanex/devices.h"
#include "vorlanex/requests.h"

namespace vorlanex::sim {

namespace {

constexpr std::uint8_t kTypeMask = 0x60;
constexpr std::uint8_t kTypeStandard = 0x00;
constexpr std::uint8_t kTypeVendor = 0x40;

constexpr std::uint8_t kGetDescriptor = 6;
constexpr std::uint8_t kDescriptorDevice = 1;
constexpr std::uint8_t kDescriptorConfiguration = 2;
constexpr std::uint8_t kDescriptorString = 3;

constexpr std::uint8_t kManufacturerIndex = 1;
constexpr std::uint8_t kProductIndex = 2;
constexpr std::uint8_t kSerialIndex = 3;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;

constexpr std::size_t kDeviceDescriptorSize = 18;

std::uint8_t low(std::uint16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t high(std::uint16_t value) {
    return static_cast<std::uint8_t>(value >> 8);
}

// A string descriptor holds UTF-16LE; the texts here are ASCII.
std::vector<std::uint8_t> string_descriptor(std::string_view text) {
    std::vector<std::uint8_t> descriptor = {static_cast<std::uint8_t>(2 + 2 * text.size()),
                                            kDescriptorString};
    for (const char c : text) {
        descriptor.push_back(static_cast<std::uint8_t>(c));
        descriptor.push_back(0);
    }
    return descriptor;
}

std::vector<std::uint8_t> cut(std::vector<std::uint8_t> bytes, std::size_t limit) {
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
}

Answer stall() {
    Answer answer;
    answer.stall = true;
    return answer;
}

Answer accept(std::size_t count, std::optional<Face> restart_into = std::nullopt) {
    Answer answer;
    answer.accepted = count;
    answer.restart_into = restart_into;
    return answer;
}

Answer reply(std::vector<std::uint8_t> bytes, std::size_t limit) {
    Answer answer;
    answer.reply = cut(std::move(bytes), limit);
    return answer;
}

}  // namespace

std::string_view face_name(Face face) {
    return face == Face::Configurator ? "configurator" : "bootloader";
}

SetupPacket SetupPacket_parse(std::span<const std::uint8_t, kSetupSize> packet) {
    const auto word = [&](std::size_t at) {
        return static_cast<std::uint16_t>(packet[at] | packet[at + 1] << 8);
    };
    return SetupPacket{packet[0], packet[1], word(2), word(4), word(6)};
}

Controller::Controller(std::optional<std::string> serial, Face face, std::string identification,
                       std::vector<Fault> faults, Journal& journal)
    : serial_(std::move(serial)),
      face_(face),
      identification_(std::move(identification)),
      faults_(std::move(faults)),
      answered_(faults_.size(), 0),
      journal_(journal) {}

std::vector<std::uint8_t> Controller::descriptors() const {
    const bool configurator = face_ == Face::Configurator;
    const std::uint16_t vendor = configurator ? kConfiguratorVendorId : kBootloaderVendorId;
    const std::uint16_t product = configurator ? kConfiguratorProductId : kBootloaderProductId;
    const std::uint8_t serial_index = configurator && serial_ ? kSerialIndex : 0;
    return {// device: USB 1.1, vendor class, 8-byte control endpoint, release 1.06
            18, kDescriptorDevice, 0x10, 0x01, 0xFF, 0x00, 0x00, 8, low(vendor), high(vendor),
            low(product), high(product), 0x06, 0x01, kManufacturerIndex, kProductIndex,
            serial_index, 1,
            // configuration 1: one interface, bus-powered, 100 mA
            9, kDescriptorConfiguration, 18, 0, 1, 1, 0, 0x80, 50,
            // interface 0: no endpoints besides the control endpoint
            9, 4, 0, 0, 0, 0xFF, 0, 0, 0};
}

Answer Controller::handle(const SetupPacket& setup, std::span<const std::uint8_t> out_data) {
    switch (setup.request_type & kTypeMask) {
        case kTypeStandard:
            return handle_standard(setup);
        case kTypeVendor:
            return handle_vendor(setup, out_data);
        default:
            return stall();
    }
}

std::optional<std::string> Controller::string_descriptor_text(std::uint8_t index) const {
    const bool configurator = face_ == Face::Configurator;
    switch (index) {
        case kManufacturerIndex:
            return "vorlanex";
        case kProductIndex:
            return configurator ? "Vorlanex (simulated)" : "Vorlanex bootloader (simulated)";
        case kSerialIndex:
            if (configurator) return serial_;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

Answer Controller::handle_standard(const SetupPacket& setup) const {
    if (setup.request != kGetDescriptor || !setup.is_in()) return stall();
    const std::uint8_t type = high(setup.value);
    const std::uint8_t index = low(setup.value);
    std::vector<std::uint8_t> descriptor;
    const std::vector<std::uint8_t> all = descriptors();
    if (type == kDescriptorDevice) {
        descriptor.assign(all.begin(), all.begin() + kDeviceDescriptorSize);
    } else if (type == kDescriptorConfiguration) {
        descriptor.assign(all.begin() + kDeviceDescriptorSize, all.end());
    } else if (type == kDescriptorString && index == 0) {
        descriptor = {4, kDescriptorString, low(kLanguageEnglishUs), high(kLanguageEnglishUs)};
    } else if (type == kDescriptorString) {
        const std::optional<std::string> text = string_descriptor_text(index);
        if (!text) return stall();
        descriptor = string_descriptor(*text);
    } else {
        return stall();
    }
    return reply(std::move(descriptor), setup.length);
}

const Fault* Controller::fault_for(std::uint8_t request) const {
    for (const Fault& fault : faults_) {
        if (fault.face == face_ && fault.request == request) return &fault;
    }
    return nullptr;
}

Answer Controller::handle_vendor(const SetupPacket& setup, std::span<const std::uint8_t> out_data) {
    const Fault* fault = fault_for(setup.request);
    const Answer answer =
        !fault ? face_request(setup, out_data)
        : fault->vanish_after
            ? vanishing_request(static_cast<std::size_t>(fault - faults_.data()), setup, out_data)
            : faulty_request(*fault, setup, out_data);
    std::vector<std::uint8_t> taken =
        setup.is_in()
            ? answer.reply
            : std::vector<std::uint8_t>(out_data.begin(), out_data.begin() + answer.accepted);
    journal_.push_back({face_, serial_, setup.request, setup.value, setup.index, std::move(taken),
                        std::chrono::steady_clock::now()});
    return answer;
}

Answer Controller::vanishing_request(std::size_t fault, const SetupPacket& setup,
                                     std::span<const std::uint8_t> out_data) {
    Answer answer = face_request(setup, out_data);
    if (++answered_[fault] == *faults_[fault].vanish_after) {
        answer.restart_into.reset();
        answer.vanish = true;
    }
    return answer;
}

Answer Controller::faulty_request(const Fault& fault, const SetupPacket& setup,
                                  std::span<const std::uint8_t> out_data) {
    if (fault.hang) {
        Answer answer;
        answer.hang = true;
        return answer;
    }
    if (!fault.short_count) return stall();
    if (!setup.is_in()) return accept(std::min(out_data.size(), *fault.short_count));
    Answer answer = face_request(setup, out_data);
    answer.reply = cut(std::move(answer.reply), *fault.short_count);
    answer.restart_into.reset();
    return answer;
}

Answer Controller::face_request(const SetupPacket& setup, std::span<const std::uint8_t> out_data) {
    return face_ == Face::Configurator ? configurator_request(setup, out_data)
                                       : bootloader_request(setup, out_data);
}

Answer Controller::configurator_request(const SetupPacket& setup,
                                        std::span<const std::uint8_t> out_data) {
    switch (setup.request) {
        case REQUEST_RUN:
            return accept(out_data.size());
        case REQUEST_IDENTIFY: {
            std::vector<std::uint8_t> text(identification_.begin(), identification_.end());
            text.push_back(0);
            return reply(std::move(text), std::min<std::size_t>(setup.length, kIdentificationSize));
        }
        case REQUEST_CONFIGURE:
            if (out_data.size() == 2 && out_data[0] == 0 && out_data[1] == 0) {
                stored_.clear();
                return accept(out_data.size(), Face::Configurator);
            }
            stored_.assign(out_data.begin(), out_data.end());
            return accept(out_data.size());
        case REQUEST_BOOTLOADER:
            return accept(out_data.size(), Face::Bootloader);
        case REQUEST_RESET:
            return accept(out_data.size(), Face::Configurator);
        default:
            return stall();
    }
}

Answer Controller::bootloader_request(const SetupPacket& setup,
                                      std::span<const std::uint8_t> out_data) {
    switch (setup.request) {
        case USBASP_CONNECT:
            return accept(out_data.size());
        case USBASP_WRITEFLASH: {
            const std::size_t offset = setup.value | static_cast<std::size_t>(setup.index) << 16;
            if (flash_.size() < offset + out_data.size())
                flash_.resize(offset + out_data.size(), 0xFF);
            std::copy(out_data.begin(), out_data.end(), flash_.begin() + static_cast<long>(offset));
            return accept(out_data.size());
        }
        case USBASP_DISCONNECT:
            return accept(out_data.size(), Face::Configurator);
        default:
            return stall();
    }
}

}  // namespace vorlanex::sim
