#include "platform/version_test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <stdlib.h>

#include <gtest/gtest.h>

namespace plv::testing {

ScratchDirectory::ScratchDirectory() {
    std::string pattern = ::testing::TempDir() + "plv_version_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch directory");
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::Write(const std::string &name,
                                    const std::vector<std::uint8_t> &bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file);
    return file;
}

std::string DosPathOf(const std::string &hostPath) {
    std::string dos = "Z:" + hostPath;
    for (char &c : dos) {
        if (c == '/') c = '\\';
    }
    return dos;
}

std::vector<std::uint8_t> ReadHostFile(const std::string &hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + hostPath);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WitnessPath(int bits) {
    return std::string(PLV_VERSION_WITNESS_DIR) + "/version_witness" + std::to_string(bits) + ".exe";
}

}  // namespace plv::testing
