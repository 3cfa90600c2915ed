// Reference counts of shared files in HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs:
// one REG_DWORD value per file, named by its path, counting the products that need it.
#pragma once

#include <windows.h>

#include <cstdint>

// The value as it was before a raise, so that a failed install puts it back exactly.
class CSharedDllUndo {
  public:
    CSharedDllUndo() = default;
    ~CSharedDllUndo();
    CSharedDllUndo(const CSharedDllUndo&) = delete;
    CSharedDllUndo& operator=(const CSharedDllUndo&) = delete;

    // Counts path once more: a REG_DWORD (or REG_DWORD_BIG_ENDIAN) count is raised by 1, any
    // other or no value becomes the REG_DWORD 1. Remembers the old value. 1, or 0 when the count
    // cannot be written.
    int Raise(HKEY sharedDlls, const char* path);
    // Puts back what Raise found (or removes the value it made); nothing without a raise.
    void Restore();

  private:
    HKEY key_ = nullptr;
    const char* path_ = nullptr;
    bool existed_ = false;
    DWORD type_ = 0;
    BYTE* old_ = nullptr;
    DWORD oldSize_ = 0;
};
