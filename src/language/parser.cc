#include "language/parser.h"

#include <cctype>
#include <string>

#include "language/expansion.h"
#include "language/grammar.h"
#include "language/keys.h"

namespace vorlanex {

namespace {

constexpr std::string_view kSymbolCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The text without white space at either end.
std::string_view trim(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view skip_blanks(std::string_view text) {
    const std::size_t start = text.find_first_not_of(ws);
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// "'WORD': WHAT", the part of a line's message after "error: line N: ".
std::string about(std::string_view word, const char* what) {
    return format("%s: %s", quote(word).c_str(), what);
}

// The line without its line end, which does not count towards its length.
std::string_view content_of(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// One line at a time, with everything the parse of the lines shares.
class FileParser {
  public:
    FileParser(Config& config, Definitions& definitions, Messages& messages,
               bool ignoreMissingPorts)
        : config_(config),
          definitions_(definitions),
          messages_(messages),
          context_{config, definitions, messages, ignoreMissingPorts} {}

    bool parse(InputStream& in) {
        in.rewind();
        int line_number = 0;
        bool ok = true;
        while (const auto line = in.read_line()) {
            messages_.set_line(++line_number);
            if (!parse_line(*line)) {
                ok = false;
                break;
            }
        }
        messages_.set_line(0);
        return ok;
    }

  private:
    bool parse_line(std::string_view line) {
        if (line.find('\0') != std::string_view::npos)
            return messages_.fail_at_line("the text holds a NUL byte");
        // The controller's own reader and every text we write keep to this.
        if (content_of(line).size() > kMaxLineLength)
            return messages_.fail_at_line(
                format("the line is longer than %zu bytes", kMaxLineLength));
        const std::string_view start = skip_blanks(line);
        if (start.empty() || start[0] == '\r' || start[0] == '\n' || start[0] == '#') return true;
        line = line.substr(0, line.find('#'));
        if (line.ends_with('\n')) line.remove_suffix(1);
        if (line.ends_with('\r')) line.remove_suffix(1);

        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            const std::string_view name = trim(line.substr(0, equals));
            if (name.find_first_not_of(kSymbolCharacters) == std::string_view::npos) {
                return define(name, trim(line.substr(equals + 1)));
            }
        }
        std::uint8_t key = KEY_IMMEDIATE;
        std::string_view statement = line;
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view key_text = line.substr(0, colon);
            if (!Key_parse(key, key_text, definitions_, messages_))
                return messages_.fail_at_line(about(key_text, "invalid key or slot specification"));
            statement = line.substr(colon + 1);
        }
        return parse_statement(key, skip_blanks(statement));
    }

    bool define(std::string_view name, std::string_view text) {
        const char* reason = nullptr;
        if (StringList_has_definition(definitions_, name)) {
            reason = "symbol already defined";
        } else if (find_symbol(name) != nullptr) {
            reason = "symbol is a reserved key name";
        } else if (parseAction(name) != ACTION_NONE) {
            reason = "symbol is a reserved keyword";
        }
        if (reason != nullptr) return messages_.fail_at_line(about(name, reason));
        StringList_add_definition(definitions_, name, text);
        return true;
    }

    bool parse_statement(std::uint8_t key, std::string_view statement) {
        Expansion expansion;
        if (Expansion_parse(expansion, statement, definitions_, messages_)) {
            config_.expansion = std::move(expansion);
            return true;
        }
        Command command;
        switch (Command_parse(command, statement, context_)) {
            case ParseResult::Parsed:
                break;
            case ParseResult::TableFull:
                return false;
            case ParseResult::Invalid:
                return messages_.fail_at_line(about(statement, "invalid command specification"));
        }
        Binding* binding = Config_get_or_create_binding(config_, key);
        if (binding == nullptr) return messages_.fail_at_line("more than 65535 bindings");
        if (command.action == ACTION_REQUIRES) {
            binding->times = command.data;
            return true;
        }
        if (!Binding_add(*binding, command))
            return messages_.fail_at_line(format("more than 255 commands for key $%02X", key));
        return true;
    }

    Config& config_;
    Definitions& definitions_;
    Messages& messages_;
    ParseContext context_;
};

}  // namespace

bool Config_parse(Config& config, InputStream& in, Definitions& definitions, Messages& messages,
                  bool ignoreMissingPorts) {
    return FileParser(config, definitions, messages, ignoreMissingPorts).parse(in);
}

}  // namespace vorlanex
