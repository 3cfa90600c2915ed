// The package layout shared by setupkit and the setup program: the offset slot and the item
// lookup.
#include <gtest/gtest.h>

#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/package_plan.h"
#include "tools/setupkit/package_writer.h"

namespace {

TEST(PackageSlot, TheNoticeWithRoomForItsSlotIsFoundOnce) {
    EXPECT_EQ(PackageOffsetFromSlot(), 0u);  // this program carries no package
    const std::string notice(kPackageNotice, kPackageNoticeSize);
    std::string image = "MZ" + notice + "SLOT" + notice + "SLOT";
    const char* first = FindPackageNotice(image.data(), image.data() + image.size());
    EXPECT_EQ(first - image.data(), 2);
    EXPECT_EQ(FindPackageNotice(first + 1, image.data() + image.size()) - image.data(),
              static_cast<std::ptrdiff_t>(2 + notice.size() + 4));
    std::string cut = "MZ" + notice + "SLO";  // no room for the slot
    EXPECT_EQ(FindPackageNotice(cut.data(), cut.data() + cut.size()), nullptr);
    std::string partial = notice.substr(0, 10) + "SLOTSLOTSLOTSLOT" + std::string(40, 'x');
    EXPECT_EQ(FindPackageNotice(partial.data(), partial.data() + partial.size()), nullptr);
    // setupkit wants exactly one notice in a stub.
    std::vector<char> stub(100, 'x');
    EXPECT_THROW(FindPackageSlot(stub, "stub"), ToolError);
    stub.insert(stub.begin() + 10, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_EQ(FindPackageSlot(stub, "stub"), 10 + kPackageNoticeSize);
    stub.insert(stub.begin() + 60, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_THROW(FindPackageSlot(stub, "stub"), ToolError);
}

TEST(PackageFindItem, SearchesFromTheHintAndWrapsOnce) {
    ClTreeOwner tree = MakeTree();
    ClTreeNodeInfo macro{TN_KEY | TN_NAMED, nullptr, "IF", nullptr, 0, 0};
    ClTreeNode* top = ClTreeAddNode(tree.get(), &macro);
    ClTreeNode* items[3];
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::uint8_t record[kRecordHeadSize] = {0, 0, 0, 0, static_cast<std::uint8_t>(i + 1)};
        const char name[] = {static_cast<char>('a' + i), 0};
        ClTreeNodeInfo info{TN_KEY | TN_NAMED | TN_DATA | TN_LINKED, top, name, record, 8, 0};
        items[i] = ClTreeAddNode(tree.get(), &info);
    }
    ClTreeNode* hint = nullptr;
    EXPECT_EQ(PackageFindItem(tree.get(), 3, &hint), items[2]);
    EXPECT_EQ(hint, items[2]);
    EXPECT_EQ(PackageFindItem(tree.get(), 1, &hint), items[0]);  // wrapped round
    EXPECT_EQ(PackageFindItem(tree.get(), 2, &hint), items[1]);
    EXPECT_EQ(PackageFindItem(tree.get(), 4, &hint), nullptr);
    EXPECT_EQ(hint, items[1]);  // a miss keeps the hint
}

}  // namespace
