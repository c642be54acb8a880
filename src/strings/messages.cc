#include "strings/messages.h"

#include <cstdarg>

namespace vorlanex {

void Messages::add(std::string text) {
    list_.push_back(Message{line_, std::move(text)});
}

bool Messages::fail(std::string text) {
    add(std::move(text));
    return false;
}

bool Messages::fail_at_line(std::string_view what) {
    return fail(format("error: line %d: %.*s", line_, static_cast<int>(what.size()), what.data()));
}

std::string Messages::joined() const {
    std::string all;
    for (const Message& message : list_) {
        all += message.text;
        all += '\n';
    }
    return all;
}

void print(const Messages& messages, std::FILE* out) {
    for (const Message& message : messages.list()) {
        std::fwrite(message.text.data(), 1, message.text.size(), out);
        std::fputc('\n', out);
    }
}

std::string format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.pop_back();
    }
    va_end(again);
    return text;
}

std::string printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

std::string quote(std::string_view word) {
    std::string out = "'";
    out += printable(word);
    out += '\'';
    return out;
}

std::string word_error(std::string_view word, std::string_view what) {
    std::string out = "error: ";
    out += quote(word);
    out += ": ";
    out += what;
    return out;
}

}  // namespace vorlanex
