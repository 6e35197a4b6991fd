// What every platform must do alike. The cases live in
// platform_contract_test.cc, which also runs them on the fake; each native
// platform runs them from a file of its own (posix_contract_test.cc,
// win32_contract_test.cc), so that the implementations cannot drift apart.
#pragma once

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace plv::testing {

// A platform under contract: its name in the tests' names, and a maker.
struct PlatformKind {
    const char *name;
    std::unique_ptr<Platform> (*make)();
};

template <class Implementation>
PlatformKind Kind(const char *name) {
    return {name, [] { return std::unique_ptr<Platform>(std::make_unique<Implementation>()); }};
}

inline void PrintTo(const PlatformKind &kind, std::ostream *out) { *out << kind.name; }

class PlatformContract : public ::testing::TestWithParam<PlatformKind> {
  protected:
    std::unique_ptr<Platform> platform = GetParam().make();
};

}  // namespace plv::testing
