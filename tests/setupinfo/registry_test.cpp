#include "base/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// RegReadString as a std::string, "<null>" for a null result.
std::string ReadString(const std::string& subKey, const char* name) {
    char* text = RegReadString(HKEY_CURRENT_USER, subKey.c_str(), name);
    std::string result = text != nullptr ? std::string(text) : "<null>";
    std::free(text);
    return result;
}

// Values are read as stored, terminated even when the stored bytes are not.
TEST(Registry, ReadsKeepTheStoredBytes) {
    const std::string key = "Software\\SetupRegistryTests-" + std::to_string(GetCurrentProcessId());
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
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), row.name, row.type,
                                  row.bytes.data(), static_cast<DWORD>(row.bytes.size())),
                  ERROR_SUCCESS);
        EXPECT_EQ(ReadString(key, row.name), row.text) << row.name;
    }
    EXPECT_EQ(ReadString(key + "\\Missing", "empty"), "<null>");
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace
