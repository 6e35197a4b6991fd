// A fresh directory for one test, removed with everything in it afterwards.
// On Windows it lies in the temporary directory and its path is given in
// short (8.3) form, so that the path of a file with an 8.3 name in it is its
// own short path.
#pragma once

#include <string>

namespace plv::testing {

class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

    const std::string &path() const { return path_; }
    // A path below the directory.
    std::string operator/(const std::string &name) const { return path_ + kSeparator + name; }

  private:
#if defined(_WIN32)
    static constexpr char kSeparator = '\\';
#else
    static constexpr char kSeparator = '/';
#endif
    std::string path_;
};

}  // namespace plv::testing
