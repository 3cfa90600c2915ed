#include "setupinfo/folder_macros.h"

#include <cstdlib>
#include <cstring>

#include "base/dbcs.h"
#include "base/heap_string.h"
#include "base/registry.h"

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The value under key below root, else the value of the same key below fallbackRoot.
char* ReadEither(HKEY root, const char* key, const char* value, HKEY fallbackRoot,
                 const char* fallbackValue) {
    char* text = RegReadString(root, key, value);
    return text != nullptr ? text : RegReadString(fallbackRoot, key, fallbackValue);
}

char* AllUsersFolder(const char* value) {
    return RegReadString(HKEY_LOCAL_MACHINE, kShellFolders, value);
}

char* UserFolder(const char* value) {
    return RegReadString(HKEY_CURRENT_USER, kShellFolders, value);
}

// A folder that a Win32 call writes into a buffer and whose length it returns (0 on failure,
// the needed size when the buffer is too small).
char* FolderFromCall(UINT(WINAPI* call)(LPSTR, UINT)) {
    char folder[kFolderPathSize];
    UINT length = call(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return nullptr;
    return CopyToHeap(folder);
}

// The drive ("C:") of a macro's folder.
char* DriveOf(SSetupInfo* info, std::uint16_t macro) {
    char* folder = ExpandFolderMacros(info, macro);
    if (folder != nullptr && std::strlen(folder) < 3) {
        std::free(folder);
        return nullptr;
    }
    if (folder != nullptr)
        folder[2] = '\0';
    return folder;
}

char* InstallFolder(SSetupInfo* info) {
    if (info == nullptr)
        return nullptr;
    // IF must not name itself: such a record means the program files folder.
    if (info->installFolderMacro == FolderMacro::IF)
        info->installFolderMacro = FolderMacro::PF;
    return ExpandFolderMacros(info, info->installFolderMacro, info->texts[TEXT_INSTALL_PATH]);
}

char* RegistryFolder(const SSetupInfo* info) {
    HKEY root = info != nullptr ? RegistryRootOf(info->registryRootMacro) : nullptr;
    if (root == nullptr)
        return nullptr;
    return RegReadString(root, info->texts[TEXT_FOLDER_KEY], info->texts[TEXT_FOLDER_VALUE]);
}

char* SetupProgramFolder(const SSetupInfo* info) {
    // An empty setup folder (the command line could not be split) is no folder: joined, it would
    // leave a path relative to the current folder.
    if (info == nullptr || info->setupFolder == nullptr || info->setupFolder[0] == '\0')
        return nullptr;
    return CopyToHeap(info->setupFolder);
}

// The folder of every macro but OT, as a new heap string, or null.
char* FolderOf(SSetupInfo* info, std::uint16_t macro) {
    switch (macro) {
        case FolderMacro::NN:
            return CopyToHeap("");
        case FolderMacro::IF:
            return InstallFolder(info);
        case FolderMacro::DT:
            return ReadEither(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop",
                              HKEY_CURRENT_USER, "Desktop");
        case FolderMacro::FN:
            return UserFolder("Fonts");
        case FolderMacro::PS:
            return UserFolder("Personal");
        case FolderMacro::PM:
            return GetProgramsFolder();
        case FolderMacro::ID:
            return DriveOf(info, FolderMacro::PF);
        case FolderMacro::WD:
            return DriveOf(info, FolderMacro::WF);
        case FolderMacro::WF:
            return FolderFromCall(GetWindowsDirectoryA);
        case FolderMacro::SF: {
            char* folder = FolderFromCall(GetSystemWow64DirectoryA);
            return folder != nullptr ? folder : FolderFromCall(GetSystemDirectoryA);
        }
        case FolderMacro::NW:
            return SetupProgramFolder(info);
        case FolderMacro::PF:
            return ReadEither(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)",
                              HKEY_LOCAL_MACHINE, "ProgramFilesDir");
        case FolderMacro::RV:
            return RegistryFolder(info);
        case FolderMacro::X86:
            return RegReadString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)");
        case FolderMacro::X64:
            return RegReadString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramW6432Dir");
        case FolderMacro::PD:
            return AllUsersFolder("Common AppData");
        case FolderMacro::CM:
            return AllUsersFolder("CommonMusic");
        case FolderMacro::CP:
            return AllUsersFolder("CommonPictures");
        case FolderMacro::CV:
            return AllUsersFolder("CommonVideo");
        case FolderMacro::CW:
            return AllUsersFolder("Common Desktop");
        case FolderMacro::CD:
            return AllUsersFolder("Common Documents");
        case FolderMacro::SX:
            return FolderFromCall(GetSystemDirectoryA);
        default:  // the registry roots CR-CC and ids beyond the table
            return nullptr;
    }
}

// 1 if base (baseLength > 0) ends with a separator. Its last byte may be the trail byte 0x5C of a
// double-byte character (表, ソ, 能), which is no separator: taken for one, it would glue the
// folder name to the next part or cut the character in half.
bool EndsWithSeparator(const char* base, std::size_t baseLength) {
    return IsCharAt(base, static_cast<std::uint32_t>(baseLength - 1), '\\') != 0;
}

// Joins base and relative into joined (kFolderPathSize bytes); 1, or 0 when there is nothing to
// join or the result would not fit.
int JoinFolderPath(const char* base, const char* relative, char* joined) {
    std::size_t baseLength = std::strlen(base);
    std::size_t relativeLength = relative != nullptr ? std::strlen(relative) : 0;
    if (baseLength >= kFolderPathSize || relativeLength >= kFolderPathSize)
        return 0;
    if (relativeLength == 0) {
        if (baseLength == 0)
            return 0;
        std::memcpy(joined, base, baseLength + 1);
        if (EndsWithSeparator(base, baseLength))
            joined[baseLength - 1] = '\0';
        return 1;
    }
    if (relative[0] == '\\') {
        ++relative;
        --relativeLength;
    }
    if (baseLength == 0) {
        std::memcpy(joined, relative, relativeLength + 1);
        return 1;
    }
    std::size_t separator = EndsWithSeparator(base, baseLength) ? 0 : 1;
    if (baseLength + separator + relativeLength >= kFolderPathSize)
        return 0;
    std::memcpy(joined, base, baseLength);
    joined[baseLength] = '\\';
    std::memcpy(joined + baseLength + separator, relative, relativeLength + 1);
    return 1;
}

}  // namespace

HKEY RegistryRootOf(std::uint16_t macro) {
    switch (macro) {
        case FolderMacro::CR:
            return HKEY_CLASSES_ROOT;
        case FolderMacro::CU:
            return HKEY_CURRENT_USER;
        case FolderMacro::LM:
            return HKEY_LOCAL_MACHINE;
        case FolderMacro::US:
            return HKEY_USERS;
        case FolderMacro::CC:
            return HKEY_CURRENT_CONFIG;
        default:
            return nullptr;
    }
}

char* ExpandFolderMacros(SSetupInfo* info, std::uint16_t macro, const char* relative,
                         const char* base, char* out) {
    char* folder = nullptr;
    if (macro != FolderMacro::OT) {
        folder = FolderOf(info, macro);
        base = folder;
    }
    char joined[kFolderPathSize];
    int ok = base != nullptr && JoinFolderPath(base, relative, joined);
    std::free(folder);
    if (!ok)
        return nullptr;
    if (out == nullptr)
        return CopyToHeap(joined);
    std::memcpy(out, joined, std::strlen(joined) + 1);
    return out;
}

char* GetProgramsFolder() {
    return ReadEither(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", HKEY_CURRENT_USER,
                      "Programs");
}
