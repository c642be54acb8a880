// A fresh directory for one test's files, removed with everything in it.
#pragma once

#include <string>

namespace vorlanex::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    /// The path of `name` inside the directory.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    /// Writes `content` to `name` and returns its path.
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::string path_;
};

/// The whole content of a file; empty when it cannot be read.
std::string read_file_content(const std::string& path);
bool file_exists(const std::string& path);

}  // namespace vorlanex::testing
