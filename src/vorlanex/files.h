// Reading the tool's inputs whole.
//
// Inputs are read into memory before anything looks at them: the image reader
// peeks at the first bytes and the text parser starts again from the
// beginning, which a pipe on standard input could not do. Each input has a
// limit far above any real file, so that /dev/zero or an endless pipe ends in
// a message rather than in all the memory there is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

using Bytes = std::vector<std::uint8_t>;

/// The word that names standard input; messages call it "stdin".
inline constexpr std::string_view kStandardInput = "-";

/// The most a configuration (text or image) or an Intel HEX file may hold:
/// real ones hold a few KiB.
inline constexpr std::size_t kMaxTextInput = std::size_t{16} << 20;

/// Whether the word "-" means standard input: each operation has its own rule
/// for the words that do, and update reads every word as a file name.
enum class Dash { StandardInput, FileName };

/// The whole input that `word` names: standard input for "-" (unless `dash`
/// says it is a file name), else the file. None after one message: "NAME:
/// system text" when it cannot be opened or read, or "error: NAME: larger
/// than 16 MiB" (the limit in MiB, KiB or bytes) when it holds more than
/// `limit` bytes; NAME is "stdin" for standard input. No more than limit + 1
/// bytes are read.
std::optional<Bytes> read_input(const std::string& word, std::size_t limit,
                                Dash dash = Dash::StandardInput);

/// Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed, the
/// wrong way round: write-only for standard input, read-only for the others.
/// A file opened later can then not take a standard stream's number (and be
/// read as standard input, or get the tool's messages), while reading a
/// closed standard input or writing a closed standard output still fails with
/// EBADF, as the user who closed it expects. Call it first in main.
void occupy_closed_standard_streams();

/// The text ends with the suffix, ASCII letters compared without regard to
/// case: how file names tell their format (".conf", ".hex", ".bin").
bool ends_with(std::string_view text, std::string_view suffix);

/// Writes "%s: %s\n" with the name (bytes a terminal would obey escaped) and
/// the system's text for errno.
void report_file_error(const std::string& name);

}  // namespace vorlanex
