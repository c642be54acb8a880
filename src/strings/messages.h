// Messages as data.
//
// The readers of the language and of images say what is wrong by adding
// messages here; the operation that called them decides where they go: the
// command line writes them to standard error, an editor can show each one at
// its line. Each message is a whole line as it is printed, without its line
// end, in the order in which it arose.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vorlanex {

struct Message {
    int line = 0;  ///< the line of the input it belongs to; 0 when none
    std::string text;
};

class Messages {
  public:
    /// Adds the message, stamped with the current line.
    void add(std::string text);
    /// Adds the message and answers false, so that a failure is one line.
    bool fail(std::string text);
    /// Adds "error: line N: WHAT" for the current line and answers false.
    bool fail_at_line(std::string_view what);
    /// Later messages belong to this line of the input (0: to none).
    void set_line(int line) { line_ = line; }

    const std::vector<Message>& list() const { return list_; }
    bool empty() const { return list_.empty(); }
    /// All messages, each with its line end, as they are printed.
    std::string joined() const;

  private:
    std::vector<Message> list_;
    int line_ = 0;
};

/// Writes every message, each with its line end, to `out`.
void print(const Messages& messages, std::FILE* out = stderr);

/// printf into a string.
[[gnu::format(printf, 1, 2)]] std::string format(const char* format, ...);

/// The word as messages quote it: in single quotes, with every byte that a
/// terminal could take for something else (controls, DEL, bytes past ASCII)
/// written as \xNN, since words come from files that anybody may have written.
std::string quote(std::string_view word);
/// The same escapes without the quotes, for names that messages print bare.
std::string printable(std::string_view text);

/// "error: 'WORD': WHAT", the shape of most messages about one word.
std::string word_error(std::string_view word, std::string_view what);

}  // namespace vorlanex
