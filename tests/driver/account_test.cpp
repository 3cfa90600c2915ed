// The privilege a restart at the end needs: no run under Wine shows whether it was enabled.
#include "driver/account.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/win_handles.h"

namespace {

TEST(Account, ShutdownPrivilegeIsEnabledInTheToken) {
    ASSERT_NE(EnableShutdownPrivilege(), 0);
    ClKernelHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Out()));
    LUID shutdown;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    PRIVILEGE_SET wanted = {1, PRIVILEGE_SET_ALL_NECESSARY, {{shutdown, 0}}};
    BOOL enabled = FALSE;
    ASSERT_TRUE(PrivilegeCheck(token.get(), &wanted, &enabled));
    EXPECT_TRUE(enabled);
}

}  // namespace
