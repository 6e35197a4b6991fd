// Files for the version-resource tests: a scratch directory, DOS paths for
// host paths, and the executables the MinGW tools built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plv::testing {

// A fresh directory, removed with everything in it.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    // Writes a file and answers its host path.
    std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;
    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

// The path as the seam takes it: drive Z: is the host's root.
std::string DosPathOf(const std::string &hostPath);

std::vector<std::uint8_t> ReadHostFile(const std::string &hostPath);

// The tiny executables of version_witness.rc, 32 and 64 bits.
std::string WitnessPath(int bits);

}  // namespace plv::testing
