#include "usage/scrambling.h"

#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

// Worked by hand from the generator: state := state * 22695477 + 1, value :=
// bits 16-30 of the state modulo 255; the key seeds it, each byte adds a value.
TEST_F(LibraryTest, ScramblingMatchesTheGeneratorByteForByte) {
    std::string text = "Initiated";
    EncryptString(text.data(), static_cast<uint16_t>(text.size()), 7);
    const unsigned char expected[] = {0x38, 0xd4, 0xf1, 0xc4, 0x05, 0xea, 0x8c, 0xe7, 0xdc};
    EXPECT_EQ(text, std::string(reinterpret_cast<const char *>(expected), sizeof expected));
}

// Any length, whole blocks of four bytes or not, up to a log line's, adds
// the values of one generator step a byte and leaves the generator where
// those steps end; unscrambling with the same key restores the text.
TEST_F(LibraryTest, ScramblingIsOneGeneratorStepAByteAtAnyLength) {
    for (const uint16_t key : {1, 7, 128, 254}) {
        for (uint16_t length = 0; length <= 74; length += length < 13 ? 1 : 60) {
            std::string text(length, 'a'), expected = text;
            KeyedRandom(key);
            for (char &c : expected)
                c = static_cast<char>(static_cast<unsigned char>(c) + KeyedRandom(0));
            const uint16_t next = KeyedRandom(0);
            EncryptString(text.data(), length, key);
            EXPECT_EQ(text, expected) << key << " " << length;
            EXPECT_EQ(KeyedRandom(0), next);
            DecryptString(text.data(), length, key);
            EXPECT_EQ(text, std::string(length, 'a'));
        }
    }
}

// The key of clock reading 0x1234 shows in the log file test's bytes.
TEST_F(LibraryTest, KeysStayBetween1And254WithoutWaitingForTheClock) {
    for (std::int64_t t = 0; t < 70000; ++t) {
        fake.clock.now = t;
        const uint16_t key = GetNewKey();
        ASSERT_GE(key, 1) << t;
        ASSERT_LE(key, 254) << t;
    }
    fake.clock.now = 81;  // seeds a zero key: the generator steps on
    EXPECT_EQ(GetNewKey(), 90);
}

}  // namespace
}  // namespace plv::testing
