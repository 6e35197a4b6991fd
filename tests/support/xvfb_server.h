// An Xvfb server of a test's (or benchmark's) own, on the first free display
// number, which it picks itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace plv::testing {

class XvfbServer {
  public:
    // Starts a server with the given extra arguments. Null, with the reason in
    // whyNot, when none can be started.
    static std::unique_ptr<XvfbServer> Start(const std::vector<std::string> &arguments,
                                             std::string &whyNot);

    const std::string &display() const { return display_; }
    ChildProcess &process() { return *process_; }

  private:
    XvfbServer(std::unique_ptr<ChildProcess> process, std::string display)
        : process_(std::move(process)), display_(std::move(display)) {}

    std::unique_ptr<ChildProcess> process_;
    std::string display_;
};

}  // namespace plv::testing
