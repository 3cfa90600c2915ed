// Registry access over the ANSI registry functions (Windows only).
//
// ClCompactRegistry holds one key and closes it when it is replaced or destroyed. Its key
// operations return 1 or 0, its value operations the API's status (ERROR_SUCCESS is 0).
#pragma once

#include <cstdint>

#include "base/platform.h"

class ClCompactRegistry {
  public:
    ClCompactRegistry() = default;
    virtual ~ClCompactRegistry();
    ClCompactRegistry(const ClCompactRegistry&) = delete;
    ClCompactRegistry& operator=(const ClCompactRegistry&) = delete;

    // Creates or opens subKey below root with KEY_ALL_ACCESS and holds it in place of the old
    // key (closed if owned). 1, or 0 with the old key still held.
    int Create(HKEY root, const char* subKey);
    // Opens an existing subKey the same way.
    int Open(HKEY root, const char* subKey);
    // Closes a held, owned key: the API's status. 0 and no change when there is none.
    LONG Close();

    LONG SetValue(const char* name, DWORD type, const void* data, DWORD size);
    // Reads a value into buffer (size bytes); the stored type goes to *type when asked for.
    LONG QueryValue(const char* name, void* buffer, DWORD size, DWORD* type);
    LONG DeleteValue(const char* name);
    // Deletes a sub-key of the held key; it must have no sub-keys of its own.
    LONG DeleteKey(const char* subKey);

    HKEY key = nullptr;
    std::int32_t owned = 0;  // 1 when this object opened the key and must close it

  private:
    void Hold(HKEY opened);
};

// A value's bytes as a new zero-terminated heap string (free with std::free), or null. Without
// subKey the value is read from root itself. The type is not checked; REG_EXPAND_SZ stays
// unexpanded.
char* RegReadString(HKEY root, const char* subKey, const char* name);
