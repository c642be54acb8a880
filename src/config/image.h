// The binary configuration image: the form that .bin files hold and that the
// controller receives.
//
//   image    := 1C CF record* FF
//   record   := FB ports clock data latch enable      expansion
//             | FD byte* 00                            string (at most 4095 bytes)
//             | FC b0 b1 b2 b3                         long value, little-endian
//             | key times n (action policy port mask data){n}   binding
//
// Any tag other than FB, FC, FD and FF opens a binding record, FE (the
// immediate binding) included. Strings and longs are numbered in record order.
// The writer puts the expansion first, then the bindings, strings and longs.
#pragma once

#include <cstdint>
#include <vector>

#include "config/config.h"
#include "config/stream.h"
#include "strings/messages.h"

namespace vorlanex {

inline constexpr std::uint8_t CONFIG_MAGIC[2] = {0x1C, 0xCF};
inline constexpr std::size_t kMaxImageString = 4095;

/// Appends the whole image of the configuration.
void Config_write(const Config& config, std::vector<std::uint8_t>& out);

void Binding_write(const Binding& binding, std::vector<std::uint8_t>& out);
void Command_write(const Command& command, std::vector<std::uint8_t>& out);
/// The five bytes after the expansion tag.
void Expansion_write(const Expansion& expansion, std::vector<std::uint8_t>& out);

enum class ReadResult {
    NotAnImage,  ///< no magic: the stream is left for the text parser
    Image,       ///< records up to the end tag, or the end of the input, were read
    Broken,      ///< the input ends inside a record or passes a limit
};

/// Reads an image into `config`, which should be empty. A broken image adds
/// one "error: " message; what was read before stays in `config`, which the
/// caller discards.
ReadResult Config_read(Config& config, InputStream& in, Messages& messages);

}  // namespace vorlanex
