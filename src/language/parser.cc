#include "language/parser.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "language/expansion.h"
#include "language/grammar.h"
#include "language/keys.h"

namespace vorlanex {

namespace {

constexpr std::size_t kLineBuffer = 4096;
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

void line_error(int line, const char* format, std::string_view text) {
    std::fprintf(stderr, format, line, static_cast<int>(text.size()), text.data());
}

// One line at a time, with everything the parse of the lines shares.
class FileParser {
  public:
    FileParser(Config& config, Definitions& definitions, bool ignoreMissingPorts)
        : config_(config),
          definitions_(definitions),
          context_{config, definitions, ignoreMissingPorts, nullptr} {}

    bool parse(InputStream& in) {
        in.rewind();
        std::string line;
        while (in.read_line(line, kLineBuffer)) {
            ++line_number_;
            if (!parse_line(line)) return false;
        }
        return true;
    }

  private:
    bool parse_line(std::string_view line) {
        if (line.find('\0') != std::string_view::npos) {
            std::fprintf(stderr, "error: line %d: the text holds a NUL byte\n", line_number_);
            return false;
        }
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
            const std::string key_text(line.substr(0, colon));
            if (!Key_parse(key, key_text, definitions_)) {
                line_error(line_number_,
                           "error: line %d: '%.*s': invalid key or slot specification\n", key_text);
                return false;
            }
            statement = line.substr(colon + 1);
        }
        return parse_statement(key, skip_blanks(statement));
    }

    bool define(std::string_view name, std::string_view text) {
        const char* reason = nullptr;
        if (StringList_has_definition(definitions_, name)) {
            reason = "error: line %d: '%.*s': symbol already defined\n";
        } else if (find_symbol(name) != nullptr) {
            reason = "error: line %d: '%.*s': symbol is a reserved key name\n";
        } else if (parseAction(name) != ACTION_NONE) {
            reason = "error: line %d: '%.*s': symbol is a reserved keyword\n";
        }
        if (reason != nullptr) {
            line_error(line_number_, reason, name);
            return false;
        }
        StringList_add_definition(definitions_, name, text);
        return true;
    }

    bool parse_statement(std::uint8_t key, std::string_view statement) {
        Expansion expansion;
        if (Expansion_parse(expansion, statement, definitions_)) {
            config_.expansion = std::move(expansion);
            return true;
        }
        Command command;
        context_.full_table = nullptr;
        if (!Command_parse(command, statement, context_)) {
            if (context_.full_table != nullptr) return limit_error(context_.full_table);
            line_error(line_number_, "error: line %d: '%.*s': invalid command specification\n",
                       statement);
            return false;
        }
        Binding* binding = Config_get_or_create_binding(config_, key);
        if (binding == nullptr) return limit_error("more than 65535 bindings");
        if (command.action == ACTION_REQUIRES) {
            binding->times = command.data;
            return true;
        }
        if (!Binding_add(*binding, command)) {
            std::fprintf(stderr, "error: line %d: more than 255 commands for key $%02X\n",
                         line_number_, key);
            return false;
        }
        return true;
    }

    bool limit_error(const char* reason) {
        std::fprintf(stderr, "error: line %d: %s\n", line_number_, reason);
        return false;
    }

    Config& config_;
    Definitions& definitions_;
    ParseContext context_;
    int line_number_ = 0;
};

}  // namespace

bool Config_parse(Config& config, InputStream& in, Definitions& definitions,
                  bool ignoreMissingPorts) {
    return FileParser(config, definitions, ignoreMissingPorts).parse(in);
}

}  // namespace vorlanex
