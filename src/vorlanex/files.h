// Reading the tool's inputs whole.
//
// Inputs are read into memory before anything looks at them: the image reader
// peeks at the first bytes and the text parser starts again from the
// beginning, which a pipe on standard input could not do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

using Bytes = std::vector<std::uint8_t>;

/// The whole file; none, with errno telling why, when it cannot be opened or
/// read. `opened` tells the two failures apart.
std::optional<Bytes> read_whole_file(const std::string& path, bool* opened = nullptr);
/// Everything on standard input; none, with errno set, on a read error.
std::optional<Bytes> read_standard_input();

/// The text ends with the suffix, ASCII letters compared without regard to
/// case: how file names tell their format (".conf", ".hex", ".bin").
bool ends_with(std::string_view text, std::string_view suffix);

/// Writes "%s: %s\n" with the name and the system's text for errno.
void report_file_error(const std::string& name);

}  // namespace vorlanex
