#include "setupinfo/folder_macros.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

namespace {

// Shift-JIS names whose second byte is 0x5C, the byte of "\".
const std::string kHyou = "\x95\x5C";                    // 表
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";  // ソフト
const std::string kNou = "\x94\x5C";                     // 能

// The expansion as a std::string, "<null>" for a null result; heap results are freed.
std::string Expand(SSetupInfo* info, std::uint16_t macro, const char* relative = nullptr,
                   const char* base = nullptr) {
    char* path = ExpandFolderMacros(info, macro, relative, base);
    std::string result = path != nullptr ? std::string(path) : "<null>";
    std::free(path);
    return result;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
    return path;
}

std::string Directory(UINT(WINAPI* call)(LPSTR, UINT)) {
    char path[MAX_PATH] = {};
    EXPECT_GT(call(path, sizeof path), 0u);
    return path;
}

// The folders derived from other folders and the 32/64-bit pairs; the rest name one shell folder
// each.
TEST(FolderMacros, DerivedAndBitnessFoldersMatchThePlatform) {
    const std::string windows = Directory(GetWindowsDirectoryA);
    const std::string programs32 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    const struct {
        std::uint16_t macro;
        std::string folder;
    } rows[] = {
        {FolderMacro::ID, programs32.substr(0, 2)},
        {FolderMacro::WD, windows.substr(0, 2)},
        {FolderMacro::WF, windows},
        {FolderMacro::PF, programs32},
        {FolderMacro::X86, programs32},
        {FolderMacro::X64, ShellFolder(CSIDL_PROGRAM_FILES)},
        // A 64-bit program on a 64-bit system: the 32-bit system folder is the WOW64 one.
        {FolderMacro::SF, Directory(GetSystemWow64DirectoryA)},
        {FolderMacro::SX, Directory(GetSystemDirectoryA)},
    };
    SSetupInfo info;
    for (const auto& row : rows)
        EXPECT_EQ(Expand(&info, row.macro), row.folder) << "macro " << row.macro;
    EXPECT_NE(Expand(&info, FolderMacro::SF), Expand(&info, FolderMacro::SX));
    // Registry roots, ids beyond the table and OT without a base are no folders.
    for (int macro : {FolderMacro::LM, FolderMacro::Id(28), FolderMacro::OT})
        EXPECT_EQ(Expand(&info, macro), "<null>") << "macro " << macro;
    char* programs = GetProgramsFolder();  // the start menu's, for all users
    EXPECT_EQ(std::string(programs ? programs : "<null>"), ShellFolder(CSIDL_COMMON_PROGRAMS));
    std::free(programs);
}

// Joins of base and relative path, with double-byte names whose last byte is the separator
// byte, and results that stop at the size of a path. The result may go to the base's buffer.
TEST(FolderMacros, JoiningSeparatorsDoubleByteNamesAndSizes) {
    const std::string hyou = "C:\\" + kHyou;                     // its last byte is no separator
    const std::string base200 = "C:\\" + std::string(197, 'b');  // 200 bytes
    const std::string dbcs200 = "C:\\" + std::string(195, 'b') + kHyou;
    const std::string fits = "\\" + std::string(58, 'r');  // 200 + "\" + 58 = 259
    const std::string tooLong = fits + "r";
    const struct {
        std::string base;
        std::string relative;  // "<null>": none
        std::string joined;
    } rows[] = {
        {"C:\\A", "\\b", "C:\\A\\b"},
        {"C:\\A\\", "\\b", "C:\\A\\b"},
        {"", "\\b\\c", "b\\c"},
        {"", "", "<null>"},
        {hyou, "\\a.txt", hyou + "\\a.txt"},
        {hyou, "<null>", hyou},
        {hyou + "\\", "\\a.txt", hyou + "\\a.txt"},
        {"C:\\A", kSofuto + "\\" + kHyou, "C:\\A\\" + kSofuto + "\\" + kHyou},
        {"", kHyou + "\\x", kHyou + "\\x"},
        {base200, fits, base200 + fits},
        {base200, tooLong, "<null>"},
        {dbcs200, fits, dbcs200 + fits},
        {dbcs200, tooLong, "<null>"},
        {std::string(259, 'b'), "<null>", std::string(259, 'b')},
        {std::string(260, 'b'), "<null>", "<null>"},
    };
    for (const auto& row : rows) {
        const char* relative = row.relative == "<null>" ? nullptr : row.relative.c_str();
        EXPECT_EQ(Expand(nullptr, FolderMacro::OT, relative, row.base.c_str()), row.joined)
            << row.base << " + " << row.relative;
    }
    EXPECT_EQ(Expand(nullptr, FolderMacro::NN, "\\Folder"), "Folder");
    EXPECT_EQ(Expand(nullptr, FolderMacro::NN), "<null>");

    char buffer[kFolderPathSize] = "C:\\A";
    ASSERT_EQ(ExpandFolderMacros(nullptr, FolderMacro::OT, "\\b", buffer, buffer), buffer);
    EXPECT_STREQ(buffer, "C:\\A\\b");
}

TEST(FolderMacros, InstallAndSetupFolders) {
    SSetupInfo info;
    ASSERT_EQ(SetupInfoSetText(&info, TEXT_INSTALL_PATH, "\\Quorvane\\Tool"), 1);
    info.installFolderMacro = FolderMacro::IF;  // would expand itself forever
    EXPECT_EQ(Expand(&info, FolderMacro::IF, "\\bin"),
              Expand(&info, FolderMacro::PF, "\\Quorvane\\Tool\\bin"));
    EXPECT_EQ(info.installFolderMacro, FolderMacro::PF) << "the record now names PF";

    // NW only when the record names a setup folder, which freeing the record keeps.
    info.setupFolder = "";
    EXPECT_EQ(Expand(&info, FolderMacro::NW, "\\data.bin"), "<null>");
    const std::string folder = "D:\\" + kSofuto + "\\";
    info.setupFolder = folder.c_str();
    EXPECT_EQ(Expand(&info, FolderMacro::NW, "\\data.bin"), folder + "data.bin");
    SetupInfoFree(&info);
    EXPECT_EQ(Expand(&info, FolderMacro::NW), "D:\\" + kSofuto);
}

// "RV" below a registry root, with a value that ends in the trail byte 0x5C of 表.
TEST(FolderMacros, RegistryFolderOfTheRecord) {
    const std::string name = "SetupFolderMacroTests-" + std::to_string(GetCurrentProcessId());
    const std::string key = "Software\\" + name;
    const std::string folder = "E:\\Data\\" + kHyou;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Folder", REG_SZ, folder.c_str(),
                              static_cast<DWORD>(folder.size() + 1)),
              ERROR_SUCCESS);
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Empty", REG_SZ, "", 1);
    SSetupInfo info;
    info.registryRootMacro = FolderMacro::CU;
    SetupInfoSetText(&info, TEXT_FOLDER_KEY, key.c_str());
    SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Folder");
    EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), folder + "\\App");
    SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Empty");
    EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "App") << "an empty base";
    SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Missing");
    EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "<null>");
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    info.registryRootMacro = FolderMacro::PF;
    EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "<null>") << "PF is no registry root";
}

}  // namespace
