#include "base/registry.h"

#include <cstdlib>

#include "base/win_handles.h"

ClCompactRegistry::~ClCompactRegistry() {
    Close();
}

void ClCompactRegistry::Hold(HKEY opened) {
    Close();
    key = opened;
    owned = 1;
}

int ClCompactRegistry::Create(HKEY root, const char* subKey) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    Hold(created);
    return 1;
}

int ClCompactRegistry::Open(HKEY root, const char* subKey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return 0;
    Hold(opened);
    return 1;
}

LONG ClCompactRegistry::Close() {
    if (key == nullptr || !owned)
        return 0;
    LONG status = RegCloseKey(key);
    key = nullptr;
    owned = 0;
    return status;
}

LONG ClCompactRegistry::SetValue(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG ClCompactRegistry::QueryValue(const char* name, void* buffer, DWORD size, DWORD* type) {
    return RegQueryValueExA(key, name, nullptr, type, static_cast<BYTE*>(buffer), &size);
}

LONG ClCompactRegistry::DeleteValue(const char* name) {
    return RegDeleteValueA(key, name);
}

LONG ClCompactRegistry::DeleteKey(const char* subKey) {
    return RegDeleteKeyA(key, subKey);
}

char* RegReadString(HKEY root, const char* subKey, const char* name) {
    ClRegistryKey opened;
    if (subKey != nullptr &&
        RegOpenKeyExA(root, subKey, 0, KEY_READ, opened.Out()) != ERROR_SUCCESS)
        return nullptr;
    HKEY key = opened.ok() ? opened.get() : root;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return nullptr;
    auto* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (text == nullptr)
        return nullptr;
    // The size asked for first may be larger than the ANSI data (the system converts a stored
    // wide string); the terminator goes behind the bytes actually read.
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        std::free(text);
        return nullptr;
    }
    text[size] = '\0';
    return text;
}
