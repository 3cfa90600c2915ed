#include "setupinfo/folder_macros.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/win_handles.h"

namespace {

// Shift-JIS folder names whose second byte is 0x5C, the byte of "\".
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

std::string Join(const std::string& base, const char* relative) {
    return Expand(nullptr, FolderMacro::OT, relative, base.c_str());
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
    return path;
}

// A value of HKLM\Software\Microsoft\Windows\CurrentVersion as the system reads it.
std::string CurrentVersionValue(const char* name) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", name,
                           RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS)
        << name;
    return value;
}

std::string Directory(UINT(WINAPI* call)(LPSTR, UINT)) {
    char path[MAX_PATH] = {};
    EXPECT_GT(call(path, sizeof path), 0u);
    return path;
}

TEST(FolderMacros, EveryFolderMatchesWhatThePlatformReports) {
    SSetupInfo info;
    const std::string windows = Directory(GetWindowsDirectoryA);
    const std::string programs32 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    const std::string programs64 = ShellFolder(CSIDL_PROGRAM_FILES);

    EXPECT_EQ(Expand(&info, FolderMacro::DT), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY));
    EXPECT_EQ(Expand(&info, FolderMacro::FN), ShellFolder(CSIDL_FONTS));
    EXPECT_EQ(Expand(&info, FolderMacro::PS), ShellFolder(CSIDL_PERSONAL));
    EXPECT_EQ(Expand(&info, FolderMacro::PM), ShellFolder(CSIDL_COMMON_PROGRAMS));
    EXPECT_EQ(Expand(&info, FolderMacro::ID), programs32.substr(0, 2));
    EXPECT_EQ(Expand(&info, FolderMacro::WD), windows.substr(0, 2));
    EXPECT_EQ(Expand(&info, FolderMacro::WF), windows);
    EXPECT_EQ(Expand(&info, FolderMacro::PF), programs32);
    EXPECT_EQ(Expand(&info, FolderMacro::X86), programs32);
    EXPECT_EQ(Expand(&info, FolderMacro::X64), programs64);
    EXPECT_EQ(Expand(&info, FolderMacro::X86), CurrentVersionValue("ProgramFilesDir (x86)"));
    EXPECT_EQ(Expand(&info, FolderMacro::X64), CurrentVersionValue("ProgramW6432Dir"));
    EXPECT_EQ(Expand(&info, FolderMacro::PD), ShellFolder(CSIDL_COMMON_APPDATA));
    EXPECT_EQ(Expand(&info, FolderMacro::CM), ShellFolder(CSIDL_COMMON_MUSIC));
    EXPECT_EQ(Expand(&info, FolderMacro::CP), ShellFolder(CSIDL_COMMON_PICTURES));
    EXPECT_EQ(Expand(&info, FolderMacro::CV), ShellFolder(CSIDL_COMMON_VIDEO));
    EXPECT_EQ(Expand(&info, FolderMacro::CW), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY));
    EXPECT_EQ(Expand(&info, FolderMacro::CD), ShellFolder(CSIDL_COMMON_DOCUMENTS));

    // A 64-bit program on a 64-bit system: the 32-bit system folder is the WOW64 one.
    EXPECT_EQ(Expand(&info, FolderMacro::SF), Directory(GetSystemWow64DirectoryA));
    EXPECT_EQ(Expand(&info, FolderMacro::SX), Directory(GetSystemDirectoryA));
    EXPECT_NE(Expand(&info, FolderMacro::SF), Expand(&info, FolderMacro::SX));

    for (std::uint16_t macro :
         {FolderMacro::CR, FolderMacro::CU, FolderMacro::LM, FolderMacro::US, FolderMacro::CC})
        EXPECT_EQ(Expand(&info, macro, "\\x"), "<null>") << "registry root " << macro;
    for (std::uint16_t macro : {28, 29, 255, 0xFFFF})
        EXPECT_EQ(Expand(&info, macro), "<null>") << "id " << macro;
    EXPECT_EQ(Expand(nullptr, FolderMacro::OT, "\\x"), "<null>") << "OT without a base";
}

TEST(FolderMacros, DrivesAreTwoBytesInTheCallersBuffer) {
    char out[kFolderPathSize];
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(ExpandFolderMacros(nullptr, FolderMacro::WD, nullptr, nullptr, out), out);
    EXPECT_EQ(std::strlen(out), 2u);
    EXPECT_EQ(out[1], ':');
    ASSERT_EQ(ExpandFolderMacros(nullptr, FolderMacro::ID, "\\Tools", nullptr, out), out);
    EXPECT_EQ(std::string(out).substr(1), ":\\Tools");
}

