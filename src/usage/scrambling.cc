#include "usage/scrambling.h"

#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

ScramblerState scrambler;

}  // namespace

void ResetScramblerState() { scrambler = ScramblerState{}; }

std::uint16_t KeyedRandom(std::uint16_t seed) {
    if (seed != 0) scrambler.generator = seed;
    scrambler.generator = scrambler.generator * 22695477u + 1u;
    const std::uint32_t value = (scrambler.generator >> 16) & 0x7FFFu;
    return static_cast<std::uint16_t>(value % 255u);
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
    plv::KeyedRandom(key);
    for (uint16_t i = 0; i < length; ++i) {
        buffer[i] = static_cast<char>(static_cast<unsigned char>(buffer[i]) + plv::KeyedRandom(0));
    }
}

extern "C" PLV_EXPORT void PLVAPI DecryptString(char *buffer, uint16_t length, uint16_t key) {
    plv::KeyedRandom(key);
    for (uint16_t i = 0; i < length; ++i) {
        buffer[i] = static_cast<char>(static_cast<unsigned char>(buffer[i]) - plv::KeyedRandom(0));
    }
}
