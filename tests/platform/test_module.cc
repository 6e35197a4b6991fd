// A companion module for the loader tests.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::intptr_t PlvTestAnswer() { return 42; }
