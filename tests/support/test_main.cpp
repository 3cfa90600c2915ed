// Test entry of every unit test binary. Under Wine it first insists on the Japanese ANSI code
// page, so that a misconfigured prefix cannot let double-byte tests pass by accident.
#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    if (GetACP() != 932) {
        std::fprintf(stderr,
                     "FATAL: the ANSI code page is %u, not 932. Run Windows tests under "
                     "LANG=ja_JP.UTF-8 (tests/wine/wine-run does).\n",
                     GetACP());
        return 2;
    }
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
