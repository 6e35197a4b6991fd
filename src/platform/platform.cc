#include "platform/platform.h"

namespace plv {
namespace {
Platform *installed = nullptr;
}  // namespace

Platform &Os() { return installed ? *installed : NativePlatform(); }

Platform *SetPlatform(Platform *platform) {
    Platform *previous = installed;
    installed = platform;
    return previous;
}

}  // namespace plv
