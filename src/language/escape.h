// The escapes of "type" texts, both ways.
//
// A text may hold any byte but 0. On reading, "\n", "\f", "\r", "\\", "\xHH"
// and "\{DDD}" stand for bytes; on writing, every byte that the reader would
// take for something else, or that a text editor could mangle, is escaped, so
// that the written text reads back as the same bytes.
#pragma once

#include <string>
#include <string_view>

#include "strings/messages.h"

namespace vorlanex {

/// The bytes the text stands for. An escape cut short by the end of the text
/// takes what is there: "\x4" is 4, "\{12" is 12, a lone backslash at the end
/// is dropped. A 0 byte ends the text. An unknown escape is skipped with a
/// "Warning: " message.
std::string unescape_text(std::string_view text, Messages& messages);

/// The text as a "type" command writes it. On the immediate binding (a line
/// without a key prefix) ":" would make a key prefix and an "=" after nothing
/// but blanks a definition, so they are escaped there too.
std::string escape_text(std::string_view bytes, bool immediate);

}  // namespace vorlanex
