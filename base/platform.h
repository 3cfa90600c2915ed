// The one platform seam of the portable code.
//
// On Windows this is <windows.h>. Elsewhere it declares the small subset of the Win32 file,
// folder and code-page API that the portable code uses, implemented over POSIX descriptors in
// base/posix_platform.cpp, so that the portable code reads the same on both hosts. Types
// have their Win32 widths on every host (DWORD is 32 bits even on LP64).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using HANDLE = void*;
using LPSECURITY_ATTRIBUTES = void*;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define INVALID_SET_FILE_POINTER (static_cast<DWORD>(-1))
#define INVALID_FILE_SIZE (static_cast<DWORD>(0xFFFFFFFF))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u

#define NO_ERROR 0u
#define ERROR_SUCCESS 0u
#define ERROR_INVALID_FUNCTION 1u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_TOO_MANY_OPEN_FILES 4u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_FILE_EXISTS 80u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_DISK_FULL 112u
#define ERROR_NEGATIVE_SEEK 131u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_FILENAME_EXCED_RANGE 206u
#define ERROR_FILE_TOO_LARGE 223u

HANDLE CreateFileA(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);
BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* countRead, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* countWritten,
               void* overlapped);
DWORD SetFilePointer(HANDLE handle, LONG distanceLow, LONG* distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh);
BOOL SetEndOfFile(HANDLE handle);
BOOL GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* access, FILETIME* write);
BOOL SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write);

DWORD GetFileAttributesA(const char* path);
BOOL CreateDirectoryA(const char* path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(const char* path);
BOOL DeleteFileA(const char* path);
// The folder for temporary files, with a trailing separator; its length, or 0.
DWORD GetTempPathA(DWORD size, char* buffer);
// With unique 0: creates a new empty file "<folder>/<prefix>XXXXXX" (mkstemp) and names it.
UINT GetTempFileNameA(const char* folder, const char* prefix, UINT unique, char* name);

DWORD GetLastError();
void SetLastError(DWORD error);

// Code page 932 (Shift-JIS): lead bytes are 0x81-0x9F and 0xE0-0xFC.
BOOL IsDBCSLeadByte(BYTE byte);

// Case-insensitive comparison that folds ASCII letters only, as msvcrt does in the C locale.
int _stricmp(const char* a, const char* b);
#endif
