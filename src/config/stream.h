// A byte stream over input held in memory, with one byte of pushback.
//
// Every input (a file, standard input, a command line) is read whole first, so
// that the image reader may look at the first bytes and the text parser may
// start again from the beginning, also when the input is a pipe.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace vorlanex {

class InputStream {
  public:
    explicit InputStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    /// The next byte, or -1 at the end.
    int get() { return pos_ < bytes_.size() ? bytes_[pos_++] : -1; }
    /// Pushes the byte just read back (one byte of pushback).
    void unget() {
        if (pos_ > 0) --pos_;
    }
    void rewind() { pos_ = 0; }
    std::size_t position() const { return pos_; }
    bool at_end() const { return pos_ >= bytes_.size(); }

    /// The next line, up to and including its line feed (the last line may
    /// have none); none at the end of the input.
    std::optional<std::string_view> read_line() {
        if (at_end()) return std::nullopt;
        const std::size_t room = bytes_.size() - pos_;
        const std::uint8_t* start = bytes_.data() + pos_;
        const void* newline = std::memchr(start, '\n', room);
        const std::size_t length =
            newline
                ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(newline) - start) + 1
                : room;
        pos_ += length;
        return std::string_view(reinterpret_cast<const char*>(start), length);
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace vorlanex
