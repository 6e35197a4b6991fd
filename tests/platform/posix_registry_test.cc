// The persistent registry: its store survives the process, two writers at
// once lose nothing, and damage costs no more than what is damaged.
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "platform/posix/registry_store.h"
#include "support/helper_process.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::HelperProcess;
using plv::testing::HelperRole;
using plv::testing::TemporaryDirectory;

constexpr char kKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";
constexpr int kValuesPerWriter = 40;

// "registry-writer <data directory> <tag>": sets its values one call at a time.
int RegistryWriterMain(const std::vector<std::string> &arguments) {
    SetDataDirectory(arguments.at(0));
    PosixPlatform os;
    for (int i = 0; i < kValuesPerWriter; ++i) {
        HKEY key = nullptr;
        if (os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr))
            return 10;
        const std::string name = arguments.at(1) + std::to_string(i);
        if (os.RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(name.c_str()),
                              static_cast<DWORD>(name.size() + 1)))
            return 11;
        os.RegCloseKey(key);
    }
    return 0;
}
const HelperRole registryWriterRole("registry-writer", &RegistryWriterMain);

std::string QueryString(PosixPlatform &os, const std::string &name) {
    HKEY key = nullptr;
    if (os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key)) return "(no key)";
    char text[64] = {};
    DWORD size = sizeof text;
    const LSTATUS status = os.RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                               reinterpret_cast<BYTE *>(text), &size);
    os.RegCloseKey(key);
    return status ? "(error " + std::to_string(status) + ")" : std::string(text);
}

TEST(PersistentRegistry, TwoWritersAtOnceLoseNothingAndTheirValuesOutliveThem) {
    TemporaryDirectory data;
    HelperProcess a("registry-writer", {data.path(), "A"});
    HelperProcess b("registry-writer", {data.path(), "B"});
    ASSERT_EQ(a.Wait(), 0);
    ASSERT_EQ(b.Wait(), 0);
    SetDataDirectory(data.path());
    PosixPlatform os;
    for (int i = 0; i < kValuesPerWriter; ++i) {
        for (const std::string tag : {"A", "B"}) {
            EXPECT_EQ(QueryString(os, tag + std::to_string(i)), tag + std::to_string(i));
        }
    }
}

TEST(PersistentRegistry, TheStoreRoundTripsAnyNameAndData) {
    Hive hive;
    hive.keys.push_back({"", {{"", REG_SZ, std::string("root\0", 5)}}});
    hive.keys.push_back({"Odd [key] = 100%\\Sub", {{"name with = and %", REG_DWORD, std::string("\x01\0\xFF\x7F", 4)},
                                                  {"\xE9t\xE9\n", 7, ""}}});
    // Every key's path, then each of its values' name, type and data.
    const auto flat = [](const Hive &h) {
        std::vector<std::string> facts;
        for (const auto &key : h.keys) {
            facts.push_back("[" + key.path + "]");
            for (const auto &v : key.values) facts.insert(facts.end(), {v.name, std::to_string(v.type), v.data});
        }
        return facts;
    };
    EXPECT_EQ(flat(ParseHive(FormatHive(hive))), flat(hive));
}

TEST(PersistentRegistry, ADamagedLineCostsOnlyItsValue) {
    const Hive read = ParseHive(
        "PLV registry 1\n"
        "[Software\\X]\n"
        "Good=1:4F4B00\n"
        "Bad=1:4F4\n"
        "Worse=x:00\n"
        "NoSeparator\n"
        "Also%zzBad=1:00\n"
        "[Broken\n"
        "Later=4:01000000\n");
    ASSERT_EQ(read.keys.size(), 1u);
    ASSERT_EQ(read.keys[0].values.size(), 2u);
    EXPECT_EQ(read.keys[0].values[0].name, "Good");
    EXPECT_EQ(read.keys[0].values[0].data, std::string("OK\0", 3));
    EXPECT_EQ(read.keys[0].values[1].name, "Later");
    EXPECT_TRUE(ParseHive("not a store\n[X]\nA=1:00\n").keys.empty());
}

TEST(PersistentRegistry, AStoreIsReplacedWholeAndLeavesNoTemporaryFiles) {
    TemporaryDirectory data;
    SetDataDirectory(data.path());
    PosixPlatform os;
    HKEY key = nullptr;
    ASSERT_EQ(os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(os.RegSetValueExA(key, "LastMIFDate", 0, REG_SZ, reinterpret_cast<const BYTE *>("01/15/1998"), 11),
              ERROR_SUCCESS);
    os.RegCloseKey(key);
    EXPECT_EQ(plv::testing::ReadHostFile(RegistryStorePath()),
              "PLV registry 1\n"
              "[SOFTWARE]\n"
              "[SOFTWARE\\Valdrin%20Systems%20Corp.]\n"
              "[SOFTWARE\\Valdrin%20Systems%20Corp.\\Pelvantine]\n"
              "LastMIFDate=1:30312F31352F3139393800\n");
    int entries = 0;
    for (const auto &entry : std::filesystem::directory_iterator(data / "registry")) {
        ++entries;
        EXPECT_TRUE(entry.path().filename() == "machine.reg" || entry.path().filename() == "machine.lock")
            << entry.path();
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace plv::posix
