// The registry below HKEY_LOCAL_MACHINE: keys made with their parents,
// values read back byte for byte, sizes and access as Windows reports them.
#include <cstring>

#include "platform_contract.h"

namespace plv::testing {
namespace {

constexpr char kKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";

const BYTE *Bytes(const void *data) { return static_cast<const BYTE *>(data); }
BYTE *Buffer(void *data) { return static_cast<BYTE *>(data); }

TEST_P(PlatformContract, KeysAreCreatedWithTheirParentsAndOpenedWithoutRegardToCase) {
    HKEY key = nullptr;
    EXPECT_EQ(os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    ASSERT_EQ(os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                 nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(os.RegCloseKey(key), ERROR_SUCCESS);
    ASSERT_EQ(os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\VALDRIN SYSTEMS CORP.\\pelvantine", 0,
                                 nullptr, 0, KEY_SET_VALUE, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(os.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(os.RegCloseKey(key), ERROR_INVALID_HANDLE);

    HKEY parent = nullptr, child = nullptr;
    ASSERT_EQ(
        os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Valdrin Systems Corp.", 0, KEY_ALL_ACCESS, &parent),
        ERROR_SUCCESS);
    EXPECT_EQ(os.RegOpenKeyExA(parent, "PELVANTINE", 0, KEY_ALL_ACCESS, &child), ERROR_SUCCESS);
    os.RegCloseKey(child);
    os.RegCloseKey(parent);
}

TEST_P(PlatformContract, ValuesAreReadBackAsTheyWereSet) {
    HKEY key = nullptr;
    ASSERT_EQ(os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                 nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char date[] = "01/15/1998";
    ASSERT_EQ(os.RegSetValueExA(key, "LastMIFDate", 0, REG_SZ, Bytes(date), sizeof date), ERROR_SUCCESS);
    const DWORD number = 0x01020304;
    ASSERT_EQ(os.RegSetValueExA(key, "Count", 0, REG_DWORD, Bytes(&number), sizeof number), ERROR_SUCCESS);

    DWORD type = 0, size = 0;
    EXPECT_EQ(os.RegQueryValueExA(key, "lastmifdate", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 11u);  // with its terminator
    char shortBuffer[4];
    size = sizeof shortBuffer;
    EXPECT_EQ(os.RegQueryValueExA(key, "LastMIFDate", nullptr, &type, Buffer(shortBuffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    char text[11] = {};
    size = sizeof text;
    EXPECT_EQ(os.RegQueryValueExA(key, "LastMIFDate", nullptr, &type, Buffer(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(text, date, sizeof date), 0);
    // A buffer needs its size; the type alone needs neither.
    EXPECT_EQ(os.RegQueryValueExA(key, "LastMIFDate", nullptr, &type, Buffer(text), nullptr),
              ERROR_INVALID_PARAMETER);
    type = 0;
    EXPECT_EQ(os.RegQueryValueExA(key, "LastMIFDate", nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);

    DWORD read = 0;
    size = sizeof read;
    EXPECT_EQ(os.RegQueryValueExA(key, "COUNT", nullptr, &type, Buffer(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(read, number);

    // A value set again is replaced, not doubled.
    ASSERT_EQ(os.RegSetValueExA(key, "LASTMIFDATE", 0, REG_SZ, Bytes("x"), 2), ERROR_SUCCESS);
    size = sizeof text;
    EXPECT_EQ(os.RegQueryValueExA(key, "LastMIFDate", nullptr, &type, Buffer(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(text, "x");

    EXPECT_EQ(os.RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    os.RegCloseKey(key);
}

TEST_P(PlatformContract, AKeyOnlyDoesWhatItWasOpenedFor) {
    HKEY key = nullptr;
    ASSERT_EQ(
        os.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(os.RegSetValueExA(key, "V", 0, REG_SZ, Bytes("1"), 2), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(os.RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    os.RegCloseKey(key);

    ASSERT_EQ(os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(os.RegSetValueExA(key, "V", 0, REG_SZ, Bytes("2"), 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    os.RegCloseKey(key);

    HKEY closed = key;
    EXPECT_EQ(os.RegQueryValueExA(closed, "V", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace plv::testing
