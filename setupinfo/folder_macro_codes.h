// The 28 folder macros: two-letter codes that head every stored destination path, and the ids
// under which SSetupInfo and the install run keep them. Portable, so that the host tool can check
// and show destinations; the expansion into real folders is in setupinfo/folder_macros.h.
#pragma once

#include <cstdint>

// Scoped, so that two-letter names such as CR or ID cannot meet a name of the system headers;
// they convert to the plain ids that records store.
namespace FolderMacro {
enum Id : std::uint16_t {
    NN = 0,    // none: the relative path alone
    IF = 1,    // the install folder
    DT = 2,    // the desktop
    FN = 3,    // the fonts folder
    PS = 4,    // the user's documents
    PM = 5,    // the start menu's programs folder
    ID = 6,    // the drive of the program files folder
    WD = 7,    // the drive of the Windows folder
    WF = 8,    // the Windows folder
    SF = 9,    // the system folder of 32-bit programs
    NW = 10,   // the folder of the running setup program
    PF = 11,   // program files of 32-bit programs
    OT = 12,   // a base the caller gives
    RV = 13,   // a folder named by a registry value
    CR = 14,   // registry roots, not folders: HKEY_CLASSES_ROOT
    CU = 15,   // HKEY_CURRENT_USER
    LM = 16,   // HKEY_LOCAL_MACHINE
    US = 17,   // HKEY_USERS
    CC = 18,   // HKEY_CURRENT_CONFIG
    X86 = 19,  // "86": program files of 32-bit programs, no fall-back
    X64 = 20,  // "64": program files of 64-bit programs
    PD = 21,   // common application data
    CM = 22,   // common music
    CP = 23,   // common pictures
    CV = 24,   // common video
    CW = 25,   // common desktop
    CD = 26,   // common documents
    SX = 27,   // the native system folder
};
}  // namespace FolderMacro

constexpr std::uint16_t kFolderMacroCount = 28;

// The id whose code equals the first two bytes of text (case-sensitive); OT when none does.
std::uint16_t FolderMacroId(const char* text);
// The two-letter code of an id; "" for ids of 28 or more.
const char* FolderMacroCode(std::uint16_t id);
