// Where convert writes: a file that is only replaced once the new content is
// complete, or standard output.
//
// A regular file (or a new one) is written into a temporary file beside it,
// which is renamed over it at the end: a failed parse or a full disk leaves
// the old file as it was and no new file behind. Other files (/dev/null, a
// pipe, a terminal) and standard output are written directly. Every write
// error is reported as "%s: %s\n".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlanex {

class Output {
  public:
    /// Standard output.
    static Output standard();
    /// Checks that `path` can be written and prepares it; none after its
    /// "%s: %s\n" message.
    static std::optional<Output> open(const std::string& path);

    Output(Output&& other) noexcept;
    Output& operator=(Output&&) = delete;
    ~Output();

    /// Writes the content and puts it in place; false after a message.
    bool commit(std::string_view content);

  private:
    Output(std::string name, int fd, std::string temporary, bool owns_fd);
    void abandon();

    std::string name_;       // for messages
    int fd_ = -1;            // where the content goes
    std::string temporary_;  // renamed over name_ on commit; empty when writing directly
    bool owns_fd_ = false;
};

}  // namespace vorlanex
