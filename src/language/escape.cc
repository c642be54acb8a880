#include "language/escape.h"

#include <optional>

#include "strings/numbers.h"

namespace vorlanex {

namespace {

// The byte of the escape whose letter is at `i`, with `i` moved to the last
// character the escape takes; none for an unknown escape.
std::optional<std::int64_t> escaped_byte(std::string_view text, std::size_t& i) {
    switch (text[i]) {
        case '\\':
            return '\\';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 'x': {
            const std::string_view digits = text.substr(i + 1, 2);
            const auto number = read_number(digits, 16);
            i += digits.size();
            return number ? number->value : 0;
        }
        case '{': {
            const std::size_t close = text.find('}', i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            const auto number = read_number(text.substr(i + 1, end - i - 1), 10);
            i = close == std::string_view::npos ? text.size() : close;
            return number ? low_byte(number->value) : 0;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

std::string unescape_text(std::string_view text, Messages& messages) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) break;
        const char letter = text[i];
        const auto byte = escaped_byte(text, i);
        if (!byte) {
            messages.add(
                format("Warning: \\%s: undefined escape sequence in string literal (skipped)",
                       printable(std::string_view(&letter, 1)).c_str()));
            continue;
        }
        if ((*byte & 0xFF) == 0) break;
        out.push_back(static_cast<char>(*byte & 0xFF));
    }
    return out;
}

std::string escape_text(std::string_view bytes, bool immediate) {
    std::string out;
    const std::size_t first_non_blank = bytes.find_first_not_of(" \t");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool leading_equals = byte == '=' && i == first_non_blank;
        const bool confusing = byte == '#' || (immediate && (byte == ':' || leading_equals));
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\f') {
            out += "\\f";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (confusing || byte < 0x20 || (byte >= 0x80 && byte <= 0xBF) || byte >= 0xE0) {
            out += format("\\{%d}", byte);
        } else {
            out.push_back(static_cast<char>(byte));
        }
    }
    return out;
}

}  // namespace vorlanex
