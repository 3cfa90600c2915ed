#include "uninstall/registry_removal.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/win_handles.h"
#include "package/layout/file_record.h"
#include "uninstall/entry_path.h"

namespace {

// A default value that is compared holds fewer bytes than this, its terminator included.
constexpr DWORD kDefaultValueSize = 520;
constexpr std::uint32_t kCheckModeAt = 8;

// The default value of key as text, when it is a REG_SZ of fewer than kDefaultValueSize bytes.
bool ReadDefaultValue(HKEY key, char* text) {
    DWORD type = 0;
    DWORD size = kDefaultValueSize - 1;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text[size] = '\0';
    return true;
}

// Whether the key name below parent passes the check of its record. A record too short to hold
// a check, an unterminated text or an unknown mode keeps the key.
bool PassesCheck(HKEY parent, const char* name, const std::uint8_t* record, std::uint32_t length) {
    if (length < kCheckModeAt + 2 + kRecordCounterSize)
        return false;
    const char* expected = reinterpret_cast<const char*>(record + kCheckModeAt + 1);
    std::uint32_t textRoom = length - kRecordCounterSize - kCheckModeAt - 1;
    if (std::memchr(expected, '\0', textRoom) == nullptr)
        return false;
    std::uint8_t mode = record[kCheckModeAt];
    if (mode > KEY_CHECK_PARENT_NOCASE)
        return false;
    ClRegistryKey key;
    if (RegOpenKeyExA(parent, name, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
        return false;
    char value[kDefaultValueSize];
    bool ownValue = mode == KEY_CHECK_EXACT || mode == KEY_CHECK_NOCASE;
    if (!ReadDefaultValue(ownValue ? key.get() : parent, value))
        return false;
    bool exact = mode == KEY_CHECK_EXACT || mode == KEY_CHECK_PARENT_EXACT;
    return exact ? std::strcmp(value, expected) == 0 : EqualNoCase(value, expected) != 0;
}

// Deletes the key name below parent after every key below it, depth first. Stops at the first
// sub-key that cannot be opened or deleted, which would otherwise be found again and again.
bool DeleteKeyTree(HKEY parent, const char* name) {
    ClRegistryKey key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, key.Out()) != ERROR_SUCCESS)
        return false;
    char sub[MAX_PATH];
    for (;;) {
        DWORD size = sizeof sub;
        LONG found = RegEnumKeyExA(key.get(), 0, sub, &size, nullptr, nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS)
            break;
        if (found != ERROR_SUCCESS || !DeleteKeyTree(key.get(), sub))
            return false;
    }
    key.Close();
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

}  // namespace

void RemoveRegistryValue(const char* keyPath, const char* name) {
    const char* below = nullptr;
    HKEY root = RegistryPathRoot(keyPath, &below);
    ClRegistryKey key;
    if (root != nullptr && RegOpenKeyExA(root, below, 0, KEY_SET_VALUE, key.Out()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name);
}

int RemoveRegistryKey(const char* path, const std::uint8_t* record, std::uint32_t length) {
    // Key names may hold "/": only "\" separates.
    int separator = LastCharIndex(path, '\\');
    if (separator < 0 || separator >= kEntryPathSize)
        return 0;
    char parentPath[kEntryPathSize];
    std::memcpy(parentPath, path, static_cast<std::size_t>(separator));
    parentPath[separator] = '\0';
    const char* name = path + separator + 1;
    const char* below = nullptr;
    HKEY root = RegistryPathRoot(parentPath, &below);
    ClRegistryKey parent;
    if (root == nullptr ||
        RegOpenKeyExA(root, below, 0, KEY_ALL_ACCESS, parent.Out()) != ERROR_SUCCESS)
        return 0;
    if ((record[0] & ITEM_KEY_CHECK_DEFAULT) && !PassesCheck(parent.get(), name, record, length))
        return 0;
    if (record[0] & ITEM_KEY_RECURSIVE)
        return DeleteKeyTree(parent.get(), name);
    return RegDeleteKeyA(parent.get(), name) == ERROR_SUCCESS;
}
