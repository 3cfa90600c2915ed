#include "setupinfo/folder_macro_codes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FolderMacroCodes, EveryCodeMapsBackToItsId) {
    for (std::uint16_t id = 0; id < kFolderMacroCount; ++id) {
        const char* code = FolderMacroCode(id);
        ASSERT_EQ(std::strlen(code), 2u) << "id " << id;
        EXPECT_EQ(FolderMacroId(code), id) << code;
    }
    EXPECT_STREQ(FolderMacroCode(X86), "86");
    EXPECT_STREQ(FolderMacroCode(X64), "64");
    EXPECT_STREQ(FolderMacroCode(SX), "SX");
    EXPECT_STREQ(FolderMacroCode(kFolderMacroCount), "");
    EXPECT_STREQ(FolderMacroCode(0xFFFF), "");
}

TEST(FolderMacroCodes, OnlyTheFirstTwoBytesCountExactly) {
    EXPECT_EQ(FolderMacroId("86\\Vendor\\app.exe"), X86);
    EXPECT_EQ(FolderMacroId("WF\\UninsDat200_Mivax.exe"), WF);
    EXPECT_EQ(FolderMacroId("wf"), OT) << "codes are case-sensitive";
    EXPECT_EQ(FolderMacroId("W"), OT) << "one byte and the terminator match no code";
    EXPECT_EQ(FolderMacroId(""), OT);
    EXPECT_EQ(FolderMacroId("ZZ"), OT);
    EXPECT_EQ(FolderMacroId(nullptr), OT);
}

}  // namespace
