#include "intelhex/intelhex.h"

#include <algorithm>
#include <cstdio>

namespace vorlanex {

namespace {

constexpr std::uint8_t TYPE_DATA = 0x00;
constexpr std::uint8_t TYPE_END_OF_FILE = 0x01;
constexpr std::uint8_t TYPE_EXTENDED_SEGMENT = 0x02;
constexpr std::uint8_t TYPE_EXTENDED_LINEAR = 0x04;
constexpr std::uint8_t TYPE_LAST = 0x07;

bool fail(HexReader& reader, std::string reason, int line) {
    if (!reader.error) reader.error = HexError{std::move(reason), line};
    return false;
}

bool fail(HexReader& reader, std::string reason) {
    return fail(reader, std::move(reason), reader.record_line);
}

std::optional<std::uint8_t> hex_digit(std::uint8_t character) {
    if (character >= '0' && character <= '9') return character - '0';
    if (character >= 'A' && character <= 'F') return character - 'A' + 10;
    if (character >= 'a' && character <= 'f') return character - 'a' + 10;
    return std::nullopt;
}

std::uint8_t expected_checksum(const HexReader& reader) {
    unsigned sum =
        reader.length + (reader.address & 0xFF) + ((reader.address >> 8) & 0xFF) + reader.type;
    for (std::uint8_t i = 0; i < reader.length; ++i) sum += reader.data[i];
    return static_cast<std::uint8_t>(-sum);
}

std::uint16_t first_word(const HexReader& reader) {
    return static_cast<std::uint16_t>(reader.data[0] << 8 | reader.data[1]);
}

bool store_data(HexReader& reader) {
    if (reader.length == 0) return true;
    // Wide enough that no segment, base and offset can wrap around into the image.
    const std::uint64_t first = std::uint64_t{reader.segment} * 16 + reader.address;
    const std::uint64_t end = first + reader.length;
    if (end > IHEX_IMAGE_SIZE) {
        char reason[80];
        std::snprintf(
            reason, sizeof reason, "data address 0x%llX is outside the 128 KiB image",
            static_cast<unsigned long long>(std::max<std::uint64_t>(first, IHEX_IMAGE_SIZE)));
        return fail(reader, reason);
    }
    std::copy_n(reader.data.begin(), reader.length, reader.image.begin() + first);
    reader.lowest = std::min(reader.lowest, static_cast<std::uint32_t>(first));
    reader.end = std::max(reader.end, static_cast<std::uint32_t>(end));
    return true;
}

void take_nibble(HexReader& reader, HexState next, std::uint8_t nibble) {
    reader.pending = nibble;
    reader.state = next;
}

// The second digit of a byte: what the byte is depends on where the record stands.
void take_byte(HexReader& reader, std::uint8_t byte) {
    switch (reader.state) {
        case HexState::CountLow:
            reader.line_length = byte;
            reader.state = HexState::AddressHighHigh;
            break;
        case HexState::AddressHighLow:
            reader.address = (reader.address & 0xFFFF0000) | std::uint32_t{byte} << 8;
            reader.state = HexState::AddressLowHigh;
            break;
        case HexState::AddressLowLow:
            reader.address |= byte;
            reader.state = HexState::TypeHigh;
            break;
        case HexState::TypeLow:
            if (byte > TYPE_LAST) {
                reader.state = HexState::Idle;  // dropped up to the next colon
                break;
            }
            reader.type = byte;
            reader.state = HexState::DataHigh;
            break;
        case HexState::DataLow:
            reader.data[reader.length] = byte;
            if (reader.length < reader.line_length) {
                ++reader.length;
                reader.state = HexState::DataHigh;
            } else {
                reader.state = HexState::Complete;
                ihex_end_read(reader);
            }
            break;
        default:
            break;
    }
}

void take_digit(HexReader& reader, std::uint8_t nibble) {
    switch (reader.state) {
        case HexState::Idle:
        case HexState::Complete:
            break;
        case HexState::CountHigh:
            take_nibble(reader, HexState::CountLow, nibble);
            break;
        case HexState::AddressHighHigh:
            take_nibble(reader, HexState::AddressHighLow, nibble);
            break;
        case HexState::AddressLowHigh:
            take_nibble(reader, HexState::AddressLowLow, nibble);
            break;
        case HexState::TypeHigh:
            take_nibble(reader, HexState::TypeLow, nibble);
            break;
        case HexState::DataHigh:
            take_nibble(reader, HexState::DataLow, nibble);
            break;
        default:
            take_byte(reader, static_cast<std::uint8_t>(reader.pending << 4 | nibble));
            break;
    }
}

void end_complete_record(HexReader& reader) {
    const bool checksum_ok = expected_checksum(reader) == reader.data[reader.length];
    if (!ihex_data_read(reader, reader.type, checksum_ok)) return;
    if (reader.type == TYPE_EXTENDED_LINEAR)
        reader.address = (reader.address & 0xFFFF) | std::uint32_t{first_word(reader)} << 16;
    if (reader.type == TYPE_EXTENDED_SEGMENT) reader.segment = first_word(reader);
}

}  // namespace

void ihex_read_bytes(HexReader& reader, std::span<const std::uint8_t> characters) {
    for (const std::uint8_t character : characters) ihex_read_byte(reader, character);
}

void ihex_read_byte(HexReader& reader, std::uint8_t character) {
    if (reader.error) return;
    reader.last_line = reader.line;
    if (character == '\n') {
        ++reader.line;
    } else if (character == ':') {
        ihex_end_read(reader);
        reader.state = HexState::CountHigh;
        reader.record_line = reader.last_line;
    } else if (const auto nibble = hex_digit(character)) {
        take_digit(reader, *nibble);
    }
}

void ihex_end_read(HexReader& reader) {
    if (reader.error) return;
    if (reader.state == HexState::Complete) {
        end_complete_record(reader);
    } else if (reader.state != HexState::Idle) {
        // Without its checksum nothing vouches for the bytes the record has.
        fail(reader, "record cut short before its checksum");
    }
    reader.length = 0;
    reader.type = 0;
    reader.state = HexState::Idle;
}

bool ihex_data_read(HexReader& reader, std::uint8_t type, bool checksum_ok) {
    if (!checksum_ok) return fail(reader, "record checksum does not match");
    switch (type) {
        case TYPE_DATA:
            return store_data(reader);
        case TYPE_END_OF_FILE:
            reader.successful = true;
            return true;
        case TYPE_EXTENDED_SEGMENT:
        case TYPE_EXTENDED_LINEAR:
            if (reader.length < 2)
                return fail(reader, "extended address record without an address");
            return true;
        default:
            return true;
    }
}

HexResult readhex(std::span<const std::uint8_t> text) {
    HexReader reader;
    ihex_read_bytes(reader, text);
    ihex_end_read(reader);
    if (!reader.successful) fail(reader, "no end-of-file record", reader.last_line);
    if (reader.error) return HexResult{std::nullopt, *reader.error};

    HexImage image;
    image.bytes = std::move(reader.image);
    image.start = reader.lowest;
    image.size = reader.lowest == IHEX_NO_DATA ? 0 : reader.end - reader.lowest;
    return HexResult{std::move(image), {}};
}

}  // namespace vorlanex
