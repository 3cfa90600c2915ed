#include "setupinfo/folder_macro_codes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FolderMacroCodes, CodesAndIdsMapBothWays) {
    for (std::uint16_t id = 0; id < kFolderMacroCount; ++id) {
        const char* code = FolderMacroCode(id);
        ASSERT_EQ(std::strlen(code), 2u) << "id " << id;
        EXPECT_EQ(FolderMacroId(code), id) << code;
    }
    // Fixed points, so that a table out of step with the ids shows.
    EXPECT_STREQ(FolderMacroCode(FolderMacro::X86), "86");
    EXPECT_STREQ(FolderMacroCode(FolderMacro::SX), "SX");
    EXPECT_STREQ(FolderMacroCode(kFolderMacroCount), "");
    // Only the first two bytes count, exactly.
    EXPECT_EQ(FolderMacroId("WF\\UninsDat200_Mivax.exe"), FolderMacro::WF);
    for (const char* text : {"wf", "W", "", "ZZ", static_cast<const char*>(nullptr)})
        EXPECT_EQ(FolderMacroId(text), FolderMacro::OT) << (text ? text : "null");
}

}  // namespace
