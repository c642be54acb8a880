// Intel HEX text into the flat image that the bootloader writes to flash.
//
// The text is a sequence of records, each ":" count address type data checksum
// in pairs of hexadecimal digits of either case. Every other character (line
// ends, blanks, anything before the first colon) is skipped wherever it
// stands, so a record split by blanks or line breaks reads as one.
//
//   00 data                 bytes at (segment * 16 + linear base + address)
//   01 end of file          required; records after it are still read
//   02 extended segment     segment for the records that follow
//   04 extended linear      bits 16-31 of the address for the records that follow
//   03, 05, 06, 07          read and checked, otherwise unused
//   08 and above            dropped up to the next colon
//
// A file that could put a wrong byte into flash is refused as a whole: a record
// whose checksum does not match, a record cut short (by a colon or the end of
// the text) before its checksum, a data byte at or beyond IHEX_IMAGE_SIZE, and
// a text without an end-of-file record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorlanex {

/// The flash that an image covers; the byte for address A is at index A.
inline constexpr std::uint32_t IHEX_IMAGE_SIZE = 0x20000;
/// The start address of a conversion that met no data.
inline constexpr std::uint32_t IHEX_NO_DATA = 0xFFFFFFFF;

struct HexImage {
    std::vector<std::uint8_t> bytes;     ///< IHEX_IMAGE_SIZE bytes, 0xFF where no record gave data
    std::uint32_t size = 0;              ///< one past the highest data address minus `start`
    std::uint32_t start = IHEX_NO_DATA;  ///< the lowest data address
};

struct HexError {
    std::string reason;  ///< lower case, no line end: "record checksum does not match"
    int line = 0;        ///< the line of the text where the record in question begins
};

/// Either the image or why not.
struct HexResult {
    std::optional<HexImage> image;
    HexError error;  ///< meaningful only without an image
};

/// Converts the whole text of an Intel HEX file.
HexResult readhex(std::span<const std::uint8_t> text);

// The state machine below `readhex`: it takes the text in chunks of any size.

/// Where the reader stands in the record it reads; the digits come in pairs,
/// high nibble first.
enum class HexState : std::uint8_t {
    Idle,  ///< waiting for a colon; digits are ignored
    CountHigh,
    CountLow,
    AddressHighHigh,  ///< the address field is sent high byte first
    AddressHighLow,
    AddressLowHigh,
    AddressLowLow,
    TypeHigh,
    TypeLow,
    DataHigh,  ///< a data byte, or the checksum once `length` reaches `line_length`
    DataLow,
    Complete,  ///< the checksum byte has been read
};

struct HexReader {
    // The record being read.
    std::uint32_t address = 0;  ///< bits 0-15 from the record, 16-31 from the last type 04
    std::uint16_t segment = 0;  ///< from the last type 02
    std::uint8_t type = 0;
    HexState state = HexState::Idle;
    std::uint8_t line_length = 0;          ///< the record's byte count
    std::uint8_t length = 0;               ///< data bytes stored so far
    std::array<std::uint8_t, 256> data{};  ///< data bytes, then the checksum at `line_length`
    std::uint8_t pending = 0;              ///< the high nibble of the byte being read

    // Where the reader stands in the text.
    int line = 1;         ///< the line of the next character
    int last_line = 1;    ///< the line of the last character read
    int record_line = 1;  ///< the line of the current record's colon

    // What the conversion has built.
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(IHEX_IMAGE_SIZE, 0xFF);
    std::uint32_t lowest = IHEX_NO_DATA;  ///< lowest data address
    std::uint32_t end = 0;                ///< one past the highest data address
    bool successful = false;              ///< an end-of-file record was handled
    std::optional<HexError> error;        ///< the first failure; the rest of the text is ignored
};

/// Gives the characters to `ihex_read_byte` one by one.
void ihex_read_bytes(HexReader& reader, std::span<const std::uint8_t> characters);
/// One character: a digit advances the record, a colon ends the record in
/// progress and starts the next, anything else is skipped.
void ihex_read_byte(HexReader& reader, std::uint8_t character);
/// Ends the record in progress: a complete one is checked and handled, one cut
/// short fails the conversion, none does nothing.
void ihex_end_read(HexReader& reader);
/// Handles a complete record of `type`; false, with the error set, when the
/// conversion fails.
bool ihex_data_read(HexReader& reader, std::uint8_t type, bool checksum_ok);

}  // namespace vorlanex
