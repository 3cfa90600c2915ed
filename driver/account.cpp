#include "driver/account.h"

#include <windows.h>

#include <lm.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "base/win_handles.h"

namespace {

using NetUserGetLocalGroupsFunction = NET_API_STATUS(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, DWORD,
                                                              LPBYTE*, DWORD, LPDWORD, LPDWORD);
using NetApiBufferFreeFunction = NET_API_STATUS(WINAPI*)(LPVOID);
using NetUserGetGroupsFunction = NET_API_STATUS(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD,
                                                         LPDWORD, LPDWORD);

// The network-management functions, loaded only where the system has them.
struct NetworkFunctions {
    ClLibrary library;
    NetUserGetLocalGroupsFunction getLocalGroups = nullptr;
    NetApiBufferFreeFunction bufferFree = nullptr;
    NetUserGetGroupsFunction getGroups = nullptr;

    int Load() {
        if (!library.Load("Netapi32.dll"))
            return 0;
        getLocalGroups = library.Find<NetUserGetLocalGroupsFunction>("NetUserGetLocalGroups");
        bufferFree = library.Find<NetApiBufferFreeFunction>("NetApiBufferFree");
        getGroups = library.Find<NetUserGetGroupsFunction>("NetUserGetGroups");
        return getLocalGroups && bufferFree && getGroups ? 1 : 0;
    }
};

// The current user's name in UTF-16, or empty when it cannot be had.
std::vector<wchar_t> CurrentUserName() {
    for (DWORD size = 256; size < 8191; size += 256) {
        std::unique_ptr<char[]> name(new (std::nothrow) char[size]);
        if (!name)
            return {};
        DWORD length = size;
        if (!GetUserNameA(name.get(), &length))
            continue;
        int wideLength = MultiByteToWideChar(CP_ACP, 0, name.get(), -1, nullptr, 0);
        if (wideLength <= 0)
            return {};
        std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
        if (MultiByteToWideChar(CP_ACP, 0, name.get(), -1, wide.data(), wideLength) <= 0)
            return {};
        return wide;
    }
    return {};
}

// Only the literal English name counts; a localised group name does not.
bool IsAdministratorsGroup(const wchar_t* group) {
    int size = static_cast<int>((wcslen(group) + 1) * 2);
    std::vector<char> name(static_cast<std::size_t>(size));
    if (WideCharToMultiByte(CP_ACP, 0, group, -1, name.data(), size, nullptr, nullptr) <= 0)
        return false;
    return _stricmp(name.data(), "Administrators") == 0;
}

}  // namespace

int IsAdministrator() {
    NetworkFunctions network;
    if (!network.Load())
        return 1;
    std::vector<wchar_t> user = CurrentUserName();
    if (user.empty())
        return 0;

    LPBYTE buffer = nullptr;
    DWORD entriesRead = 0, totalEntries = 0;
    NET_API_STATUS status =
        network.getLocalGroups(nullptr, user.data(), 0, LG_INCLUDE_INDIRECT, &buffer,
                               MAX_PREFERRED_LENGTH, &entriesRead, &totalEntries);
    if (status != NERR_Success && buffer == nullptr)
        return 0;
    int result = 0;
    auto* groups = reinterpret_cast<LOCALGROUP_USERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < entriesRead && !result; ++i) {
        if (groups[i].lgrui0_name && IsAdministratorsGroup(groups[i].lgrui0_name))
            result = 1;
    }
    if (buffer)
        network.bufferFree(buffer);
    return result;
}

int EnableShutdownPrivilege() {
    ClKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out()))
        return 0;
    TOKEN_PRIVILEGES privileges = {};
    int result = 0;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
        result = GetLastError() == ERROR_SUCCESS ? 1 : 0;
    }
    // The privilege stays enabled for the process once the token handle is closed.
    return result;
}
