// Waiting for what another process or a server brings about on its own time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plv::testing {

// Polls the condition until it holds (true) or ten seconds have passed (false).
inline bool Eventually(const std::function<bool()> &condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace plv::testing
