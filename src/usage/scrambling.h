// Record scrambling: a linear congruential generator keyed per record.
#pragma once

#include <cstdint>

namespace plv {

struct ScramblerState {
    std::uint32_t generator = 1;
};

void ResetScramblerState();

// Reseeds with a non-zero seed, takes one step, and returns the step's value
// modulo 255.
std::uint16_t KeyedRandom(std::uint16_t seed);

}  // namespace plv
