#include "install/shared_dlls.h"

#include <cstdlib>

CSharedDllUndo::~CSharedDllUndo() {
    std::free(old_);
}

int CSharedDllUndo::Raise(HKEY sharedDlls, const char* path) {
    DWORD size = 0;
    existed_ = RegQueryValueExA(sharedDlls, path, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    if (existed_) {
        old_ = static_cast<BYTE*>(std::malloc(size > 0 ? size : 1));
        if (old_ == nullptr ||
            RegQueryValueExA(sharedDlls, path, nullptr, &type_, old_, &size) != ERROR_SUCCESS)
            return 0;
        oldSize_ = size;
    }
    DWORD count = 1;
    if (existed_ && (type_ == REG_DWORD || type_ == REG_DWORD_BIG_ENDIAN) && oldSize_ == 4)
        count = *reinterpret_cast<const DWORD*>(old_) + 1;
    if (RegSetValueExA(sharedDlls, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                       sizeof count) != ERROR_SUCCESS)
        return 0;
    key_ = sharedDlls;
    path_ = path;
    return 1;
}

void CSharedDllUndo::Restore() {
    if (key_ == nullptr)
        return;
    if (existed_)
        RegSetValueExA(key_, path_, 0, type_, old_, oldSize_);
    else
        RegDeleteValueA(key_, path_);
    key_ = nullptr;
}

SharedDllRelease ReleaseSharedDll(HKEY sharedDlls, const char* path) {
    DWORD type = 0;
    DWORD count = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExA(sharedDlls, path, nullptr, &type, reinterpret_cast<BYTE*>(&count),
                         &size) != ERROR_SUCCESS ||
        (type != REG_DWORD && type != REG_DWORD_BIG_ENDIAN) || size != sizeof count || count == 0)
        return SHARED_NOT_COUNTED;
    if (count == 1) {
        RegDeleteValueA(sharedDlls, path);
        return SHARED_RELEASED;
    }
    --count;
    RegSetValueExA(sharedDlls, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                   sizeof count);
    return SHARED_STILL_USED;
}
