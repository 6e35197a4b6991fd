#include "usage/scrambling.h"

#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

ScramblerState scrambler;

constexpr std::uint32_t kMultiplier = 22695477u;

std::uint16_t ValueOf(std::uint32_t state) {
    return static_cast<std::uint16_t>(((state >> 16) & 0x7FFFu) % 255u);
}

// Four steps of the generator taken from one state at once, so that no
// multiplication waits for the one before: state n+k = a^k state n + c_k.
struct FourSteps {
    static constexpr std::uint32_t a1 = kMultiplier, a2 = a1 * a1, a3 = a2 * a1, a4 = a3 * a1;
    static constexpr std::uint32_t c2 = a1 + 1, c3 = a2 + c2, c4 = a3 + c3;
};

// Adds (or subtracts) the generator's values after seeding it with the key:
// what stepping KeyedRandom(0) once per byte gives, at a fraction of the cost.
template <bool kAdd>
void Scramble(char *buffer, uint16_t length, uint16_t key) {
    KeyedRandom(key);
    std::uint32_t state = scrambler.generator;
    const auto apply = [buffer](uint16_t i, std::uint32_t s) {
        const auto byte = static_cast<unsigned char>(buffer[i]);
        buffer[i] = static_cast<char>(kAdd ? byte + ValueOf(s) : byte - ValueOf(s));
    };
    uint16_t i = 0;
    for (; i + 4 <= length; i += 4) {
        apply(i, state * FourSteps::a1 + 1u);
        apply(i + 1, state * FourSteps::a2 + FourSteps::c2);
        apply(i + 2, state * FourSteps::a3 + FourSteps::c3);
        state = state * FourSteps::a4 + FourSteps::c4;
        apply(i + 3, state);
    }
    for (; i < length; ++i) {
        state = state * kMultiplier + 1u;
        apply(i, state);
    }
    scrambler.generator = state;
}

}  // namespace

void ResetScramblerState() { scrambler = ScramblerState{}; }

std::uint16_t KeyedRandom(std::uint16_t seed) {
    if (seed != 0) scrambler.generator = seed;
    scrambler.generator = scrambler.generator * kMultiplier + 1u;
    return ValueOf(scrambler.generator);
}

}  // namespace plv

// The key comes from the clock's low 16 bits. A zero seed or a zero key is
// not retried against the clock, which would spin until the next second:
// the generator simply steps on until it yields a key.
extern "C" PLV_EXPORT uint16_t PLVAPI GetNewKey(void) {
    const auto seed = static_cast<std::uint16_t>(plv::Os().time() & 0xFFFF);
    std::uint16_t key = plv::KeyedRandom(seed);
    while (key == 0) key = plv::KeyedRandom(0);
    return key;
}

extern "C" PLV_EXPORT void PLVAPI EncryptString(char *buffer, uint16_t length, uint16_t key) {
    plv::Scramble<true>(buffer, length, key);
}

extern "C" PLV_EXPORT void PLVAPI DecryptString(char *buffer, uint16_t length, uint16_t key) {
    plv::Scramble<false>(buffer, length, key);
}