TEST(FolderMacros, InstallFolderNeverExpandsItself) {
    SSetupInfo info;
    ASSERT_EQ(SetupInfoSetText(&info, TEXT_INSTALL_PATH, "\\Quorvane\\Tool"), 1);
    info.installFolderMacro = FolderMacro::IF;
    EXPECT_EQ(Expand(&info, FolderMacro::IF, "\\bin"),
              Expand(&info, FolderMacro::PF, "\\Quorvane\\Tool\\bin"));
    EXPECT_EQ(info.installFolderMacro, FolderMacro::PF)
        << "the record now names the program files folder";

    info.installFolderMacro = FolderMacro::ID;  // IF through ID to PF: three levels
    EXPECT_EQ(Expand(&info, FolderMacro::IF), Expand(&info, FolderMacro::ID) + "\\Quorvane\\Tool");
    EXPECT_EQ(Expand(nullptr, FolderMacro::IF), "<null>");

    SInstallFolderChoice choice = {&info, FolderMacro::X64, "\\Chosen"};
    char* chosen = GetInstallFolderFor(&choice);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(std::string(chosen), Expand(&info, FolderMacro::X64) + "\\Chosen");
    std::free(chosen);
}

TEST(FolderMacros, SetupFolderOnlyWhenThereIsOne) {
    EXPECT_EQ(Expand(nullptr, FolderMacro::NW, "\\data.bin"), "<null>") << "no record";
    SSetupInfo info;
    EXPECT_EQ(Expand(&info, FolderMacro::NW, "\\data.bin"), "<null>") << "no setup folder";
    info.setupFolder = "";
    EXPECT_EQ(Expand(&info, FolderMacro::NW, "\\data.bin"), "<null>") << "an empty setup folder";
    const std::string folder = "D:\\" + kSofuto + "\\";
    info.setupFolder = folder.c_str();
    EXPECT_EQ(Expand(&info, FolderMacro::NW, "\\data.bin"), "D:\\" + kSofuto + "\\data.bin");
    EXPECT_EQ(Expand(&info, FolderMacro::NW), "D:\\" + kSofuto);
    SetupInfoFree(&info);
    EXPECT_EQ(info.setupFolder, folder.c_str()) << "freeing the record keeps the setup folder";
}

// "RV" below each registry root, with a value that ends in the trail byte 0x5C of 表.
TEST(FolderMacros, RegistryFolderThroughEveryRoot) {
    struct Root {
        std::uint8_t macro;
        HKEY root;
        std::string key;
    };
    const std::string name = "SetupFolderMacroTests-" + std::to_string(GetCurrentProcessId());
    const Root roots[] = {{FolderMacro::CR, HKEY_CLASSES_ROOT, name},
                          {FolderMacro::CU, HKEY_CURRENT_USER, "Software\\" + name},
                          {FolderMacro::LM, HKEY_LOCAL_MACHINE, "Software\\" + name},
                          {FolderMacro::US, HKEY_USERS, ".DEFAULT\\Software\\" + name},
                          {FolderMacro::CC, HKEY_CURRENT_CONFIG, "Software\\" + name}};
    const std::string folder = "E:\\Data\\" + kHyou;
    for (const Root& r : roots) {
        ClRegistryKey key;
        ASSERT_EQ(RegCreateKeyExA(r.root, r.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.Out(), nullptr),
                  ERROR_SUCCESS)
            << r.key;
        RegSetValueExA(key.get(), "Folder", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
        RegSetValueExA(key.get(), "Empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        key.Close();

        SSetupInfo info;
        info.registryRootMacro = r.macro;
        SetupInfoSetText(&info, TEXT_FOLDER_KEY, r.key.c_str());
        SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Folder");
        EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), folder + "\\App")
            << "root " << int{r.macro};
        EXPECT_EQ(Expand(&info, FolderMacro::RV), folder);
        SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Empty");
        EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "App")
            << "an empty value is an empty base";
        SetupInfoSetText(&info, TEXT_FOLDER_VALUE, "Missing");
        EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "<null>");
        RegDeleteTreeA(r.root, r.key.c_str());
    }
    SSetupInfo info;
    for (std::uint8_t notRoot : {0, 13, 19, 255}) {
        info.registryRootMacro = notRoot;
        EXPECT_EQ(Expand(&info, FolderMacro::RV, "\\App"), "<null>") << int{notRoot};
    }
}

