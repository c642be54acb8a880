// Where convert writes: a file that is only replaced once the new content is
// complete, or standard output.
//
// A regular file (or a new one) is written into a temporary file beside it,
// which is renamed over it at the end: a failed parse, a full disk or an
// interrupt (SIGINT, SIGTERM, SIGHUP remove the temporary file) leaves the
// old file as it was and no new file behind. A symbolic link is followed: its
// target is replaced and the link kept. A file that a rename would change in
// more than its content (one of several hard links, one whose owner or group
// differs from a new file's) or one in a directory where no temporary file
// can be made is written in place instead, as an editor does: opened at once,
// truncated and written only at the end. Other files (/dev/null, a pipe, a
// terminal) and standard output are written directly. Every write error is
// reported as "%s: %s\n" with the name the user gave.
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
    enum class Way {
        Direct,   // written as it is: standard output, devices, pipes
        InPlace,  // truncated and written at commit
        Replace,  // a temporary file renamed over the target at commit
    };
    Output(std::string name, int fd, Way way, std::string temporary = {}, std::string target = {});
    static std::optional<Output> open_file(const std::string& name, const std::string& target);
    static std::optional<Output> open_in_place(const std::string& name, const std::string& target);
    bool write_and_close(std::string_view content);
    void abandon();

    std::string name_;  // for messages
    int fd_ = -1;       // where the content goes
    Way way_ = Way::Direct;
    bool owns_fd_ = false;
    std::string temporary_;  // Replace: renamed over target_ on commit
    std::string target_;     // Replace: the file the name leads to, through its links
};

}  // namespace vorlanex
