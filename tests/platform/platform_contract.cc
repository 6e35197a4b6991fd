// The contract fixture's helpers, the same for every platform.
#include <string>

#include "platform_contract.h"

namespace plv::testing {

void PrintTo(const PlatformKind &kind, std::ostream *out) { *out << kind.name; }

HANDLE PlatformContract::Open(const std::string &path, DWORD access, DWORD shareMode, DWORD disposition) {
    return os.CreateFileA(path.c_str(), access, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
}

void PlatformContract::WriteWholeFile(const std::string &path, const std::string &content) {
    HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": " << os.GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(os.WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    ASSERT_EQ(written, content.size());
    ASSERT_TRUE(os.CloseHandle(file));
}

std::string PlatformContract::ReadWholeFile(const std::string &path) {
    HANDLE file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return "(cannot open: " + std::to_string(os.GetLastError()) + ")";
    std::string content;
    char block[256];
    DWORD read = 0;
    while (os.ReadFile(file, block, sizeof block, &read, nullptr) && read > 0) content.append(block, read);
    os.CloseHandle(file);
    return content;
}

}  // namespace plv::testing
