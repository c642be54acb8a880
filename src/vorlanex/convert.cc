#include <cstdio>
#include <optional>
#include <string>

#include "config/image.h"
#include "language/load.h"
#include "language/render.h"
#include "vorlanex/files.h"
#include "vorlanex/operations.h"
#include "vorlanex/output.h"

namespace vorlanex {

namespace {

bool names_standard_stream(const Words& words, std::size_t index) {
    return words.size() <= index || words[index].starts_with('-');
}

bool is_text_name(const std::string& name) {
    return ends_with(name, ".conf");
}

// The hints come before standard input is read, where a user at a terminal
// needs them; a file that cannot be read is reported alone.
std::optional<Bytes> read_convert_input(const Words& words, bool to_stdout) {
    if (!names_standard_stream(words, 0)) {
        auto input = read_input(words[0], kMaxTextInput);
        if (input && to_stdout) std::fputs("writing to stdout...\n", stderr);
        return input;
    }
    std::fputs("reading from stdin...\n", stderr);
    if (to_stdout) std::fputs("writing to stdout...\n", stderr);
    return read_input(std::string(kStandardInput), kMaxTextInput);
}

}  // namespace

int convert(Session& session, const Words& words) {
    const bool to_stdout = names_standard_stream(words, 1);
    const bool as_text = !to_stdout && is_text_name(words[1]);
    // The output is checked before the input is read: a name that cannot be
    // written is reported at once, not after a long input.
    std::optional<Output> output = to_stdout ? Output::standard() : Output::open(words[1]);
    if (!output) return 1;
    const auto input = read_convert_input(words, to_stdout);
    if (!input) return 1;

    Config config;
    Messages messages;
    const bool loaded = Config_load(config, *input, session.definitions, messages, false);
    print(messages);
    if (!loaded) return 1;
    std::string content;
    if (as_text) {
        const bool printed = Config_print(config, content, messages);
        print(messages);
        if (!printed) return 1;
    } else {
        Bytes image;
        Config_write(config, image);
        content.assign(image.begin(), image.end());
    }
    return output->commit(content) ? 0 : 1;
}

}  // namespace vorlanex
