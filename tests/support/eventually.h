// Waiting for what another process or a server brings about on its own time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plv::testing {

// Polls the condition until it holds (true) or thirty seconds have passed
// (false): generous, for another process on a loaded machine, or under Wine.
inline bool Eventually(const std::function<bool()> &condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace plv::testing
