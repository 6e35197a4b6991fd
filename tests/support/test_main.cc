// The test binary's entry: a helper role when asked for one, else the tests.
#include <gmock/gmock.h>

#include "support/helper_process.h"

int main(int argc, char **argv) {
    int exitCode = 0;
    if (plv::testing::RunHelperIfAsked(argc, argv, &exitCode)) return exitCode;
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
