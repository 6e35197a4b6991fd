// Modules are shared objects found by the names of the DLLs they stand for.
#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
TEST(Modules, DllNamesBecomeSharedObjectNames) {
    EXPECT_EQ(SharedObjectNameOf("PLVNTPRL.DLL"), "libplvntprl.so");
    EXPECT_EQ(SharedObjectNameOf("plvwow32.dll"), "libplvwow32.so");
    EXPECT_EQ(SharedObjectNameOf("C:\\PLV\\PLVWSI32.DLL"), "libplvwsi32.so");
    EXPECT_EQ(SharedObjectNameOf("KERNEL32"), "libkernel32.so");
}

TEST(Modules, ACompanionModuleBesideThePlatformIsLoadedAndItsEntriesFound) {
    PosixPlatform os;
    HMODULE module = os.LoadLibraryA("PLVTESTMOD.DLL");
    ASSERT_NE(module, nullptr) << os.GetLastError();
    FARPROC answer = os.GetProcAddress(module, "PlvTestAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(ErrorIf(os, [&] { return os.GetProcAddress(module, "NoSuchEntry") == nullptr; }), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(ErrorIf(os, [&] { return os.GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t{3})) == nullptr; }),
              ERROR_PROC_NOT_FOUND);

    // Loads are counted: the handle stays good until the last free.
    HMODULE again = os.LoadLibraryA("plvtestmod.dll");
    EXPECT_EQ(again, module);
    EXPECT_TRUE(os.FreeLibrary(module));
    EXPECT_NE(os.GetProcAddress(module, "PlvTestAnswer"), nullptr);
    EXPECT_TRUE(os.FreeLibrary(module));
    EXPECT_EQ(ErrorIf(os, [&] { return !os.FreeLibrary(module); }), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ErrorIf(os, [&] { return os.GetProcAddress(module, "PlvTestAnswer") == nullptr; }), ERROR_INVALID_HANDLE);
}

TEST(Modules, AModuleWithADirectoryIsLookedForThereOnly) {
    PosixPlatform os;
    MapDrive('B', PLV_TEST_MODULE_DIR);
    HMODULE module = os.LoadLibraryA("B:\\PLVTESTMOD.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(os.FreeLibrary(module));
    EXPECT_EQ(ErrorIf(os, [&] { return os.LoadLibraryA("Z:\\PLVTESTMOD.DLL") == nullptr; }), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(ErrorIf(os, [&] { return os.LoadLibraryA("Q:\\PLVTESTMOD.DLL") == nullptr; }),
              ERROR_MOD_NOT_FOUND);  // no such drive
    EXPECT_EQ(ErrorIf(os, [&] { return os.LoadLibraryA("PLVNOSUCH.DLL") == nullptr; }), ERROR_MOD_NOT_FOUND);
}

}  // namespace
}  // namespace plv::posix
