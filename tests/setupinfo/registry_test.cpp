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
    // RegReadString as a std::string, "<null>" for a null result.
    std::string ReadString(HKEY root, const std::string& subKey, const char* name) {
        char* text = RegReadString(root, subKey.empty() ? nullptr : subKey.c_str(), name);
        std::string result = text != nullptr ? std::string(text) : "<null>";
        std::free(text);
        return result;
    }

    std::string path_;
    ClRegistryKey root_;
};

// Whether handle still names an open key.
bool IsOpen(HKEY handle) {
    return RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST_F(Registry, KeyObjectOwnsExactlyOneKey) {
    ClCompactRegistry registry;
    ASSERT_EQ(registry.Create(root_.get(), "A"), 1);
    HKEY first = registry.key;
    ASSERT_EQ(registry.Create(root_.get(), "A"), 1) << "an existing key is opened";
    EXPECT_FALSE(IsOpen(first)) << "the replaced key is closed";
    HKEY second = registry.key;
    EXPECT_EQ(registry.Open(root_.get(), "Missing"), 0);
    EXPECT_EQ(registry.key, second) << "a failed open keeps the held key";
    EXPECT_EQ(registry.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(IsOpen(second));
}

// Values are read as stored, terminated even when the stored bytes are not.
TEST_F(Registry, ReadsKeepTheStoredBytes) {
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
        std::string text;  // the bytes, terminated; no type check, no expansion
    } rows[] = {
        {"empty", REG_SZ, "", ""},
        {"unterminated", REG_BINARY, "abc", "abc"},
        {"expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x", 11), "%WINDIR%\\x"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(RegSetValueExA(root_.get(), row.name, 0, row.type,
                                 reinterpret_cast<const BYTE*>(row.bytes.data()),
                                 static_cast<DWORD>(row.bytes.size())),
                  ERROR_SUCCESS);
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, path_, row.name), row.text) << row.name;
    }
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, path_ + "\\Missing", "empty"), "<null>");
}

}  // namespace