TEST(FolderMacros, JoiningSeparators) {
    EXPECT_EQ(Join("C:\\A", "\\b"), "C:\\A\\b");
    EXPECT_EQ(Join("C:\\A", "b"), "C:\\A\\b");
    EXPECT_EQ(Join("C:\\A\\", "\\b"), "C:\\A\\b") << "no second separator";
    EXPECT_EQ(Join("C:\\A\\", "b"), "C:\\A\\b");
    EXPECT_EQ(Join("C:\\A\\", nullptr), "C:\\A");
    EXPECT_EQ(Join("C:\\A", ""), "C:\\A");
    EXPECT_EQ(Join("C:\\A", "\\"), "C:\\A\\");
    EXPECT_EQ(Join("", "\\b\\c"), "b\\c");
    EXPECT_EQ(Join("", "b"), "b");
    EXPECT_EQ(Join("", nullptr), "<null>");
    EXPECT_EQ(Join("", ""), "<null>");
    EXPECT_EQ(Expand(nullptr, FolderMacro::NN, "\\Folder"), "Folder");
    EXPECT_EQ(Expand(nullptr, FolderMacro::NN), "<null>");
    EXPECT_EQ(Expand(nullptr, FolderMacro::WF), Directory(GetWindowsDirectoryA));
    EXPECT_EQ(Expand(nullptr, FolderMacro::WF, "\\UninsDat200_Mivax.exe"),
              Directory(GetWindowsDirectoryA) + "\\UninsDat200_Mivax.exe");

    // The result may go to the buffer that holds the base.
    char buffer[kFolderPathSize] = "C:\\A";
    ASSERT_EQ(ExpandFolderMacros(nullptr, FolderMacro::OT, "\\b", buffer, buffer), buffer);
    EXPECT_STREQ(buffer, "C:\\A\\b");
}

TEST(FolderMacros, JoiningDoubleByteNamesEndingInTheSeparatorByte) {
    const std::string base = "C:\\" + kHyou;  // its last byte is 0x5C but no separator
    EXPECT_EQ(Join(base, "\\a.txt"), base + "\\a.txt") << "the separator is kept";
    EXPECT_EQ(Join(base, "a.txt"), base + "\\a.txt");
    EXPECT_EQ(Join(base, nullptr), base) << "the character is not cut in half";
    EXPECT_EQ(Join(base + "\\", nullptr), base);
    EXPECT_EQ(Join(base + "\\", "\\a.txt"), base + "\\a.txt");
    EXPECT_EQ(Join(kNou, "\\x"), kNou + "\\x");

    // In the relative path only the first byte is tested, and it cannot be a trail byte.
    EXPECT_EQ(Join("C:\\A", ("\\" + kSofuto + "\\" + kNou).c_str()),
              "C:\\A\\" + kSofuto + "\\" + kNou);
    EXPECT_EQ(Join("C:\\A", (kSofuto + "\\" + kHyou).c_str()), "C:\\A\\" + kSofuto + "\\" + kHyou);
    EXPECT_EQ(Join("", (kHyou + "\\x").c_str()), kHyou + "\\x");
}

TEST(FolderMacros, ResultsStopAtTheSizeOfAPath) {
    const std::string base = "C:\\" + std::string(197, 'b');  // 200 bytes
    const std::string fits = "\\" + std::string(58, 'r');     // 200 + "\" + 58 = 259
    const std::string tooLong = fits + "r";
    EXPECT_EQ(Join(base, fits.c_str()).size(), 259u);
    EXPECT_EQ(Join(base, tooLong.c_str()), "<null>");
    EXPECT_EQ(Join(base + "\\", tooLong.c_str()), "<null>") << "the separator is counted once";

    // The double-byte tail of a long base is walked correctly.
    const std::string dbcsBase = "C:\\" + std::string(195, 'b') + kHyou;  // 200 bytes
    EXPECT_EQ(Join(dbcsBase, fits.c_str()).size(), 259u);
    EXPECT_EQ(Join(dbcsBase, tooLong.c_str()), "<null>");

    EXPECT_EQ(Join(std::string(259, 'b'), nullptr).size(), 259u);
    EXPECT_EQ(Join(std::string(260, 'b'), nullptr), "<null>") << "base too long";
    EXPECT_EQ(Join("", ("\\" + std::string(258, 'r')).c_str()).size(), 258u);
    EXPECT_EQ(Join("", std::string(260, 'r').c_str()), "<null>") << "relative path too long";
}

TEST(FolderMacros, ProgramsFolderOfAllUsers) {
    char* folder = GetProgramsFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(std::string(folder), ShellFolder(CSIDL_COMMON_PROGRAMS));
    std::free(folder);
}

}  // namespace
