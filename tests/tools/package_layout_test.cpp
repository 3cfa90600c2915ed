// The package notice shared by setupkit and the setup program: found only with room for its
// slot, and exactly once in a stub.
#include <gtest/gtest.h>

#include "package/layout/package_layout.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/package_writer.h"

namespace {

TEST(PackageSlot, TheNoticeWithRoomForItsSlotIsFoundOnce) {
    EXPECT_EQ(PackageOffsetFromSlot(), 0u);  // this program carries no package
    const std::string notice(kPackageNotice, kPackageNoticeSize);
    std::string cut = "MZ" + notice + "SLO";  // no room for the slot
    EXPECT_EQ(FindPackageNotice(cut.data(), cut.data() + cut.size()), nullptr);
    std::vector<char> stub(100, 'x');
    EXPECT_THROW(FindPackageSlot(stub, "stub"), ToolError);
    stub.insert(stub.begin() + 10, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_EQ(FindPackageSlot(stub, "stub"), 10 + kPackageNoticeSize);
    stub.insert(stub.begin() + 60, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_THROW(FindPackageSlot(stub, "stub"), ToolError);
}

}  // namespace
