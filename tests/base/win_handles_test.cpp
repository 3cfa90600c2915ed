#include "base/win_handles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <shlobj.h>
#endif

namespace {

// Whether a file handle is still open: the size of a closed one cannot be asked for.
bool IsOpen(HANDLE file) {
    DWORD high = 0;
    return GetFileSize(file, &high) != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
}

TEST(WinHandles, FileHandleIsClosedExactlyOnceWhoeverHoldsIt) {
    TempDir dir;
    HANDLE first = OpenScratchFile(dir.File("a"), GENERIC_WRITE, CREATE_ALWAYS).Detach();
    HANDLE second = OpenScratchFile(dir.File("b"), GENERIC_WRITE, CREATE_ALWAYS).Detach();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    {
        ClFileHandle owner(first);
        ClFileHandle moved(std::move(owner));
        EXPECT_FALSE(owner.ok()) << "the moved-from owner holds nothing";
        EXPECT_EQ(moved.get(), first);
        moved.Attach(second);
        EXPECT_FALSE(IsOpen(first)) << "attaching closes what was held";
        EXPECT_TRUE(IsOpen(second));
        moved.Attach(second);
        EXPECT_TRUE(IsOpen(second)) << "attaching the same handle keeps it";
        HANDLE detached = moved.Detach();
        EXPECT_FALSE(moved.ok());
        moved = ClFileHandle(detached);
    }
    EXPECT_FALSE(IsOpen(second)) << "the last owner closed it";
}

#ifdef _WIN32

TEST(WinHandles, ComPointerReleasesItsOneReference) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        ClComPtr<IShellLinkA> link;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   link.OutVoid()),
                  S_OK);
        IShellLinkA* raw = link.get();
        EXPECT_EQ(raw->AddRef(), 2u);
        {
            ClComPtr<IShellLinkA> moved(std::move(link));
            EXPECT_EQ(moved->SetDescription("x"), S_OK);
        }
        EXPECT_EQ(raw->Release(), 0u) << "the moved pointer released once, the source not at all";
    }
    CoUninitialize();
}

#endif

}  // namespace
