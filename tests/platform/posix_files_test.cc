// Files on the real kernel: two processes appending to one log file and one
// definition file as the writers do, a full disk, and what is no file.
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "support/helper_process.h"
#include "support/temporary_directory.h"

namespace plv::posix {
namespace {

using plv::testing::HelperProcess;
using plv::testing::HelperRole;
using plv::testing::TemporaryDirectory;

constexpr char kHeader[] = "Pelvantine usage log";
constexpr int kRecordsPerWriter = 150;

std::string LogRecord(const std::string &text) {
    std::string record = "\r\n\x18\x01";
    record += '\x2A';
    record += '\0';
    record += static_cast<char>(text.size() & 0xFF);
    record += static_cast<char>(text.size() >> 8);
    return record + text;
}

// The writers' access pattern: open without sharing, open or create; on a
// sharing violation try again; move to the end; a new log file gets its
// header; one write per record; close.
bool AppendOnce(PosixPlatform &os, const char *path, const std::string &record, bool log) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (;;) {
        os.SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        file = os.CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) break;
        if (os.GetLastError() != ERROR_SHARING_VIOLATION) return false;
        os.Sleep(1);
    }
    DWORD written = 0;
    const DWORD end = os.SetFilePointer(file, 0, nullptr, FILE_END);
    if (end == INVALID_SET_FILE_POINTER) return false;
    // A writer can be held up between finding the end and writing there;
    // here it always is, so that only the exclusive open keeps order.
    os.Sleep(1);
    if (log && end == 0) {
        std::string header(4, '\0');
        header[2] = static_cast<char>(std::strlen(kHeader));
        header += kHeader;
        if (!os.WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr)) return false;
    }
    if (!os.WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) ||
        written != record.size())
        return false;
    return os.CloseHandle(file) != FALSE;
}

// "writer <T: directory> <tag>": appends its records to the day's log file
// and definition file, then exits 0.
int WriterMain(const std::vector<std::string> &arguments) {
    MapDrive('T', arguments.at(0));
    const std::string tag = arguments.at(1);
    PosixPlatform os;
    for (int i = 0; i < kRecordsPerWriter; ++i) {
        const std::string text = tag + ";" + std::to_string(i) + ";" + std::string(40 + i % 50, 'x');
        if (!AppendOnce(os, "T:\\LOGS\\19980820.LOG", LogRecord(text), true)) return 10;
        if (!AppendOnce(os, "T:\\LOGS\\19980820.DEF", text + "\r\n", false)) return 11;
    }
    return 0;
}
const HelperRole writerRole("writer", &WriterMain);

std::string ReadHostFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Each writer's records must all be there, whole, each writer's in order.
void ExpectAllInOrder(const std::vector<std::string> &texts) {
    std::map<std::string, int> next;
    for (const std::string &text : texts) {
        const auto first = text.find(';'), second = text.find(';', first + 1);
        ASSERT_NE(second, std::string::npos) << text;
        const std::string tag = text.substr(0, first);
        const int number = std::stoi(text.substr(first + 1, second - first - 1));
        EXPECT_EQ(number, next[tag]) << text;
        EXPECT_EQ(text.substr(second + 1), std::string(40 + number % 50, 'x')) << text;
        next[tag] = number + 1;
    }
    EXPECT_EQ(next["A"], kRecordsPerWriter);
    EXPECT_EQ(next["B"], kRecordsPerWriter);
}

TEST(SharedFiles, TwoProcessesAppendingAtOnceNeitherLoseNorInterleaveRecords) {
    TemporaryDirectory volume;
    ASSERT_EQ(::mkdir((volume / "LOGS").c_str(), 0755), 0);
    HelperProcess a("writer", {volume.path(), "A"});
    HelperProcess b("writer", {volume.path(), "B"});
    ASSERT_EQ(a.Wait(), 0);
    ASSERT_EQ(b.Wait(), 0);

    const std::string log = ReadHostFile(volume / "LOGS/19980820.LOG");
    ASSERT_GE(log.size(), 4u);
    const std::size_t headerLength = static_cast<unsigned char>(log[2]);
    ASSERT_EQ(log.substr(0, 4 + headerLength), std::string("\0\0\x14\0", 4) + kHeader);
    std::vector<std::string> texts;
    for (std::size_t at = 4 + headerLength; at < log.size();) {
        ASSERT_LE(at + 8, log.size());
        ASSERT_EQ(log.substr(at, 4), "\r\n\x18\x01") << "at " << at;
        const std::size_t length = static_cast<unsigned char>(log[at + 6]) |
                                   (static_cast<std::size_t>(static_cast<unsigned char>(log[at + 7])) << 8);
        texts.push_back(log.substr(at + 8, length));
        at += 8 + length;
    }
    ExpectAllInOrder(texts);

    std::istringstream definitions(ReadHostFile(volume / "LOGS/19980820.DEF"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(definitions, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        lines.push_back(line.substr(0, line.size() - 1));
    }
    ExpectAllInOrder(lines);
}

TEST(SharedFiles, AFullDiskIsError112) {
    MapDrive('D', "/dev");
    PosixPlatform os;
    HANDLE full = os.CreateFileA("D:\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (full == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /dev/full here: " << os.GetLastError();
    DWORD written = 7;
    EXPECT_FALSE(os.WriteFile(full, "record", 6, &written, nullptr));
    EXPECT_EQ(os.GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    os.CloseHandle(full);
}

TEST(SharedFiles, ADirectoryIsNoFile) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    ASSERT_EQ(::mkdir((volume / "LOGS").c_str(), 0755), 0);
    PosixPlatform os;
    for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
        EXPECT_EQ(os.CreateFileA("T:\\LOGS", access, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(os.GetLastError(), ERROR_ACCESS_DENIED);
    }
    EXPECT_FALSE(os.DeleteFileA("T:\\LOGS"));
    EXPECT_EQ(os.GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(SharedFiles, TheHiddenAttributeIsKeptWhereWineAndSambaKeepIt) {
    TemporaryDirectory volume;
    MapDrive('T', volume.path());
    PosixPlatform os;
    HANDLE file = os.CreateFileA("T:\\SMS.LOG", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    os.CloseHandle(file);
    char value[16] = {};
    const ssize_t length = ::getxattr((volume / "SMS.LOG").c_str(), "user.DOSATTRIB", value, sizeof value);
    if (length < 0 && errno == ENOTSUP) GTEST_SKIP() << "no extended attributes here";
    EXPECT_EQ(std::string(value, static_cast<std::size_t>(length)), "0x2");
    EXPECT_EQ(os.GetFileAttributesA("T:\\SMS.LOG"), FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
}  // namespace plv::posix
