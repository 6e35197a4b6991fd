// The platform's own files on the real kernel. Their directories: one
// prepared by another user, open to others or replaced by a link is refused
// and nothing is created in it; a link planted inside is not followed; a good
// one, made or found, is used. The persistent registry: its store survives
// the process, two writers at once lose nothing, and damage costs no more
// than what is damaged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/ownership.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/registry_store.h"
#include "support/helper_process.h"
#include "support/host_files.h"
#include "support/other_user.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

namespace fs = std::filesystem;
using plv::testing::HandOver;
using plv::testing::HelperProcess;
using plv::testing::HelperRole;
using plv::testing::HandOverUser;
using plv::testing::OtherUser;
using plv::testing::TemporaryDirectory;
using ::testing::StartsWith;

constexpr char kKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";

// The two uses of own directories: the platform's call that creates its
// file there, answering its Win32 code, and the host's preparation.
struct Use {
    const char *name;
    void (*set)(const std::string &directory);
    std::function<DWORD(PosixPlatform &)> create;
    std::string (*prepare)();
    const char *role;  // as a refusal names the directory
};

DWORD CreateTimerSemaphore(PosixPlatform &os) {
    HANDLE semaphore = os.CreateSemaphoreA(nullptr, 1, 1, "PLVTimerSemaphore");
    if (semaphore == nullptr) return os.GetLastError();
    os.CloseHandle(semaphore);
    return ERROR_SUCCESS;
}

DWORD CreateKey(PosixPlatform &os) {
    HKEY key = nullptr;
    const LSTATUS status = os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                              KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) os.RegCloseKey(key);
    return static_cast<DWORD>(status);
}

const Use kUses[] = {
    {"runtime", &SetRuntimeDirectory, &CreateTimerSemaphore, &PrepareRuntimeDirectory,
     "the runtime directory "},
    {"data", &SetDataDirectory, &CreateKey, &PrepareDataDirectory, "the data directory "},
};

std::string Me() {
    const passwd *entry = ::getpwuid(::geteuid());
    return std::string(entry ? entry->pw_name : "?") + " (uid " + std::to_string(::geteuid()) + ")";
}

std::string Others(const std::optional<OtherUser> &other) {
    return other ? other->name + " (uid " + std::to_string(other->uid) + ")" : "";
}

