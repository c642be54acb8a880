// What the page asks of the language besides running the tool: the check of
// a configuration while it is being typed (the parser's messages with the
// lines they belong to, as the command line's convert writes them) and the
// words its editor highlights. Only the browser build has it.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "config/config.h"
#include "language/commands.h"
#include "language/load.h"
#include "strings/messages.h"
#include "strings/strings.h"

namespace vorlanex {

namespace {

// The text as a JSON string: quotes, backslashes and control bytes escaped,
// every other byte as it is.
void append_json_string(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += format("\\u%04x", static_cast<unsigned>(c));
        } else {
            out += c;
        }
    }
    out += '"';
}

// One JSON object a line: {"line":N,"text":"..."}.
std::string json_lines(const Messages& messages) {
    std::string out;
    for (const Message& message : messages.list()) {
        out += format("{\"line\":%d,\"text\":", message.line);
        append_json_string(out, message.text);
        out += "}\n";
    }
    return out;
}

}  // namespace

}  // namespace vorlanex

/// The messages of loading `length` bytes at `text`, as JSON lines; the
/// result stays valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char* vorlanex_check(const std::uint8_t* text,
                                                           std::size_t length) {
    static std::string result;
    vorlanex::Config config;
    vorlanex::Definitions definitions;
    vorlanex::Messages messages;
    vorlanex::Config_load(config, std::span(text, length), definitions, messages, false);
    result = vorlanex::json_lines(messages);
    return result.c_str();
}

/// The command keywords of the language, synonyms included, as a JSON array
/// of strings in the order of the table of commands.
extern "C" EMSCRIPTEN_KEEPALIVE const char* vorlanex_keywords() {
    static std::string result;
    result = "[";
    for (const vorlanex::CommandInfo& info : vorlanex::kCommands) {
        for (const std::string_view keyword : info.keywords) {
            if (keyword.empty()) continue;
            if (result.size() > 1) result += ',';
            vorlanex::append_json_string(result, keyword);
        }
    }
    result += ']';
    return result.c_str();
}
