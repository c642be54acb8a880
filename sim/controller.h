// The emulated controller: its two faces as USB devices, and what each face
// does with the control transfers it receives. No emulation here, only the
// behaviour, so that tests can drive it directly.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex::sim {

enum class Face { Configurator, Bootloader };

/// "configurator" or "bootloader".
std::string_view face_name(Face face);

/// The setup packet of a control transfer.
struct SetupPacket {
    std::uint8_t request_type = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;

    bool is_in() const { return (request_type & 0x80) != 0; }
};

inline constexpr std::size_t kSetupSize = 8;
SetupPacket SetupPacket_parse(std::span<const std::uint8_t, kSetupSize> packet);

/// A vendor request as a controller took it.
struct Received {
    Face face = Face::Configurator;
    std::optional<std::string> serial;  ///< of the controller that took it
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::vector<std::uint8_t> data;              ///< the OUT data taken, or the IN reply
    std::chrono::steady_clock::time_point at{};  ///< when it arrived
};
using Journal = std::vector<Received>;

/// A vendor request that a face does not answer as it should: a stall, or
/// (with a count) a reply or acceptance of at most that many bytes. A faulty
/// request has no further effect. A vanishing request is the exception: it
/// is answered as usual, and the device vanishes for good once it has
/// answered it that many times.
struct Fault {
    Face face = Face::Configurator;
    std::uint8_t request = 0;
    std::optional<std::size_t> short_count;  ///< none: stall (or hang)
    bool hang = false;                       ///< never answered: the program's time-out runs
    std::optional<std::size_t> vanish_after = std::nullopt;  ///< answered as usual, then gone
};

/// What the controller makes of one control transfer.
struct Answer {
    bool stall = false;
    bool hang = false;  ///< the transfer stays pending until the program gives up on it
    std::vector<std::uint8_t> reply;  ///< IN: the bytes sent back
    std::size_t accepted = 0;         ///< OUT: the bytes taken
    /// After this transfer the device vanishes and comes back as this face.
    std::optional<Face> restart_into;
    bool vanish = false;  ///< after this transfer the device vanishes for good
};

class Controller {
  public:
    /// Vendor requests are recorded in `journal`, which must outlive the controller.
    Controller(std::optional<std::string> serial, Face face, std::string identification,
               std::vector<Fault> faults, Journal& journal);

    Face face() const { return face_; }
    const std::optional<std::string>& serial() const { return serial_; }
    /// Comes up again after a restart.
    void restart(Face face) { face_ = face; }

    /// Device, configuration and interface descriptor of the current face, as
    /// sysfs shows them.
    std::vector<std::uint8_t> descriptors() const;

    Answer handle(const SetupPacket& setup, std::span<const std::uint8_t> out_data);

    /// The flash as the bootloader wrote it: up to the end of the last block
    /// written, gaps erased (0xFF).
    const std::vector<std::uint8_t>& flash() const { return flash_; }
    /// The configuration image last stored; empty when none is active.
    const std::vector<std::uint8_t>& stored() const { return stored_; }

  private:
    Answer handle_standard(const SetupPacket& setup) const;
    Answer handle_vendor(const SetupPacket& setup, std::span<const std::uint8_t> out_data);
    Answer vanishing_request(std::size_t fault, const SetupPacket& setup,
                             std::span<const std::uint8_t> out_data);
    Answer faulty_request(const Fault& fault, const SetupPacket& setup,
                          std::span<const std::uint8_t> out_data);
    Answer face_request(const SetupPacket& setup, std::span<const std::uint8_t> out_data);
    Answer configurator_request(const SetupPacket& setup, std::span<const std::uint8_t> out_data);
    Answer bootloader_request(const SetupPacket& setup, std::span<const std::uint8_t> out_data);
    std::optional<std::string> string_descriptor_text(std::uint8_t index) const;
    const Fault* fault_for(std::uint8_t request) const;

    std::optional<std::string> serial_;
    Face face_;
    std::string identification_;
    std::vector<Fault> faults_;
    std::vector<std::size_t> answered_;  ///< per fault, for the vanishing ones
    Journal& journal_;
    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> stored_;
};

}  // namespace vorlanex::sim