int ModeOf(const std::string &path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

void MakeDirectory(const std::string &path, mode_t mode) {
    fs::create_directory(path);
    ::chmod(path.c_str(), mode);  // whatever the umask
}

// How a directory is found before the agent's first use, and what the
// refusal then says after the directory's path.
struct Refused {
    const char *name;
    bool needsOtherUser;
    // Prepares `path` below the scratch directory; answers the directory
    // in which nothing may be created.
    std::function<std::string(const std::string &path, const std::string &scratch)> prepare;
    std::function<std::string(const std::optional<OtherUser> &)> says;
};

// A directory of `mode` at the path, perhaps handed over to another user.
std::function<std::string(const std::string &, const std::string &)> Directory(mode_t mode, bool handOver) {
    return [=](const std::string &path, const std::string &) {
        MakeDirectory(path, mode);
        if (handOver) HandOver(path, *HandOverUser());
        return path;
    };
}

const Refused kRefused[] = {
    {"another user's", true, Directory(0700, true),
     [](const auto &other) { return "a directory owned by " + Others(other) + " with mode 0700"; }},
    {"another user's, open to all (as seen)", true, Directory(0777, true),
     [](const auto &other) { return "a directory owned by " + Others(other) + " with mode 0777"; }},
    {"own, open to all", false, Directory(0777, false),
     [](const auto &) { return "a directory owned by " + Me() + " with mode 0777"; }},
    {"own, readable by the group", false, Directory(0750, false),
     [](const auto &) { return "a directory owned by " + Me() + " with mode 0750"; }},
    {"a link in its place, to a good directory", false,
     [](const std::string &path, const std::string &scratch) {
         MakeDirectory(scratch + "/target", 0700);
         fs::create_directory_symlink(scratch + "/target", path);
         if (const auto other = HandOverUser()) HandOver(path, *other);
         return scratch + "/target";
     },
     [](const auto &other) {
         return "a symbolic link owned by " + (other ? Others(other) : Me()) + " with mode 0777";
     }},
    {"a file in its place", false,
     [](const std::string &path, const std::string &scratch) {
         plv::testing::WriteHostFile(path, std::string("x"));
         ::chmod(path.c_str(), 0600);
         return scratch;
     },
     [](const auto &) { return "a file owned by " + Me() + " with mode 0600"; }},
};

void ExpectRefused(bool otherUsersCases) {
    const std::optional<OtherUser> other = HandOverUser();
    for (const Use &use : kUses) {
        for (const Refused &refused : kRefused) {
            if (refused.needsOtherUser != otherUsersCases) continue;
            SCOPED_TRACE(std::string(use.name) + " directory: " + refused.name);
            TemporaryDirectory scratch;
            const std::string path = scratch / "own";
            const std::string mustStayAsItIs = refused.prepare(path, scratch.path());
            const auto entries = [&] {
                return std::distance(fs::directory_iterator(mustStayAsItIs), {});
            };
            const auto before = entries();
            use.set(path);
            PosixPlatform os;
            EXPECT_EQ(use.create(os), ERROR_ACCESS_DENIED);
            EXPECT_EQ(use.prepare(),
                      use.role + path + " is refused: " + refused.says(other) +
                          "; the agent keeps its files only in a directory of its own user, " +
                          Me() + ", that no one else may use (mode 0700)");
            EXPECT_EQ(entries(), before);
        }
    }
}

TEST(OwnDirectories, OneOpenToOthersOrNoDirectoryIsRefusedAndNothingIsCreatedInIt) {
    ExpectRefused(false);
}

TEST(OwnDirectories, OneAnotherUserPreparedIsRefusedAndNothingIsCreatedInIt) {
    if (!HandOverUser()) GTEST_SKIP() << plv::testing::kNeedsRoot;
    ExpectRefused(true);
}

// One that cannot be made is told with the system's reason.
TEST(OwnDirectories, OneThatCannotBeMadeIsToldWithTheSystemsReason) {
    for (const Use &use : kUses) {
        TemporaryDirectory scratch;
        plv::testing::WriteHostFile(scratch / "file", std::string("x"));
        const std::string path = scratch / "file/own";
        use.set(path);
        PosixPlatform os;
        EXPECT_EQ(use.create(os), ERROR_PATH_NOT_FOUND) << use.name;
        EXPECT_EQ(use.prepare(), use.role + path + ": Not a directory");
    }
}

// The store's own directory below the data directory is checked the same
// way, and a store planted there is not read.
TEST(OwnDirectories, TheRegistryStoresDirectoryIsCheckedAndAPlantedStoreIsNotRead) {
    TemporaryDirectory data;
    MakeDirectory(data / "registry", 0777);
    plv::testing::WriteHostFile(data / "registry/machine.reg",
                                std::string("PLV registry 1\n[Planted]\n"));
    SetDataDirectory(data.path());
    PosixPlatform os;
    HKEY key = nullptr;
    EXPECT_EQ(os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Planted", 0, KEY_QUERY_VALUE, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateKey(os), ERROR_ACCESS_DENIED);
    EXPECT_THAT(PrepareDataDirectory(),
                StartsWith("the registry store's directory " + data / "registry" +
                           " is refused: a directory owned by " + Me() + " with mode 0777;"));
}

// A link planted among the platform's files, to where the agent's user
// may write, is neither followed nor replaced.
TEST(OwnDirectories, ALinkPlantedInsideIsNotFollowed) {
    const struct {
        const Use &use;
        const char *link;  // below the directory
    } planted[] = {
        {kUses[0], "PLVTimerSemaphore.sem"},
        {kUses[1], "registry/machine.lock"},
        {kUses[1], "registry/machine.reg"},
    };
    for (const auto &[use, link] : planted) {
        SCOPED_TRACE(link);
        TemporaryDirectory scratch;
        const std::string own = scratch / "own";
        MakeDirectory(own, 0700);
        MakeDirectory(own + "/registry", 0700);
        fs::create_symlink(scratch / "victim", own + "/" + link);
        use.set(own);
        PosixPlatform os;
        EXPECT_EQ(use.create(os), DWORD{ERROR_PATH_NOT_FOUND});
        EXPECT_FALSE(fs::exists(scratch / "victim"));
        EXPECT_TRUE(fs::is_symlink(own + "/" + link));
    }
}

TEST(OwnDirectories, AGoodOneIsUsedWhetherMadeOrFound) {
    for (const Use &use : kUses) {
        SCOPED_TRACE(use.name);
        TemporaryDirectory scratch;
        MakeDirectory(scratch / "found", 0700);
        for (const std::string &path :
             {scratch / "made/below/own", scratch / "found", scratch / "found/"}) {
            use.set(path);
            PosixPlatform os;
            EXPECT_EQ(use.create(os), ERROR_SUCCESS) << path;
            EXPECT_EQ(use.prepare(), "") << path;
        }
        for (const std::string made : {"made", "made/below", "made/below/own"})
            EXPECT_EQ(ModeOf(scratch / made), 0700) << made;
        EXPECT_FALSE(fs::is_empty(scratch / "made/below/own"));
        // What the platform keeps there is its user's alone too.
        for (const auto &entry : fs::recursive_directory_iterator(scratch / "made/below/own"))
            EXPECT_EQ(ModeOf(entry.path()), entry.is_directory() ? 0700 : 0600) << entry.path();
    }
}

// A program started with its standard input closed gets descriptor 0 for
// a directory, as good as any other.
TEST(OwnDirectories, OneOnDescriptorZeroIsUsed) {
    const int input = ::dup(0);
    ::close(0);
    for (const Use &use : kUses) {
        TemporaryDirectory scratch;
        use.set(scratch / "own");
        EXPECT_EQ(use.prepare(), "") << use.name;
    }
    if (input >= 0) {
        ::dup2(input, 0);
        ::close(input);
    }
}

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

// The owners named in refusals: by name and number, by number alone where
// the system knows no such user or group.
TEST(OwnDirectories, OwnersAreNamedByNameAndNumberOrNumberAlone) {
    constexpr unsigned kUnknown = 3999999;  // far above any id a system hands out
    EXPECT_EQ(UserText(0), "root (uid 0)");
    EXPECT_EQ(UserText(kUnknown), "uid 3999999");
    EXPECT_EQ(GroupText(0), "root (gid 0)");
    EXPECT_EQ(GroupText(kUnknown), "gid 3999999");
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

// A data directory not made yet holds no keys; one that cannot be opened,
// or a store that cannot be read, is an error, not an empty registry.
TEST(PersistentRegistry, OnlyAMissingStoreReadsAsEmpty) {
    TemporaryDirectory scratch;
    for (const char *made : {"unread", "unread/registry", "unread/registry/machine.reg"})
        MakeDirectory(scratch / made, 0700);
    const struct {
        std::string data;
        LSTATUS status;
    } cases[] = {{scratch / "not/yet", ERROR_FILE_NOT_FOUND},
                 {scratch / std::string(300, 'd'), ERROR_FILENAME_EXCED_RANGE},
                 {scratch / "unread", ERROR_ACCESS_DENIED}};
    for (const auto &[data, status] : cases) {
        SetDataDirectory(data);
        PosixPlatform os;
        HKEY key = nullptr;
        EXPECT_EQ(os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key), status);
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
        "HighDigit=1:G0\n"
        "LowDigit=1:0G\n"
        "NoSeparator\n"
        "High%z0Escape=1:00\n"
        "Low%0zEscape=1:00\n"
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
