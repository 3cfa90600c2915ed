#include "base/win_handles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/open_file.h"
#include "tests/support/temp_dir.h"

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
    {
        ClFileHandle owner(first);
        ClFileHandle moved(std::move(owner));
        EXPECT_FALSE(owner.ok()) << "the moved-from owner holds nothing";
        moved.Attach(second);
        EXPECT_FALSE(IsOpen(first)) << "attaching closes what was held";
    }
    EXPECT_FALSE(IsOpen(second)) << "the last owner closed it";
}

}  // namespace
