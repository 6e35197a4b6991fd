// The other process of a contract world: this test program run again in a
// helper role, acting through its own platform on one-line commands.
#pragma once

#include <string>
#include <vector>

#include "platform/platform_contract.h"
#include "support/helper_process.h"

namespace plv::testing {

// The helper's side: answers HelperPeer's commands over `os` until its input
// ends.
int AnswerPeerCommands(Platform &os);

class HelperPeer final : public Peer {
  public:
    HelperPeer(const std::string &role, const std::vector<std::string> &arguments)
        : process_(role, arguments) {}
    DWORD Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) override;
    DWORD Lock(DWORD offset, DWORD length) override;
    bool TakeSemaphore(const std::string &name) override;
    DWORD FindSemaphore(const std::string &name) override;
    // Killed as a crash would end it; its handles, and their locks, are closed
    // once it has ended, which Kill waits for.
    void Die() override { process_.Kill(); }

  private:
    HelperProcess process_;
};

}  // namespace plv::testing
