// TESTWIN.EXE (tests/windows/test_window.cc) started by a test: a real
// process of its own with one visible top-level window.
#pragma once

#include <windows.h>

#include <string>

namespace plv::testing {

class TestWindowProcess {
  public:
    static constexpr char kClass[] = "PLVTestWindow";

    // Starts `program` (TESTWIN.EXE beside the test program unless another
    // copy is named) and waits up to ten seconds for its window.
    explicit TestWindowProcess(const std::string &title, const std::string &program = DefaultProgram());
    ~TestWindowProcess();
    TestWindowProcess(const TestWindowProcess &) = delete;
    TestWindowProcess &operator=(const TestWindowProcess &) = delete;

    static std::string DefaultProgram();

    // Null when the process or its window did not come up.
    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }
    DWORD threadId() const { return threadId_; }

    // Closes the window as a user does and waits for the process to end;
    // its exit code, or -1 when it did not end within ten seconds.
    int Close();

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

}  // namespace plv::testing
