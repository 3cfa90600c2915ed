#include "driver/account.h"

#include <windows.h>

#include <lm.h>

#include <gtest/gtest.h>

#include <string>
#include "base/win_handles.h"

namespace {

// What Netapi32 itself says about the current user's local groups.
bool NetapiListsAdministrators() {
    wchar_t user[256];
    DWORD length = 256;
    if (!GetUserNameW(user, &length))
        return false;
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    if (NetUserGetLocalGroups(nullptr, user, 0, LG_INCLUDE_INDIRECT, &buffer, MAX_PREFERRED_LENGTH,
                              &read, &total) != NERR_Success)
        return false;
    bool found = false;
    auto* groups = reinterpret_cast<LOCALGROUP_USERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < read; ++i)
        found = found || _wcsicmp(groups[i].lgrui0_name, L"Administrators") == 0;
    NetApiBufferFree(buffer);
    return found;
}

TEST(Account, AgreesWithTheGroupListOfNetapi) {
    EXPECT_EQ(IsAdministrator() != 0, NetapiListsAdministrators());
}

TEST(Account, ShutdownPrivilegeIsEnabledInTheToken) {
    ASSERT_NE(EnableShutdownPrivilege(), 0);
    ClKernelHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()));
    LUID shutdown;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    char buffer[4096];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenPrivileges, buffer, sizeof buffer, &size));
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer);
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
            enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    EXPECT_TRUE(enabled);
}

}  // namespace
