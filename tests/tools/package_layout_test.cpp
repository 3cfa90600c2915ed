// The package layout shared by setupkit and the setup program: file-index lists, the offset
// slot and the item lookup.
#include <gtest/gtest.h>

#include "package/layout/package_layout.h"
#include "tools/setupkit/diagnostics.h"
#include "tools/setupkit/package_plan.h"
#include "tools/setupkit/package_writer.h"

namespace {

std::vector<std::uint32_t> Decode(const std::vector<std::uint8_t>& list, bool* malformed) {
    SFileListCursor cursor;
    FileListBegin(&cursor, list.data(), static_cast<std::uint32_t>(list.size()));
    std::vector<std::uint32_t> indexes;
    std::uint32_t index;
    while (FileListNext(&cursor, &index))
        indexes.push_back(index);
    *malformed = cursor.malformed;
    return indexes;
}

TEST(FileList, EncodesKnownBytesAndRoundTrips) {
    EXPECT_EQ(EncodeFileList({7}), (std::vector<std::uint8_t>{1, 7, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeFileList({1, 2, 3}), (std::vector<std::uint8_t>{3, 1, 0, 0, 0, 3, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeFileList({4, 9}), (std::vector<std::uint8_t>{2, 2, 4, 0, 0, 0, 9, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeFileList({}), (std::vector<std::uint8_t>{0}));
    std::vector<std::uint32_t> many;
    for (std::uint32_t i = 1; i < 400; i += (i % 7 == 0) ? 3 : 1)
        many.push_back(i);
    for (std::uint32_t i = 1000; i < 1300; i += 2)  // 150 singles: a two-byte count
        many.push_back(i);
    for (const auto& indexes : {std::vector<std::uint32_t>{1, 2, 3, 10, 20, 21, 22, 23, 100},
                                std::vector<std::uint32_t>{5, 0xFFFFFFFE}, many}) {
        bool malformed = true;
        EXPECT_EQ(Decode(EncodeFileList(indexes), &malformed), indexes);
        EXPECT_FALSE(malformed);
    }
}

TEST(FileList, MalformedListsEndWithoutReadingPastTheirEnd) {
    const std::vector<std::vector<std::uint8_t>> bad = {
        {},                     // no end opcode
        {1, 7, 0, 0},           // operand cut short
        {2, 3, 1, 0, 0, 0},     // fewer indexes than counted
        {2, 0x80, 0x80},        // count never ends
        {3, 1, 0, 0, 0, 2, 0},  // range cut short
        {9, 0},                 // unknown opcode
        {1, 5, 0, 0, 0},        // no end opcode after a complete index
    };
    for (const auto& list : bad) {
        // A copy of exactly the list's size, so that an over-read is caught by the sanitizer.
        auto* exact = new std::uint8_t[list.size() + 1];
        std::copy(list.begin(), list.end(), exact);
        SFileListCursor cursor;
        FileListBegin(&cursor, exact, static_cast<std::uint32_t>(list.size()));
        std::uint32_t index;
        int count = 0;
        while (FileListNext(&cursor, &index) && count < 10)
            ++count;
        EXPECT_TRUE(cursor.malformed) << "list of " << list.size() << " bytes";
        delete[] exact;
    }
    bool malformed = true;
    EXPECT_TRUE(Decode({3, 5, 0, 0, 0, 4, 0, 0, 0, 1, 9, 0, 0, 0, 0}, &malformed) ==
                std::vector<std::uint32_t>{9});  // a range with first > last is empty
    EXPECT_FALSE(malformed);
}

TEST(PackageSlot, NoticeIsFollowedByItsSlotAndFoundOnce) {
    EXPECT_EQ(offsetof(SPackageNotice, packageOffset), kPackageNoticeSize);
    EXPECT_EQ(PackageOffsetFromSlot(), 0u);  // this program carries no package
    std::vector<char> image(100, 'x');
    EXPECT_THROW(FindPackageSlot(image, "stub"), ToolError);
    image.insert(image.begin() + 10, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_EQ(FindPackageSlot(image, "stub"), 10 + kPackageNoticeSize);
    image.insert(image.begin() + 60, kPackageNotice, kPackageNotice + kPackageNoticeSize);
    EXPECT_THROW(FindPackageSlot(image, "stub"), ToolError);
}

TEST(PackageFindItem, SearchesFromTheHintAndWrapsOnce) {
    TreePtr tree = MakeTree();
    ClTreeNodeInfo macro{TN_KEY | TN_NAMED, nullptr, "IF", nullptr, 0, 0};
    ClTreeNode* top = ClTreeAddNode(tree.get(), &macro);
    ClTreeNode* items[3];
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::uint8_t record[kFolderRecordSize] = {0, 0, 0, 0, static_cast<std::uint8_t>(i + 1)};
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

TEST(FindPackageNotice, FindsTheFirstCopyThatHasRoomForItsSlot) {
    const std::string notice(kPackageNotice, kPackageNoticeSize);
    std::string image = "MZ" + notice + "SLOT" + notice + "SLOT";
    const char* first = FindPackageNotice(image.data(), image.data() + image.size());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first - image.data(), 2);
    EXPECT_EQ(FindPackageNotice(first + 1, image.data() + image.size()) - image.data(),
              static_cast<std::ptrdiff_t>(2 + notice.size() + 4));
    std::string cut = "MZ" + notice + "SLO";  // no room for the slot
    EXPECT_EQ(FindPackageNotice(cut.data(), cut.data() + cut.size()), nullptr);
    std::string partial = notice.substr(0, 10) + "SLOTSLOTSLOTSLOT" + std::string(40, 'x');
    EXPECT_EQ(FindPackageNotice(partial.data(), partial.data() + partial.size()), nullptr);
}
