// Files of the system for the host's tests, and the problems the host
// finds reading one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "definitions.h"
#include "host_system.h"
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

// A definitions file of the test's own, read as the agent reads it.
class DefinitionsFileTest : public HostFileTest {
  protected:
    DefinitionsFileTest() : HostFileTest("definitions.ini") {}
    DefinitionList Read() {
        return ReadDefinitions(host::AgentPathOf(path), "definitions.ini", problems);
    }
    DefinitionList Read(const std::string &content) {
        WriteFile(path, content);
        return Read();
    }
};

// The library started over the definitions as the agent starts it, so that
// PLVIdentifyApp asks them; stopped when it goes.
class LibraryOver {
  public:
    explicit LibraryOver(DefinitionList &list) : window_(host::CreateAgentWindow("test", nullptr)) {
        agent_.runtime = &runtime_;
        runtime_.definitions = list.head();
        InitializePLVLIB(window_, &agent_, nullptr, &cell_);
    }
    ~LibraryOver() {
        RemoveLinkedList(&runtime_.pendingEvents);
        host::DestroyAgentWindow(window_);
    }

  private:
    PLVAgentRuntime runtime_{};
    PLVAgentState agent_{};
    HWND window_;
    PLVHWND *cell_ = nullptr;
};

}  // namespace plvagent::testing
