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
#include <span>
#include <string>

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

    /// Reads one line as fgets does into a buffer of `buffer_size` bytes: at
    /// most buffer_size - 1 bytes, up to and including a line feed. False at
    /// the end of the input.
    bool read_line(std::string& line, std::size_t buffer_size) {
        line.clear();
        if (at_end()) return false;
        const std::size_t room = std::min(bytes_.size() - pos_, buffer_size - 1);
        const std::uint8_t* start = bytes_.data() + pos_;
        const void* newline = std::memchr(start, '\n', room);
        const std::size_t length =
            newline
                ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(newline) - start) + 1
                : room;
        line.assign(reinterpret_cast<const char*>(start), length);
        pos_ += length;
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace vorlanex
