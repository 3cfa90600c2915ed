#include "base/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/win_handles.h"

namespace {

// Each test works below a key of its own under HKCU, removed with everything in it afterwards.
class Registry : public testing::Test {
  protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string("Software\\SetupRegistryTests\\") + test->name() + "-" +
                std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, root_.Out(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        root_.Close();
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }

    void Set(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(root_.get(), name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    // Whether handle still names an open key.
    static bool IsOpen(HKEY handle) {
        return RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    // RegReadString as a std::string, "<null>" for a null result.
    std::string ReadString(const char* subKey, const char* name) {
        char* text = RegReadString(HKEY_CURRENT_USER, subKey, name);
        std::string result = text != nullptr ? std::string(text) : "<null>";
        std::free(text);
        return result;
    }

    std::string path_;
    ClRegistryKey root_;
};

TEST_F(Registry, KeyObjectOwnsExactlyOneKey) {
    ClCompactRegistry registry;
    EXPECT_EQ(registry.Close(), 0) << "no key: nothing to close";
    EXPECT_EQ(registry.key, nullptr);

    ASSERT_EQ(registry.Create(root_.get(), "A"), 1);
    HKEY first = registry.key;
    EXPECT_EQ(registry.owned, 1);
    EXPECT_EQ(registry.SetValue("v", REG_SZ, "x", 2), ERROR_SUCCESS);
    ASSERT_EQ(registry.Create(root_.get(), "A"), 1) << "an existing key is opened";
    EXPECT_FALSE(IsOpen(first)) << "the replaced key is closed";
    char buffer[4] = {};
    DWORD type = 0;
    EXPECT_EQ(registry.QueryValue("v", buffer, sizeof buffer, &type), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "x");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    ASSERT_EQ(registry.Open(root_.get(), "A"), 1);
    HKEY second = registry.key;
    ASSERT_EQ(registry.Open(root_.get(), "A"), 1);
    EXPECT_FALSE(IsOpen(second)) << "two opens leave only the second key open";
    HKEY third = registry.key;
    EXPECT_EQ(registry.Open(root_.get(), "Missing"), 0);
    EXPECT_EQ(registry.key, third) << "a failed open keeps the held key";
    EXPECT_TRUE(IsOpen(third));

    EXPECT_EQ(registry.DeleteValue("v"), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue("v"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(registry.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(IsOpen(third));
    EXPECT_EQ(registry.key, nullptr);
    EXPECT_EQ(registry.Close(), 0);
}

TEST_F(Registry, DeleteKeyRemovesOnlyLeafKeys) {
    ClCompactRegistry registry;
    ASSERT_EQ(registry.Create(root_.get(), "Parent\\Child"), 1);
    ASSERT_EQ(registry.Open(root_.get(), nullptr), 1);
    EXPECT_NE(registry.DeleteKey("Parent"), ERROR_SUCCESS) << "it still has a sub-key";
    ASSERT_EQ(registry.Open(root_.get(), "Parent"), 1);
    EXPECT_EQ(registry.DeleteKey("Child"), ERROR_SUCCESS);
    ASSERT_EQ(registry.Open(root_.get(), nullptr), 1);
    EXPECT_EQ(registry.DeleteKey("Parent"), ERROR_SUCCESS);
    ClCompactRegistry probe;
    EXPECT_EQ(probe.Open(root_.get(), "Parent"), 0);
}

TEST_F(Registry, ReadStringKeepsBytesAndTerminates) {
    Set("empty0", REG_SZ, "", 0);
    Set("empty1", REG_SZ, "", 1);
    Set("plain", REG_SZ, "C:\\Program Files", 17);
    Set("unterminated", REG_BINARY, "abc", 3);
    Set("expand", REG_EXPAND_SZ, "%WINDIR%\\x", 11);
    // セットアップ表: Shift-JIS bytes that the system stores as a wide string.
    const char japanese[] = "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76\x95\x5C";
    Set("japanese", REG_SZ, japanese, sizeof japanese);

    const char* key = path_.c_str();
    EXPECT_EQ(ReadString(key, "empty0"), "") << "an empty value is an empty string, not null";
    EXPECT_EQ(ReadString(key, "empty1"), "");
    EXPECT_EQ(ReadString(key, "plain"), "C:\\Program Files");
    EXPECT_EQ(ReadString(key, "unterminated"), "abc") << "the type is not examined";
    EXPECT_EQ(ReadString(key, "expand"), "%WINDIR%\\x") << "no expansion";
    EXPECT_EQ(ReadString(key, "japanese"), japanese);
    EXPECT_EQ(ReadString(key, "missing"), "<null>");
    EXPECT_EQ(ReadString((path_ + "\\Missing").c_str(), "plain"), "<null>");

    char* direct = RegReadString(root_.get(), nullptr, "plain");
    ASSERT_NE(direct, nullptr) << "without a sub-key the given key itself is read";
    EXPECT_STREQ(direct, "C:\\Program Files");
    std::free(direct);
}

TEST_F(Registry, ReadDwordOnlyFromFourByteDwords) {
    const DWORD number = 0x01020304;
    const unsigned char bigEndian[4] = {0x12, 0x34, 0x56, 0x78};
    Set("number", REG_DWORD, &number, 4);
    Set("big", REG_DWORD_BIG_ENDIAN, bigEndian, 4);
    Set("text", REG_SZ, "5", 2);
    Set("short", REG_DWORD, &number, 2);

    const char* key = path_.c_str();
    DWORD value = 7;
    ASSERT_EQ(RegReadDword(HKEY_CURRENT_USER, key, "number", &value), 1);
    EXPECT_EQ(value, number);
    ASSERT_EQ(RegReadDword(HKEY_CURRENT_USER, key, "big", &value), 1);
    EXPECT_EQ(value, 0x78563412u) << "big-endian bytes arrive as stored, byte-swapped";
    value = 7;
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, key, "text", &value), 0);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, key, "short", &value), 0);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, key, "missing", &value), 0);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, (path_ + "\\Missing").c_str(), "number", &value), 0);
    EXPECT_EQ(value, 7u) << "a failed read leaves the out value alone";
}

}  // namespace
