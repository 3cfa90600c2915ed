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

// What lowering a count found.
enum SharedDllRelease {
    SHARED_NOT_COUNTED,  // no count (no value, another type, or 0): left as it is
    SHARED_STILL_USED,   // the count was above 1 and is now 1 lower
    SHARED_RELEASED,     // the count was 1: the value is deleted and the file may go
};
// Counts path once less. A REG_DWORD (or REG_DWORD_BIG_ENDIAN, read as stored, as Raise reads
// it) count above 1 is written back 1 lower as REG_DWORD; a count of 1 deletes the value. A
// count of 0 stays: no product counts the file, so none may take it.
SharedDllRelease ReleaseSharedDll(HKEY sharedDlls, const char* path);
