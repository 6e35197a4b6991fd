// Files of the system for the host's tests, and the problems the host
// finds reading one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "problems.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plvagent::testing {

inline void WriteFile(const std::string &path, const std::string &content) {
    plv::testing::WriteHostFile(path, content);
}
inline std::string ReadFile(const std::string &path) { return plv::testing::ReadHostFile(path); }

// A file of the test's own in a scratch directory, and what reading it found.
class HostFileTest : public ::testing::Test {
  protected:
    explicit HostFileTest(const std::string &name) : path(directory / name) {}
    std::vector<std::string> Described() const {
        std::vector<std::string> texts;
        for (const Problem &problem : problems) texts.push_back(Describe(problem));
        return texts;
    }

    plv::testing::TemporaryDirectory directory;
    std::string path;
    Problems problems;
};

}  // namespace plvagent::testing
