// Whole files of the host's file system, as tests read and write them.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace plv::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadHostFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file with the bytes (a string or a vector of bytes); its path.
template <class Bytes>
std::string WriteHostFile(const std::string &path, const Bytes &bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace plv::testing
